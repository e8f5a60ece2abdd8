#include "curves/GapFilling.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
// Halvings of one gap at most: a gap is split into 16 pieces at most.
constexpr int deepestSplit = 4;
// A gap whose mesh polyline is this much longer than its chord bends between
// its ends.
constexpr double detour = 1.15;

// How far the curve strays from the chord between p and q, estimated from
// its tangents there (both along the way from p to q) as for a circular arc;
// without bound if it turns back (a hairpin can be as deep as it likes).
double strayFromChord(const TracePoint& p, const TracePoint& q)
{
    const Vec3 chord = q.position - p.position;
    const double c = length(chord);
    if (!(c > 0))
        return 0;
    const Vec3 u = chord * (1 / c);
    const double cp = dot(p.tail, u), cq = dot(q.tail, u);
    if (cp <= 0 || cq <= 0)
        return std::numeric_limits<double>::infinity();
    const double sp = length(cross(p.tail, u)), sq = length(cross(q.tail, u));
    return 0.25 * c * std::fmax(sp, sq);
}

double pathLength(const Vec3& from, const std::vector<Waypoint>& way, std::size_t begin, std::size_t end,
                  const Vec3& to)
{
    double sum = 0;
    Vec3 at = from;
    for (std::size_t k = begin; k < end; ++k) {
        sum += distance(at, way[k].position);
        at = way[k].position;
    }
    return sum + distance(at, to);
}

// The origins halfway between p and q by cubic Hermite interpolation in the
// space of origin pairs, where the curve is smooth even where its image in
// space turns sharply. The tangents at p and q both run from p towards q.
// Also returns the chord there (radians).
double hermiteMiddle(const TracePoint& p, const TracePoint& q, Vec3& a, Vec3& b)
{
    const auto norm = [](const Vec3& x, const Vec3& y) { return std::sqrt(dot(x, x) + dot(y, y)); };
    const double chord = norm(q.ua - p.ua, q.ub - p.ub);
    const double np = norm(p.ta, p.tb), nq = norm(q.ta, q.tb);
    if (!(np > 0 && nq > 0)) {
        a = normalized(p.ua + q.ua);
        b = normalized(p.ub + q.ub);
        return chord;
    }
    const Vec3 pa = p.ta * (1 / np), pb = p.tb * (1 / np), qa = q.ta * (1 / nq), qb = q.tb * (1 / nq);
    // The span of an arc with this chord and this turn.
    const double bend = std::acos(std::fmax(-1.0, std::fmin(1.0, dot(pa, qa) + dot(pb, qb))));
    const double span = chord * (bend > 1e-3 ? (bend / 2) / std::sin(bend / 2) : 1);
    a = normalized((p.ua + q.ua) * 0.5 + (pa - qa) * (span / 8));
    b = normalized((p.ub + q.ub) * 0.5 + (pb - qb) * (span / 8));
    return chord;
}

struct GapSplitter {
    const ExactSurface& surface;
    const TracingSettings& settings;
    const std::vector<Waypoint>& way;

    // The points from p to q along the curve, followed step by step: for the
    // gaps a midpoint cannot split, such as a hairpin deeper than its ends
    // are apart. Each way in turn, for twice the length of the mesh's
    // polyline between (`meshLength`) and a longest gap; nothing is appended
    // if neither gets there.
    bool follow(const TracePoint& p, const TracePoint& q, double meshLength, std::vector<TracePoint>& out) const
    {
        const std::size_t mark = out.size();
        const double chord = distance(p.position, q.position);
        const double farthest = 2 * meshLength + settings.longestGap;
        const FollowSteps steps{0.5 * std::fmin(settings.longestGap, chord), settings.longestGap,
                                0.5 * settings.deviation, settings.sharpestTurn};
        // NOTE: first towards q, then the other way: a midpoint's tangent is
        // turned by a guess, and at t = 0.5 (12 x 12) the first try went the
        // wrong way round in most of 39 follows, for 18 M of 67 M
        // instructions.
        const double first = dot(p.tail, q.position - p.position) < 0 ? -1 : 1;
        // An arrival is within 1.5 steps of q, and no step is longer than a
        // longest gap: a follow that could not get that near q before it has
        // travelled `farthest`, even heading straight for it, has failed.
        // NOTE: at t = 0.75 (12 x 12) 115 of the follows' 252 points were
        // made on ways that failed; stopping those early takes followStep
        // from 8.94 M to 8.77 M instructions a search, results unchanged.
        const double reach = 1.5 * settings.longestGap + 1e-9;
        for (const double way : {first, -first}) {
            double travelled = 0;
            Vec3 last = p.position;
            const bool arrived = followCurve(surface, turnedBy(p, way), steps, [&](const TracePoint& at, const double& step) {
                travelled += distance(last, at.position);
                last = at.position;
                const Vec3 ahead = q.position - at.position;
                const double away = length(ahead);
                return (away <= 1.5 * step && dot(ahead, at.tail) > 0) || travelled > farthest ||
                       away > farthest - travelled + reach;
            }, out);
            if (arrived && distance(last, q.position) <= 1.5 * settings.longestGap && travelled <= farthest)
                return true;
            out.resize(mark);
        }
        return false;
    }

