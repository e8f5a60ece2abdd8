#include "curves/PoleContact.h"

#include "curves/CurveJoins.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace {
// Ends join when they arrive from directions at least this opposed (cosine).
constexpr double opposed = -0.9;
// An end whose tangent is within this angle (radians) of the direction to
// the point heads straight at it.
constexpr double straightOn = 0.1;

struct End {
    std::size_t slot;                  // 2 curve + 1 for its last point
    std::vector<TracePoint> followed;  // from the end towards the point
    bool reaches = false;
    Vec3 from;  // the direction it arrives from, unit, horizontal
};

Vec3 positionOf(const CurvePoint& p)
{
    return {p.position[0], p.position[1], p.position[2]};
}
}

PoleContact poleContact(const ExactSurface& surface)
{
    PoleContact c;
    if (surface.method != EversionMethod::Ruled || surface.ruled.unfolding)
        return c;
    c.present = true;
    c.point = {0, 0, ruledPoleHeight(surface.ruled, true)};
    return c;
}

void joinThroughPole(const ExactSurface& surface, const PoleContact& contact, double reach, double arrival,
                     const FollowSteps& steps, std::vector<DoubleCurve>& curves)
{
    if (!contact.present)
        return;
    // The open curves' ends near the point, on the two polar caps.
    std::vector<End> ends;
    for (std::size_t c = 0; c < curves.size(); ++c) {
        const DoubleCurve& curve = curves[c];
        if (curve.closed || curve.points.size() < 2)
            continue;
        for (const bool back : {false, true}) {
            const CurvePoint& p = back ? curve.points.back() : curve.points.front();
            if (distance(positionOf(p), contact.point) < reach && p.a.latitude * p.b.latitude < 0 &&
                std::fabs(p.a.latitude) > 45 && std::fabs(p.b.latitude) > 45)
                ends.push_back({2 * c + back, {}, false, {}});
        }
    }

#if defined(_OPENMP)
#pragma omp parallel for schedule(dynamic, 1) if (ends.size() > 2)
#endif
    for (std::size_t e = 0; e < ends.size(); ++e) {
        End& end = ends[e];
        TracePoint start;
        if (!endPoint(surface, curves[end.slot / 2], end.slot % 2 == 1, start))
            continue;
        // On until near the point, or out of reach again; each step at most
        // half the way left, so as not to step past the point.
        followCurve(surface, start, steps, [&](const TracePoint& at, double& step) {
            const double d = distance(at.position, contact.point);
            step = std::fmin(step, 0.5 * d);
            return d <= arrival || d > reach;
        }, end.followed);
        const TracePoint& last = end.followed.empty() ? start : end.followed.back();
        const Vec3 final = last.position;
        // Where the sheets part too slowly for Newton's method, an end that
        // heads straight at the point reaches it by a chord.
        const Vec3 toward = contact.point - final;
        end.reaches = length(toward) <= arrival || angleBetween(last.tail, normalized(toward)) < straightOn;
        const Vec3 away = final - contact.point;
        end.from = normalized(Vec3{away.x, away.y, 0});
    }

    // Pair the ends that reach the point, most nearly opposed first.
    std::vector<std::tuple<double, std::size_t, std::size_t>> pairs;
    for (std::size_t i = 0; i < ends.size(); ++i)
        for (std::size_t j = i + 1; j < ends.size(); ++j)
            if (ends[i].reaches && ends[j].reaches && dot(ends[i].from, ends[j].from) < opposed)
                pairs.emplace_back(dot(ends[i].from, ends[j].from), i, j);
    std::sort(pairs.begin(), pairs.end());

    // Every end that reaches the point runs on to it, where a = one pole and
    // b = the other meet exactly; paired ends join there.
    const CurvePoint pole{{contact.point.x, contact.point.y, contact.point.z}, {90, 0}, {-90, 0}};
    std::vector<std::vector<CurvePoint>> tails(2 * curves.size());
    std::vector<long> partner(2 * curves.size(), -1);
    bool any = false;
    for (const End& end : ends)
        if (end.reaches) {
            for (const TracePoint& p : end.followed)
                tails[end.slot].push_back(curvePoint(p));
            tails[end.slot].push_back(pole);
            any = true;
        }
    for (const auto& [score, i, j] : pairs)
        if (partner[ends[i].slot] < 0 && partner[ends[j].slot] < 0) {
            partner[ends[i].slot] = static_cast<long>(ends[j].slot);
            partner[ends[j].slot] = static_cast<long>(ends[i].slot);
        }
    if (any)
        curves = joinEnds(curves, tails, partner);
}
