#include "curves/CurveJoins.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace {
Vec3 positionOf(const CurvePoint& p)
{
    return {p.position[0], p.position[1], p.position[2]};
}

// p with its origins named as `previous` names its own, by continuity.
CurvePoint alignedWith(const CurvePoint& previous, CurvePoint p)
{
    const Vec3 pa = unitOfOrigin(previous.a), pb = unitOfOrigin(previous.b);
    const Vec3 a = unitOfOrigin(p.a), b = unitOfOrigin(p.b);
    if (dot(pa, b) + dot(pb, a) > dot(pa, a) + dot(pb, b))
        std::swap(p.a, p.b);
    return p;
}

void append(std::vector<CurvePoint>& line, const CurvePoint& p)
{
    if (line.empty()) {
        line.push_back(p);
        return;
    }
    // A point twice in a row (an end and the start of what joins it).
    if (distance(positionOf(line.back()), positionOf(p)) == 0)
        return;
    line.push_back(alignedWith(line.back(), p));
}
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
        const std::size_t first = entry / 2;
        // A lone tail before the first curve, run towards it.
        if (partner[entry] < 0)
            for (auto p = tails[entry].rbegin(); p != tails[entry].rend(); ++p)
                append(line, *p);
        for (;;) {
            const std::size_t curve = entry / 2, exit = entry ^ 1;
            used[curve] = 1;
            const std::vector<CurvePoint>& points = curves[curve].points;
            if (entry % 2 == 0)
                for (const CurvePoint& p : points)
                    append(line, p);
            else
                for (auto p = points.rbegin(); p != points.rend(); ++p)
                    append(line, *p);
            for (const CurvePoint& p : tails[exit])
                append(line, p);
            if (partner[exit] < 0)
                break;
            entry = static_cast<std::size_t>(partner[exit]);
            for (auto p = tails[entry].rbegin(); p != tails[entry].rend(); ++p)
                append(line, *p);
            if (entry / 2 == first) {
                // Round to the first curve again.
                out.closed = true;
                if (line.size() > 1 && distance(positionOf(line.front()), positionOf(line.back())) == 0)
                    line.pop_back();
                break;
            }
        }
        const bool untouched = partner[2 * c] < 0 && partner[2 * c + 1] < 0 && tails[2 * c].empty() &&
                               tails[2 * c + 1].empty();
        if (untouched)
            out.closed = curves[c].closed;
        joined.push_back(std::move(out));
    }
    return joined;
}

void bridgeBreaks(const ExactSurface& surface, double reach, double sheetReach, const FollowSteps& steps,
                  std::vector<DoubleCurve>& curves)
{
    // The open ends, and the pairs of them within reach, nearest first.
    std::vector<std::size_t> ends;
    for (std::size_t c = 0; c < curves.size(); ++c)
        if (!curves[c].closed && curves[c].points.size() >= 2) {
            ends.push_back(2 * c);
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
    const auto origins = [&](std::size_t slot) {
        const DoubleCurve& c = curves[slot / 2];
        const CurvePoint& p = slot % 2 ? c.points.back() : c.points.front();
        return std::pair<Vec3, Vec3>{unitOfOrigin(p.a), unitOfOrigin(p.b)};
    };
    const auto sameSheets = [&](std::size_t x, std::size_t y) {
        const auto [xa, xb] = origins(x);
        const auto [ya, yb] = origins(y);
        const double close = std::cos(sheetReach);
        return (dot(xa, ya) > close && dot(xb, yb) > close) || (dot(xa, yb) > close && dot(xb, ya) > close);
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
    std::vector<std::vector<CurvePoint>> tails(2 * curves.size());
    std::vector<long> partner(2 * curves.size(), -1);
    bool any = false;
    for (const auto& [d, from, to] : pairs) {
        if (partner[from] >= 0 || partner[to] >= 0)
            continue;
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
        std::vector<TracePoint> way;
        double travelled = 0;
        Vec3 last = start.position;
        const bool arrived = followCurve(surface, start, steps, [&](const TracePoint& p, double& step) {
            travelled += distance(last, p.position);
            last = p.position;
            const Vec3 ahead = target - p.position;
            step = std::fmin(step, std::fmax(length(ahead), steps.finest));
            return length(ahead) <= steps.finest || travelled > farthest;
        }, way);
        if (!arrived || distance(last, target) > steps.finest)
            continue;
        for (const TracePoint& p : way)
            tails[from].push_back(curvePoint(p));
        partner[from] = static_cast<long>(to);
        partner[to] = static_cast<long>(from);
        any = true;
    }
    if (any)
        curves = joinEnds(curves, tails, partner);
}
