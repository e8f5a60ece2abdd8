#pragma once
// The chords of polylines over a grid, for which of them pass near a point.
//
// World units. Chords are numbered in the order they were added; build()
// indexes them, after which the queries may run on any number of threads.
#include <utility>
#include <vector>

#include "curves/DoubleCurves.h"
#include "curves/SheetChart.h"
#include "curves/TriangleGrid.h"

struct ChordGrid {
    std::vector<std::pair<Vec3, Vec3>> ends;
    std::vector<Box> boxes;
    TriangleGrid grid;

    void add(const Vec3& p, const Vec3& q);
    void build();
    // Whether test(k) holds for a chord k within `reach` of p, asked cell by
    // cell and stopping at the first.
    template <class Test>
    bool anyNear(const Vec3& p, double reach, Test&& test) const
    {
        const Box box{{p.x - reach, p.y - reach, p.z - reach}, {p.x + reach, p.y + reach, p.z + reach}};
        return grid.anyOverlapping(boxes, box, [&](std::uint32_t k) {
            return segmentDistance(p, ends[k].first, ends[k].second) <= reach && test(k);
        });
    }
    // Calls visit(k) once for each chord k within `reach` of p; `stamps` and
    // `query` as TriangleGrid::forEachOverlapping's.
    template <class Visit>
    void forEachNear(const Vec3& p, double reach, std::vector<std::uint32_t>& stamps, std::uint32_t query,
                     Visit&& visit) const
    {
        const Box box{{p.x - reach, p.y - reach, p.z - reach}, {p.x + reach, p.y + reach, p.z + reach}};
        grid.forEachOverlapping(boxes, box, stamps, query, [&](std::uint32_t k) {
            if (segmentDistance(p, ends[k].first, ends[k].second) <= reach)
                visit(k);
        });
    }
    bool near(const Vec3& p, double reach) const
    {
        return anyNear(p, reach, [](std::uint32_t) { return true; });
    }
};

// Calls visit(c, i, j) for every chord of the curves in turn, from point i of
// curve c to its point j, a closed curve's last to its first included.
template <class Visit>
void forEachChord(const std::vector<DoubleCurve>& curves, Visit&& visit)
{
    for (std::size_t c = 0; c < curves.size(); ++c) {
        const std::size_t n = curves[c].points.size();
        for (std::size_t i = 0; i < n && (i + 1 < n || (curves[c].closed && n > 1)); ++i)
            visit(c, i, (i + 1) % n);
    }
}

// Every chord of the curves, numbered as forEachChord visits them.
ChordGrid chordGridOf(const std::vector<DoubleCurve>& curves);

// The chords of curves over a grid, with the curve each is of and the two
// sheets at its first point (origins as unit vectors), made when first asked
// for: a search asks for a few of them. Keeps a pointer to the curves, which
// must outlive it unchanged; one thread at a time.
class SheetChords {
public:
    explicit SheetChords(const std::vector<DoubleCurve>& curves);

    const ChordGrid& grid() const { return chords; }
    std::size_t curveOf(std::uint32_t k) const { return from[k].first; }
    const OriginPair& sheetsOf(std::uint32_t k);
    // Whether a chord within `reach` of p lies on the two sheets `on` (each
    // origin within the angle whose cosine is `close` of its fellow's).
    bool nearOn(const Vec3& p, double reach, const OriginPair& on, double close);
    // The same for the chords of one curve.
    bool nearOn(const Vec3& p, double reach, const OriginPair& on, double close, std::size_t curve);
    // Calls visit(curve) for the curve of each chord within `reach` of p on
    // the two sheets `on` (a curve may come more than once).
    template <class Visit>
    void curvesNearOn(const Vec3& p, double reach, const OriginPair& on, double close, Visit&& visit)
    {
        chords.anyNear(p, reach, [&](std::uint32_t k) {
            if (sameTwoSheets(sheetsOf(k), on, close))
                visit(curveOf(k));
            return false;
        });
    }

private:
    const std::vector<DoubleCurve>* curves;
    ChordGrid chords;
    std::vector<std::pair<std::size_t, std::size_t>> from;  // curve, point
    std::vector<OriginPair> sheets;
    std::vector<char> made;
};
