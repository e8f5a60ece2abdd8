#pragma once
// A refined point of a double curve as the tracing carries it: where it is,
// its two sheets' origins (a and b), and the curve's direction there, so
// that neighbours can be estimated and the curve followed. Plus following
// the curve itself, step by step. Pure value types and free functions; any
// number of threads.
#include <vector>

#include "curves/SheetNewton.h"
#include "curves/SurfaceSymmetry.h"

struct TracePoint {
    Vec3 position;
    Origin a, b;
    Vec3 ua, ub;        // the origins as unit vectors
    Vec3 ta, tb, tail;  // CurveTangent: along a, along b, in space (either sign)
};

TracePoint fromSolution(const DoubleSolution& s);
TracePoint mapped(const SurfaceSymmetry& symmetry, int element, const TracePoint& p);
// a and b trade names.
TracePoint swapped(const TracePoint& p);
// The tangent times the sign (1 or -1).
TracePoint turnedBy(const TracePoint& p, double sign);
// The tangent along `towards` rather than against it.
TracePoint orientedAlong(const TracePoint& p, const Vec3& towards);
// p with its origins named as `previous` names its own, by continuity.
TracePoint alignedWith(const TracePoint& previous, const TracePoint& p);

// How a curve is followed: the first step and the longest (world units);
// a step is halved while it turns the tangent by more than `sharpestTurn`
// (radians), unless it is no longer than `finest` already. Each point's
// sheets cross at an angle whose sine is at least `leastCrossing`.
struct FollowSteps {
    double first, longest, finest, sharpestTurn;
    double leastCrossing = minimumCrossing;
};

// Follows the double curve from `from` the way its tangent points, each step
// predicted along the tangent and corrected by Newton's method, and appends
// the points to `out` until stop(point, step) holds (true), or a step cannot
// be made or 64 have been (false, with the points made so far appended).
// `stop` may shorten the next step.
template <class Stop>
bool followCurve(const ExactSurface& surface, const TracePoint& from, const FollowSteps& steps, Stop&& stop,
                 std::vector<TracePoint>& out);

bool followStep(const ExactSurface& surface, const TracePoint& at, const FollowSteps& steps, double& step,
                TracePoint& next);

template <class Stop>
bool followCurve(const ExactSurface& surface, const TracePoint& from, const FollowSteps& steps, Stop&& stop,
                 std::vector<TracePoint>& out)
{
    constexpr int mostSteps = 64;
    TracePoint at = from;
    double step = steps.first;
    for (int k = 0; k < mostSteps; ++k) {
        if (stop(at, step))
            return true;
        TracePoint next;
        if (!followStep(surface, at, steps, step, next))
            return false;
        out.push_back(next);
        at = next;
    }
    return false;
}

// followCurve in runs of 64 steps, at most `runs` of them, each starting
// with the step the last one ended with: stop(point, step) may shorten it,
// and true ends the follow. False if the follow ran out of steps or could not
// go on.
template <class Stop>
bool followInRuns(const ExactSurface& surface, TracePoint at, FollowSteps steps, Stop&& stop,
                  std::vector<TracePoint>& out, int runs = 64)
{
    double carried = steps.first;
    const auto keep = [&](const TracePoint& p, double& step) {
        const bool done = stop(p, step);
        carried = step;
        return done;
    };
    for (int run = 0; run < runs; ++run) {
        const std::size_t before = out.size();
        steps.first = carried;
        if (followCurve(surface, at, steps, keep, out))
            return true;
        if (out.size() - before < 64)
            return false;
        at = out.back();
    }
    return false;
}