    // The refined points between p and q, in order, guided by the waypoints
    // [begin, end) between them; the tangents of p and q run from p to q.
    // Where a piece of the gap can be neither split nor followed, the curve is
    // not known to run straight across it: a break (breakMark) is put there.
    void split(const TracePoint& p, const TracePoint& q, std::size_t begin, std::size_t end, int depth,
               std::vector<TracePoint>& out) const
    {
        const double chord = distance(p.position, q.position);
        DoubleSolution s;
        bool found = false;
        std::size_t middle = begin;
        Vec3 heading = q.tail + p.tail;
        if (begin < end) {
            // The waypoint halfway along the mesh's polyline.
            const double half = 0.5 * pathLength(p.position, way, begin, end, q.position);
            double along = distance(p.position, way[begin].position);
            while (middle + 1 < end && along + distance(way[middle].position, way[middle + 1].position) < half) {
                along += distance(way[middle].position, way[middle + 1].position);
                ++middle;
            }
            found = solveDoublePoint(surface, way[middle].edgeSide, way[middle].triangleSide, s) &&
                    distance(s.a.position, way[middle].position) < settings.longestGap;
            heading = (middle + 1 < end ? way[middle + 1].position : q.position) -
                      (middle > begin ? way[middle - 1].position : p.position);
        }
        if (!found) {
            Vec3 a, b;
            const double span = hermiteMiddle(p, q, a, b);
            // Refused if Newton's method moved the origins farther than the
            // gap spans, or the point farther than the gap is long: to
            // another branch rather than to this one's middle.
            found = solveDoublePoint(surface, a, b, s) &&
                    (std::hypot(angleBetween(a, s.a.unit), angleBetween(b, s.b.unit)) < span ||
                     distance(s.a.position, s.start) < chord);
            middle = begin + (end - begin) / 2;
        }
        if (!found) {
            if (!follow(p, q, pathLength(p.position, way, begin, end, q.position), out))
                out.push_back(breakMark());
            return;
        }
        const TracePoint m = orientedAlong(alignedWith(p, fromSolution(s)), heading);
        const auto more = [&](const TracePoint& x, const TracePoint& y, std::size_t b, std::size_t e) {
            return needsSplit(x, y, b < e ? pathLength(x.position, way, b, e, y.position) : 0, settings);
        };
        // Halved so often that the halves still need more: followed instead.
        const auto onward = [&](const TracePoint& x, const TracePoint& y, std::size_t b, std::size_t e) {
            if (!more(x, y, b, e))
                return;
            if (depth + 1 < deepestSplit)
                split(x, y, b, e, depth + 1, out);
            else if (!follow(x, y, pathLength(x.position, way, b, e, y.position), out))
                out.push_back(breakMark());
        };
        const std::size_t after = begin < end ? std::min(middle + 1, end) : end;
        onward(p, m, begin, std::min(middle, end));
        out.push_back(m);
        onward(m, q, after, end);
    }
};
}

bool needsSplit(const TracePoint& x, const TracePoint& y, double meshLength, const TracingSettings& settings)
{
    const double gap = distance(x.position, y.position);
    if (gap > settings.longestGap)
        return true;
    const double stray = strayFromChord(x, y);
    if (std::isinf(stray))
        return gap > 0.25 * settings.deviation;
    return gap > settings.deviation && (stray > settings.deviation || meshLength > detour * gap);
}

TracePoint breakMark()
{
    TracePoint p{};
    p.position.x = std::numeric_limits<double>::quiet_NaN();
    return p;
}

bool isBreak(const TracePoint& p)
{
    return std::isnan(p.position.x);
}

void fillGap(const ExactSurface& surface, const TracingSettings& settings, const std::vector<Waypoint>& way,
             const TracePoint& p, const TracePoint& q, std::vector<TracePoint>& out)
{
    GapSplitter{surface, settings, way}.split(p, q, 0, way.size(), 0, out);
}

