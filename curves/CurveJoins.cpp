#include "curves/CurveJoins.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace {
// A polyline being put together, with its last point's origins as unit
// vectors, so that each point's are formed once.
struct Joined {
    std::vector<CurvePoint>& line;
    Vec3 ua, ub;

    void append(CurvePoint p)
    {
        // A point twice in a row (an end and the start of what joins it).
        if (!line.empty() && distance(positionOf(line.back()), positionOf(p)) == 0)
            return;
        Vec3 a = unitOfOrigin(p.a), b = unitOfOrigin(p.b);
        // p with its origins named as the last point names its own, by
        // continuity.
        if (!line.empty() && dot(ua, b) + dot(ub, a) > dot(ua, a) + dot(ub, b)) {
            std::swap(p.a, p.b);
            std::swap(a, b);
        }
        line.push_back(p);
        ua = a;
        ub = b;
    }
};
}

CurvePoint curvePoint(const TracePoint& p)
{
    return {{p.position.x, p.position.y, p.position.z}, p.a, p.b};
}

bool endPoint(const ExactSurface& surface, const DoubleCurve& curve, bool back, double apart, TracePoint& out)
{
    const std::vector<CurvePoint>& points = curve.points;
    if (points.size() < 2)
        return false;
    const std::size_t n = points.size();
    const CurvePoint& last = back ? points.back() : points.front();
    std::size_t k = 1;
    while (k + 1 < n && distance(positionOf(points[back ? n - 1 - k : k]), positionOf(last)) < apart)
        ++k;
    const CurvePoint& before = points[back ? n - 1 - k : k];
    DoubleSolution s;
    if (!solveDoublePoint(surface, unitOfOrigin(last.a), unitOfOrigin(last.b), s))
        return false;
    out = orientedAlong(fromSolution(s), positionOf(last) - positionOf(before));
    return true;
}

std::vector<DoubleCurve> joinEnds(const std::vector<DoubleCurve>& curves,
                                  const std::vector<std::vector<CurvePoint>>& tails, const std::vector<long>& partner)
{
    std::vector<DoubleCurve> joined;
    std::vector<char> used(curves.size(), 0);
    for (std::size_t c = 0; c < curves.size(); ++c) {
        if (used[c])
            continue;
        // A curve nothing joins stays as it is: its origins are named by
        // continuity already.
        if (partner[2 * c] < 0 && partner[2 * c + 1] < 0 && tails[2 * c].empty() && tails[2 * c + 1].empty()) {
            used[c] = 1;
            joined.push_back(curves[c]);
            continue;
        }
        // Back to where the chain of joins begins, or once round it.
        std::size_t entry = 2 * c;
        while (partner[entry] >= 0) {
            const std::size_t previous = static_cast<std::size_t>(partner[entry]) ^ 1;
            if (previous / 2 == c)
                break;
            entry = previous;
        }
        DoubleCurve out;
        std::vector<CurvePoint>& line = out.points;
        Joined joining{line, {}, {}};
        const std::size_t first = entry / 2;
        // A lone tail before the first curve, run towards it.
        if (partner[entry] < 0)
            for (auto p = tails[entry].rbegin(); p != tails[entry].rend(); ++p)
                joining.append(*p);
        for (;;) {
            const std::size_t curve = entry / 2, exit = entry ^ 1;
            used[curve] = 1;
            const std::vector<CurvePoint>& points = curves[curve].points;
            if (entry % 2 == 0)
                for (const CurvePoint& p : points)
                    joining.append(p);
            else
                for (auto p = points.rbegin(); p != points.rend(); ++p)
                    joining.append(*p);
            for (const CurvePoint& p : tails[exit])
                joining.append(p);
            if (partner[exit] < 0)
                break;
            entry = static_cast<std::size_t>(partner[exit]);
            for (auto p = tails[entry].rbegin(); p != tails[entry].rend(); ++p)
                joining.append(*p);
            if (entry / 2 == first) {
                // Round to the first curve again.
                out.closed = true;
                if (line.size() > 1 && distance(positionOf(line.front()), positionOf(line.back())) == 0)
                    line.pop_back();
                break;
            }
        }
        joined.push_back(std::move(out));
    }
    return joined;
}

