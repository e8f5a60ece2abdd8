#include "curves/ChordGrid.h"

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
    forEachChord(curves, [&](const CurvePoint& p, const CurvePoint& q) {
        c.add({p.position[0], p.position[1], p.position[2]}, {q.position[0], q.position[1], q.position[2]});
    });
    c.build();
    return c;
}

SheetChords::SheetChords(const std::vector<DoubleCurve>& curves) : chords(chordGridOf(curves))
{
    forEachChord(curves, [&](const CurvePoint& p, const CurvePoint&) { starts.push_back(&p); });
    sheets.resize(starts.size());
    made.resize(starts.size(), 0);
}

const OriginPair& SheetChords::sheetsOf(std::uint32_t k)
{
    if (!made[k]) {
        sheets[k] = {unitOfOrigin(starts[k]->a), unitOfOrigin(starts[k]->b)};
        made[k] = 1;
    }
    return sheets[k];
}

bool SheetChords::nearOn(const Vec3& p, double reach, const OriginPair& on, double close)
{
    return chords.anyNear(p, reach, [&](std::uint32_t k) { return sameTwoSheets(sheetsOf(k), on, close); });
}
