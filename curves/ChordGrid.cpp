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