void bridgeBreaks(const ExactSurface& surface, const SurfaceSymmetry& symmetry, double reach, double sheetReach,
                  const FollowSteps& steps, std::vector<DoubleCurve>& curves)
{
    // The open ends, and the pairs of them within reach, nearest first. An
    // end whose two sheets can hardly be told apart is where the curve runs
    // into a pinch (PinchPoints.h), not a break: followed on, it comes back
    // along itself with its sheets traded, and joined to the curve's other
    // end in a pinch nearby, closed it into a loop folded over itself (three
    // strips, t = 0.325, 48 x 48).
    std::vector<std::size_t> ends;
    const auto pinched = [&](const CurvePoint& p) {
        return angleBetween(unitOfOrigin(p.a), unitOfOrigin(p.b)) < 1.5 * minimumSeparation;
    };
    for (std::size_t c = 0; c < curves.size(); ++c)
        if (!curves[c].closed && curves[c].points.size() >= 2) {
            if (!pinched(curves[c].points.front()))
                ends.push_back(2 * c);
            if (!pinched(curves[c].points.back()))
                ends.push_back(2 * c + 1);
        }
    if (ends.empty())
        return;
    const auto at = [&](std::size_t slot) {
        const DoubleCurve& c = curves[slot / 2];
        return positionOf(slot % 2 ? c.points.back() : c.points.front());
    };
    // Each end's nearest other end within reach, if no other is as near:
    // among the turned copies of a curve, a tie would be broken differently
    // in each copy, and the joins would lose the surface's symmetry.
    constexpr double tie = 1e-6;
    // Only ends on the same two sheets can be one curve: where several curves
    // end round one point (where the corrugation method's turns bring n
    // sheets through a point of the axis), the nearest end is often another
    // pair's.
    std::vector<OriginPair> endOrigins(2 * curves.size());
    for (const std::size_t slot : ends) {
        const DoubleCurve& c = curves[slot / 2];
        const CurvePoint& p = slot % 2 ? c.points.back() : c.points.front();
        endOrigins[slot] = {unitOfOrigin(p.a), unitOfOrigin(p.b)};
    }
    const auto origins = [&](std::size_t slot) { return endOrigins[slot]; };
    const double close = std::cos(sheetReach);
    const auto sameSheets = [&](std::size_t x, std::size_t y) {
        return sameTwoSheets(endOrigins[x], endOrigins[y], close);
    };
    const auto nearest = [&](std::size_t e) -> long {
        long best = -1;
        double d1 = reach, d2 = 1e300;
        for (std::size_t f = 0; f < ends.size(); ++f) {
            // A curve's own two ends may close it, unless it is one chord.
            if (f == e || (ends[f] / 2 == ends[e] / 2 && curves[ends[e] / 2].points.size() <= 2) ||
                !sameSheets(ends[e], ends[f]))
                continue;
            const double d = distance(at(ends[e]), at(ends[f]));
            if (d < d1) {
                d2 = d1;
                d1 = d;
                best = static_cast<long>(f);
            } else if (d < d2) {
                d2 = d;
            }
        }
        return d2 - d1 > tie ? best : -1;
    };
    std::vector<std::tuple<double, std::size_t, std::size_t>> pairs;
    for (std::size_t e = 0; e < ends.size(); ++e) {
        const long f = nearest(e);
        if (f > static_cast<long>(e) && nearest(static_cast<std::size_t>(f)) == static_cast<long>(e))
            pairs.emplace_back(distance(at(ends[e]), at(ends[f])), ends[e], ends[f]);
    }
    // NOTE: the curves come in whole orbits of the group, and so do the
    // pairs: one pair an orbit is followed, the others take its turned
    // copy. At t = 0.75 (12 x 12) following every pair (most of them in
    // vain, near the axis) cost 66 M of 254 M instructions.
    struct Bridge {
        long source = -1;  // the pair followed for it, -1 if itself
        int element = 0;   // which turns the source's way onto this pair's
        bool reversed = false;  // the way runs from `to` to `from`
        bool arrived = false;
        std::vector<TracePoint> way;
    };
    std::vector<Bridge> bridges(pairs.size());
    constexpr double sameEnd = 1e-9;
    std::vector<std::size_t> followed;
    // Whether g takes end x onto end y, its place and its two sheets.
    const auto takes = [&](int g, std::size_t x, std::size_t y) {
        if (distance(applySymmetry(symmetry, g, at(x)), at(y)) > sameEnd)
            return false;
        const auto [xa, xb] = origins(x);
        const auto [ya, yb] = origins(y);
        const Vec3 ga = applySymmetry(symmetry, g, xa), gb = applySymmetry(symmetry, g, xb);
        return (distance(ga, ya) <= sameEnd && distance(gb, yb) <= sameEnd) ||
               (distance(ga, yb) <= sameEnd && distance(gb, ya) <= sameEnd);
    };
    for (std::size_t k = 0; k < pairs.size(); ++k) {
        const std::size_t from = std::get<1>(pairs[k]), to = std::get<2>(pairs[k]);
        for (std::size_t r = 0; r < followed.size() && bridges[k].source < 0; ++r) {
            const std::size_t x = std::get<1>(pairs[followed[r]]), y = std::get<2>(pairs[followed[r]]);
            for (int g = 0; g < symmetry.order(); ++g) {
                const bool forward = takes(g, x, from) && takes(g, y, to);
                if (forward || (takes(g, x, to) && takes(g, y, from))) {
                    bridges[k].source = static_cast<long>(followed[r]);
                    bridges[k].element = g;
                    bridges[k].reversed = !forward;
                    break;
                }
            }
        }
        if (bridges[k].source < 0)
            followed.push_back(k);
    }
    const long count = static_cast<long>(followed.size());
#if defined(_OPENMP)
#pragma omp parallel for schedule(dynamic, 1) if (count > 1)
#endif
    for (long r = 0; r < count; ++r) {
        const auto& [d, from, to] = pairs[followed[r]];
        Bridge& bridge = bridges[followed[r]];
        TracePoint start;
        // The end's last step orients it, hook or not: a bridged end often
        // hooks towards the other end (oriented from farther back, 16 ends at
        // 48 x 48, t = 0.85, stayed apart).
        if (!endPoint(surface, curves[from / 2], from % 2 == 1, 0, start))
            continue;
        const Vec3 target = at(to);
        // NOTE: a follow that does not get there gives up after twice the
        // distance and a longest step: at t = 0.5 (48 x 48) the 16 ends that
        // stay open (near the axis) cost 18 M of 183 M instructions while they
        // could go three reaches.
        const double farthest = 2 * d + steps.longest;
        double travelled = 0;
        Vec3 last = start.position;
        const bool arrived = followCurve(surface, start, steps, [&](const TracePoint& p, double& step) {
            travelled += distance(last, p.position);
            last = p.position;
            const Vec3 ahead = target - p.position;
            step = std::fmin(step, std::fmax(length(ahead), steps.finest));
            return length(ahead) <= steps.finest || travelled > farthest;
        }, bridge.way);
        bridge.arrived = arrived && distance(last, target) <= steps.finest;
    }

    std::vector<std::vector<CurvePoint>> tails(2 * curves.size());
    std::vector<long> partner(2 * curves.size(), -1);
    bool any = false;
    for (std::size_t k = 0; k < pairs.size(); ++k) {
        const auto& [d, from, to] = pairs[k];
        const Bridge& bridge = bridges[k];
        const Bridge& source = bridge.source < 0 ? bridge : bridges[static_cast<std::size_t>(bridge.source)];
        if (partner[from] >= 0 || partner[to] >= 0 || !source.arrived)
            continue;
        std::vector<CurvePoint>& tail = tails[bridge.reversed ? to : from];
        for (const TracePoint& p : source.way)
            tail.push_back(curvePoint(bridge.source < 0 ? p : mapped(symmetry, bridge.element, p)));
        partner[from] = static_cast<long>(to);
        partner[to] = static_cast<long>(from);
        any = true;
    }
    if (any)
        curves = joinEnds(curves, tails, partner);
}
