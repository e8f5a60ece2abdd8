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
    for (const DoubleCurve& curve : curves) {
        const std::size_t n = curve.points.size();
        for (std::size_t i = 0; i < n && (i + 1 < n || (curve.closed && n > 1)); ++i) {
            const double* p = curve.points[i].position;
            const double* q = curve.points[(i + 1) % n].position;
            c.add({p[0], p[1], p[2]}, {q[0], q[1], q[2]});
        }
    }
    c.build();
    return c;
}
