#include "curves/CurveDuplicates.h"

#include <algorithm>
#include <cmath>

#include "curves/CurveJoins.h"
#include "curves/SheetChart.h"
#include "curves/TriangleGrid.h"

void dropDuplicates(std::vector<DoubleCurve>& curves, const std::vector<std::size_t>& orbit, double longest, double near,
                    double sheetReach)
{
    // NOTE: every chord of every longer curve scanned for every point of
    // every curve, with the origins' unit vectors formed at each, cost 70 M
    // instructions at t = 0.75 (12 x 12), a quarter of the search. Asking
    // one curve an orbit, only about the chords in runs whose boxes reach
    // it, with the unit vectors formed once where asked for: 4.2 M.
    constexpr std::size_t runLength = 16;
    // Each curve's length, its box, the boxes of its runs of chords, and its
    // points' origins as unit vectors once they are asked for.
    struct Shape {
        double length = 0;
        Box box;
        std::vector<Box> runs;
        std::vector<char> formed;
        std::vector<OriginPair> units;
    };
    const auto grow = [](Box& b, const Vec3& p) {
        b.low = {smaller(b.low.x, p.x), smaller(b.low.y, p.y), smaller(b.low.z, p.z)};
        b.high = {larger(b.high.x, p.x), larger(b.high.y, p.y), larger(b.high.z, p.z)};
    };
    const auto chordsOf = [&](std::size_t c) {
        const std::size_t n = curves[c].points.size();
        return n == 0 ? 0 : n - 1 + (curves[c].closed && n > 1 ? 1 : 0);
    };
    std::vector<Shape> shapes(curves.size());
    for (std::size_t c = 0; c < curves.size(); ++c) {
        const std::vector<CurvePoint>& points = curves[c].points;
        Shape& s = shapes[c];
        s.formed.assign(points.size(), 0);
        s.units.resize(points.size());
        if (points.empty())
            continue;
        s.box = {positionOf(points[0]), positionOf(points[0])};
        for (std::size_t i = 0; i < chordsOf(c); ++i) {
            const Vec3 from = positionOf(points[i]), to = positionOf(points[(i + 1) % points.size()]);
            s.length += distance(from, to);
            grow(s.box, to);
            if (i % runLength == 0)
                s.runs.push_back({from, from});
            grow(s.runs.back(), to);
        }
    }
    const auto units = [&](std::size_t c, std::size_t i) -> const OriginPair& {
        Shape& s = shapes[c];
        if (!s.formed[i]) {
            s.units[i] = {unitOfOrigin(curves[c].points[i].a), unitOfOrigin(curves[c].points[i].b)};
            s.formed[i] = 1;
        }
        return s.units[i];
    };
    const double close = std::cos(sheetReach);
    const Vec3 margin{near, near, near};
    const auto grown = [&](const Box& b) { return Box{b.low - margin, b.high + margin}; };
    // Whether box a grown by `near` holds box b.
    const auto holds = [&](const Box& a, const Box& b) {
        return b.low.x >= a.low.x - near && b.low.y >= a.low.y - near && b.low.z >= a.low.z - near &&
               b.high.x <= a.high.x + near && b.high.y <= a.high.y + near && b.high.z <= a.high.z + near;
    };
    std::vector<std::size_t> nearby;
    // Whether every point of curve f lies within `near` of a chord of curve
    // c on the same two sheets: asked first of its first point, against the
    // runs that reach it, then of the rest against the runs that reach the
    // whole curve.
    const auto alongAll = [&](std::size_t f, std::size_t c) {
        const Shape& s = shapes[c];
        const std::vector<CurvePoint>& points = curves[c].points;
        const auto onChord = [&](std::size_t i, std::size_t j) {
            const std::size_t k = (j + 1) % points.size();
            return segmentDistance(positionOf(curves[f].points[i]), positionOf(points[j]), positionOf(points[k])) <=
                       near &&
                   (sameTwoSheets(units(f, i), units(c, j), close) || sameTwoSheets(units(f, i), units(c, k), close));
        };
        const auto gather = [&](const Box& around) {
            nearby.clear();
            for (std::size_t r = 0; r < s.runs.size(); ++r)
                if (overlap(around, s.runs[r]))
                    for (std::size_t j = r * runLength; j < std::min((r + 1) * runLength, chordsOf(c)); ++j)
                        nearby.push_back(j);
        };
        const Vec3 first = positionOf(curves[f].points[0]);
        gather(grown({first, first}));
        if (!std::any_of(nearby.begin(), nearby.end(), [&](std::size_t j) { return onChord(0, j); }))
            return false;
        gather(grown(shapes[f].box));
        for (std::size_t i = 1; i < curves[f].points.size(); ++i)
            if (!std::any_of(nearby.begin(), nearby.end(), [&](std::size_t j) { return onChord(i, j); }))
                return false;
        return true;
    };
    // One curve an orbit is asked about, and the orbit goes with it.
    std::vector<char> droppedOrbit(curves.size(), 0);
    for (std::size_t f = 0; f < curves.size(); ++f) {
        if ((f > 0 && orbit[f] == orbit[f - 1]) || shapes[f].length > longest || curves[f].points.empty())
            continue;
        for (std::size_t c = 0; c < curves.size() && !droppedOrbit[orbit[f]]; ++c)
            droppedOrbit[orbit[f]] =
                shapes[c].length > shapes[f].length && holds(shapes[c].box, shapes[f].box) && alongAll(f, c);
    }
    std::size_t c = 0;
    std::erase_if(curves, [&](const DoubleCurve&) { return droppedOrbit[orbit[c++]] != 0; });
}
