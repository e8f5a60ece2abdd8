#include "curves/StarWays.h"

#include <cmath>
#include <numeric>

#include "curves/CurveJoins.h"

// NOTE: eight strips, t = 0.5, 12 x 12: the axis points' ways had 2,458
// points, 19,664 with their images, against the search's 5,136 for all its
// curves. Thinned to within a fortieth of a row they make 5,352, and the
// curves are 195.4 long (196.9 unthinned, 197.3 at 96 x 96 unthinned, and
// the search's 195.0); within a tenth, the search's bound, 3,032 and 192.4.
void thinWay(const TracePoint& start, double deviation, double longest, std::vector<TracePoint>& way)
{
    std::vector<TracePoint> kept;
    Vec3 from = start.position;
    std::size_t i = 0;
    while (i < way.size()) {
        std::size_t j = i;
        while (j + 1 < way.size() && distance(from, way[j + 1].position) <= longest) {
            bool straight = true;
            for (std::size_t k = i; k <= j && straight; ++k)
                straight = segmentDistance(way[k].position, from, way[j + 1].position) <= deviation;
            if (!straight)
                break;
            ++j;
        }
        kept.push_back(way[j]);
        from = way[j].position;
        i = j + 1;
    }
    way = std::move(kept);
}

namespace {
// Arms' starts closer than this (world units) are at one point: a way's
// image comes into it placed by the group's turns, to within rounding.
constexpr double samePoint = 1e-9;
}

std::vector<WayCurve> joinWays(const std::vector<TracePoint>& starts, const std::vector<ArmWay>& segments)
{
    std::vector<WayCurve> made;
    std::vector<char> used(starts.size(), 0);
    // Out of arm k and straight on through each point come into, until a way
    // ends in a pinch or comes into a0.
    const auto goOn = [&](std::size_t a0, std::size_t k, WayCurve& line) {
        for (;;) {
            const ArmWay& s = segments[k];
            used[k] = 1;
            if (distance(line.points.back().position, starts[k].position) > samePoint)
                line.points.push_back(alignedWith(line.points.back(), starts[k]));
            for (const TracePoint& p : s.points)
                line.points.push_back(alignedWith(line.points.back(), p));
            if (s.pinched)
                return;
            used[static_cast<std::size_t>(s.arrival)] = 1;
            k = static_cast<std::size_t>(s.arrival) ^ 1;
            if (k == a0) {
                if (distance(line.points.back().position, line.points.front().position) <= samePoint)
                    line.points.pop_back();
                line.closed = true;
                return;
            }
            if (used[k])
                return;
        }
    };
    // The curves between pinches first: each from its first way backwards.
    for (std::size_t a0 = 0; a0 < starts.size(); ++a0) {
        if (used[a0] || !segments[a0].pinched)
            continue;
        used[a0] = 1;
        WayCurve line;
        const std::vector<TracePoint>& way = segments[a0].points;
        for (std::size_t i = way.size(); i-- > 0;)
            line.points.push_back(line.points.empty() ? way[i] : alignedWith(line.points.back(), way[i]));
        line.points.push_back(line.points.empty() ? starts[a0] : alignedWith(line.points.back(), starts[a0]));
        goOn(starts.size(), a0 ^ 1, line);
        made.push_back(std::move(line));
    }
    for (std::size_t a0 = 0; a0 < starts.size(); ++a0) {
        if (used[a0])
            continue;
        WayCurve line;
        line.points.push_back(starts[a0]);
        goOn(a0, a0, line);
        made.push_back(std::move(line));
    }
    return made;
}

MadeChords madeChords(const std::vector<WayCurve>& made, double sheetReach)
{
    MadeChords chords;
    for (const WayCurve& line : made) {
        const std::size_t n = line.points.size();
        for (std::size_t i = 0; i < n && (i + 1 < n || (line.closed && n > 1)); ++i) {
            chords.grid.add(line.points[i].position, line.points[(i + 1) % n].position);
            chords.sheets.push_back({line.points[i].ua, line.points[i].ub});
        }
    }
    chords.grid.build();
    chords.close = std::cos(sheetReach);
    return chords;
}

bool MadeChords::along(const CurvePoint& p, double reach) const
{
    OriginPair named;
    bool known = false;
    return grid.anyNear(positionOf(p), reach, [&](std::uint32_t k) {
        if (!known)
            named = {unitOfOrigin(p.a), unitOfOrigin(p.b)};
        known = true;
        return sameTwoSheets(named, sheets[k], close);
    });
}

std::vector<std::vector<char>> pointsAlong(const MadeChords& chords, const std::vector<DoubleCurve>& curves,
                                           double along)
{
    std::vector<std::vector<char>> flags(curves.size());
    const long count = static_cast<long>(curves.size());
#if defined(_OPENMP)
#pragma omp parallel for schedule(dynamic, 4)
#endif
    for (long c = 0; c < count; ++c) {
        const std::vector<CurvePoint>& line = curves[static_cast<std::size_t>(c)].points;
        std::vector<char>& f = flags[static_cast<std::size_t>(c)];
        f.resize(line.size());
        for (std::size_t i = 0; i < line.size(); ++i)
            f[i] = chords.along(line[i], along);
    }
    return flags;
}

void addMade(const std::vector<WayCurve>& made, std::vector<DoubleCurve>& curves)
{
    for (const WayCurve& line : made) {
        DoubleCurve curve;
        curve.closed = line.closed;
        for (const TracePoint& p : line.points)
            curve.points.push_back(curvePoint(p));
        curves.push_back(std::move(curve));
    }
}

void addWaysNearTheirPoints(const SurfaceSymmetry& symmetry, const std::vector<TracePoint>& starts,
                            const ArmOrbits& orbits, const std::vector<ArmWay>& ways, double reach,
                            std::vector<TracedPolyline>& near)
{
    std::vector<int> everyElement(static_cast<std::size_t>(symmetry.order()));
    std::iota(everyElement.begin(), everyElement.end(), 0);
    for (std::size_t k = 0; k < ways.size(); ++k) {
        if (orbits.representative[k] != k)
            continue;
        std::vector<TracePoint> stretch{starts[k]};
        for (const TracePoint& p : ways[k].points) {
            stretch.push_back(p);
            if (distance(p.position, starts[k].position) > reach)
                break;
        }
        near.push_back({std::move(stretch), false, everyElement, 0});
    }
}
