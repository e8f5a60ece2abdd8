#include "curves/TracePoint.h"

#include <cmath>

TracePoint fromSolution(const DoubleSolution& s)
{
    const CurveTangent t = curveTangent(s);
    return {s.a.position, s.a.origin, s.b.origin, s.a.unit, s.b.unit, t.alongA, t.alongB, t.inSpace};
}

TracePoint mapped(const SurfaceSymmetry& symmetry, int g, const TracePoint& p)
{
    // The identity leaves every field as it is (a longitude is kept within
    // [-180, 180) already), without the wrapping of two longitudes.
    if (g == 0)
        return p;
    const auto m = [&](const Vec3& v) { return applySymmetry(symmetry, g, v); };
    return {m(p.position), applySymmetry(symmetry, g, p.a), applySymmetry(symmetry, g, p.b), m(p.ua), m(p.ub),
            m(p.ta), m(p.tb), m(p.tail)};
}

TracePoint swapped(const TracePoint& p)
{
    return {p.position, p.b, p.a, p.ub, p.ua, p.tb, p.ta, p.tail};
}

TracePoint turnedBy(const TracePoint& p, double sign)
{
    return {p.position, p.a, p.b, p.ua, p.ub, p.ta * sign, p.tb * sign, p.tail * sign};
}

TracePoint orientedAlong(const TracePoint& p, const Vec3& towards)
{
    return dot(p.tail, towards) < 0 ? turnedBy(p, -1) : p;
}

TracePoint alignedWith(const TracePoint& previous, const TracePoint& p)
{
    if (dot(previous.ua, p.ub) + dot(previous.ub, p.ua) > dot(previous.ua, p.ua) + dot(previous.ub, p.ub))
        return swapped(p);
    return p;
}

bool followStep(const ExactSurface& surface, const TracePoint& at, const FollowSteps& steps, double& step,
                TracePoint& next)
{
    for (;;) {
        DoubleSolution s;
        const bool solved =
            solveDoublePoint(surface, normalized(at.ua + at.ta * step), normalized(at.ub + at.tb * step), s,
                             steps.leastCrossing);
        if (solved) {
            next = orientedAlong(alignedWith(at, fromSolution(s)), at.tail);
            const double bend = angleBetween(at.tail, next.tail);
            if ((bend <= steps.sharpestTurn || step <= steps.finest) && distance(next.position, at.position) <= 2 * step) {
                if (bend < steps.sharpestTurn / 3)
                    step = std::fmin(1.5 * step, steps.longest);
                return true;
            }
        }
        step *= 0.5;
        if (step < 0.1 * steps.finest)
            return false;
    }
}
