#include "curves/ChordGrid.h"

#include "curves/CurveJoins.h"

void ChordGrid::add(const Vec3& p, const Vec3& q)
{
    ends.push_back({p, q});
    boxes.push_back({{smaller(p.x, q.x), smaller(p.y, q.y), smaller(p.z, q.z)},
                     {larger(p.x, q.x), larger(p.y, q.y), larger(p.z, q.z)}});
}

void ChordGrid::build()
{
    grid = buildTriangleGrid(boxes, static_cast<std::uint32_t>(boxes.size()));
}

ChordGrid chordGridOf(const std::vector<DoubleCurve>& curves)
{
    ChordGrid c;
    forEachChord(curves, [&](std::size_t k, std::size_t i, std::size_t j) {
        c.add(positionOf(curves[k].points[i]), positionOf(curves[k].points[j]));
    });
    c.build();
    return c;
}

SheetChords::SheetChords(const std::vector<DoubleCurve>& curves) : curves(&curves), chords(chordGridOf(curves))
{
    forEachChord(curves, [&](std::size_t c, std::size_t i, std::size_t) { from.push_back({c, i}); });
    sheets.resize(from.size());
    made.resize(from.size(), 0);
}

const OriginPair& SheetChords::sheetsOf(std::uint32_t k)
{
    if (!made[k]) {
        const CurvePoint& p = (*curves)[from[k].first].points[from[k].second];
        sheets[k] = {unitOfOrigin(p.a), unitOfOrigin(p.b)};
        made[k] = 1;
    }
    return sheets[k];
}

bool SheetChords::nearOn(const Vec3& p, double reach, const OriginPair& on, double close)
{
    return chords.anyNear(p, reach, [&](std::uint32_t k) { return sameTwoSheets(sheetsOf(k), on, close); });
}

bool SheetChords::nearOn(const Vec3& p, double reach, const OriginPair& on, double close, std::size_t curve)
{
    return chords.anyNear(p, reach,
                          [&](std::uint32_t k) { return curveOf(k) == curve && sameTwoSheets(sheetsOf(k), on, close); });
}