std::vector<char> withoutExcursions(const std::vector<TracePoint>& line, bool closed, double near)
{
    constexpr long widest = 32;
    const long n = static_cast<long>(line.size());
    std::vector<char> kept(line.size(), 1);
    if (n < 4)
        return kept;
    // Index i of the polyline, wrapped in a loop; -1 past an open end. Every
    // index asked for is within [-n, 2n).
    const auto index = [&](long i) -> long {
        if (closed)
            return i < 0 ? i + n : (i >= n ? i - n : i);
        return i < 0 || i >= n ? -1 : i;
    };
    // The positions, a loop's three times over so that every index asked
    // for is read without wrapping it; `at` is asked for indices on the
    // polyline only.
    // NOTE: wrapping each index read cost this function 0.7 M of 3.5 M
    // instructions at t = 0.75, 12 x 12 (and of 5.3 M at 48 x 48).
    const long offset = closed ? n : 0;
    std::vector<Vec3> where(static_cast<std::size_t>(closed ? 3 * n : n));
    for (std::size_t i = 0; i < where.size(); ++i)
        where[i] = line[i % line.size()].position;
    const auto at = [&](long i) { return where[static_cast<std::size_t>(i + offset)]; };
    const auto on = [&](long i) { return closed || (i >= 0 && i < n); };
    const long span = std::min(widest, n / 2);
    // Whether a point is within `near` of chord c (to c + 1, or to `to`).
    const auto nearChord = [&](const Vec3& p, long c, long to) {
        return on(c) && on(to) && segmentDistance(p, at(c), at(to)) <= near;
    };
    // NOTE: a point is covered as soon as one chord is near it, so the
    // chords are tried from the window outwards and the search stops there:
    // at t = 0.75 (12 x 12) the full minimum over every chord cost 30 M
    // instructions a search.
    const auto coveredPoint = [&](long m, long i, long j) {
        if (nearChord(at(m), i, j))
            return true;
        const Vec3 p = at(m);
        for (long r = 0; r < span; ++r)
            if (nearChord(p, i - 1 - r, i - r) || nearChord(p, j + r, j + r + 1))
                return true;
        return false;
    };
    // Squared, a little beyond `near` so as to leave the decision to the
    // distance itself.
    const double beyond = near * near * (1 + 1e-9);
    Vec3 around[2 * widest + 1];
    for (long k = 0; k < n; ++k) {
        if (index(k - 1) < 0 || index(k + 1) < 0)
            continue;
        const Vec3 u = at(k) - at(k - 1), v = at(k + 1) - at(k);
        if (!(dot(u, v) < -0.5 * length(u) * length(v)))
            continue;
        // NOTE: the windows' ends, copied once round each turn back, are
        // compared by their squared distance first: at t = 0.75 (12 x 12)
        // this function took 4.8 M instructions a search, now 3.7 M.
        // The polyline from k - span to k + span, [lowest, highest] of it
        // there (past an open end it stops).
        const long first = k - span;
        const long lowest = closed ? 0 : std::max(0L, -first), highest = closed ? 2 * span : std::min(2 * span, n - 1 - first);
        for (long o = lowest; o <= highest; ++o)
            around[o] = at(first + o);
        // All the widest windows, so that the choice does not depend on
        // which way the polyline runs.
        bool done = false;
        for (long width = span; width >= 2 && !done; --width)
            for (long i = std::max(k - width + 1, first + lowest); i < k && i + width <= first + highest; ++i) {
                const long j = i + width;
                const Vec3 apart = around[i - first] - around[j - first];
                if (dot(apart, apart) > beyond || length(apart) > near)
                    continue;
                // The chords outside the window, and the one across it.
                bool covered = true;
                for (long m = i + 1; m < j && covered; ++m)
                    covered = coveredPoint(m, i, j);
                if (covered) {
                    for (long m = i + 1; m < j; ++m)
                        kept[static_cast<std::size_t>(index(m))] = 0;
                    done = true;
                }
            }
    }
    return kept;
}

std::size_t dropEndHooks(std::vector<TracePoint>& line, double near)
{
    constexpr long widest = 32;
    const auto turnsBack = [&](long k) {
        const Vec3 u = line[k].position - line[k - 1].position, v = line[k + 1].position - line[k].position;
        return dot(u, v) < -0.5 * length(u) * length(v);
    };
    // Whether the point lies within `near` of a chord from `from` to `to`.
    const auto covered = [&](const Vec3& p, long from, long to) {
        for (long c = std::max(0L, from); c < to; ++c)
            if (segmentDistance(p, line[c].position, line[c + 1].position) <= near)
                return true;
        return false;
    };
    // The hook's turning point, the tip, is kept: the chain got that far.
    const auto hookAtBack = [&]() -> long {
        const long n = static_cast<long>(line.size());
        for (long k = std::max(1L, n - 1 - widest); k + 1 < n; ++k) {
            if (!turnsBack(k))
                continue;
            bool all = true;
            for (long m = k + 1; m < n && all; ++m)
                all = covered(line[m].position, k - widest, k);
            if (all)
                return n - 1 - k;
        }
        return 0;
    };
    if (line.size() < 3)
        return 0;
    line.resize(line.size() - static_cast<std::size_t>(hookAtBack()));
    std::reverse(line.begin(), line.end());
    const std::size_t front = static_cast<std::size_t>(hookAtBack());
    line.resize(line.size() - front);
    std::reverse(line.begin(), line.end());
    return front;
}
