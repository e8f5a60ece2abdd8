#include "curves/TriangleGrid.h"

#include <algorithm>

namespace {
// Cells about the mean box size keep most triangles in one to eight cells.
constexpr double cellPerBox = 1.5;
// And no more cells than this many a listed triangle, whatever the spread.
constexpr double cellsPerTriangle = 8;
}

std::vector<Box> triangleBoxes(const SearchMesh& mesh)
{
    std::vector<Box> boxes(mesh.triangles.size());
    const long count = static_cast<long>(boxes.size());
#if defined(_OPENMP)
#pragma omp parallel for schedule(static) if (count >= 4096)
#endif
    for (long t = 0; t < count; ++t) {
        const auto& tri = mesh.triangles[t];
        const Vec3 &p = mesh.positions[tri[0]], &q = mesh.positions[tri[1]], &r = mesh.positions[tri[2]];
        Box& b = boxes[t];
        b.low = {smaller(smaller(p.x, q.x), r.x), smaller(smaller(p.y, q.y), r.y), smaller(smaller(p.z, q.z), r.z)};
        b.high = {larger(larger(p.x, q.x), r.x), larger(larger(p.y, q.y), r.y), larger(larger(p.z, q.z), r.z)};
    }
    return boxes;
}

TriangleGrid buildTriangleGrid(const std::vector<Box>& boxes, std::uint32_t listed)
{
    TriangleGrid g;
    if (listed == 0) {
        g.bounds = {{1, 1, 1}, {0, 0, 0}};  // overlaps nothing
        g.start.assign(2, 0);
        return g;
    }
    Box all = boxes[0];
    double sizes = 0;
    for (std::uint32_t t = 0; t < listed; ++t) {
        const Box& b = boxes[t];
        all.low = {smaller(all.low.x, b.low.x), smaller(all.low.y, b.low.y), smaller(all.low.z, b.low.z)};
        all.high = {larger(all.high.x, b.high.x), larger(all.high.y, b.high.y), larger(all.high.z, b.high.z)};
        sizes += larger(larger(b.high.x - b.low.x, b.high.y - b.low.y), b.high.z - b.low.z);
    }
    g.bounds = all;
    const Vec3 extent = all.high - all.low;
    double cell = larger(cellPerBox * sizes / listed, 1e-12);
    const double volume = larger(extent.x, cell) * larger(extent.y, cell) * larger(extent.z, cell);
    const double most = cellsPerTriangle * listed;
    if (volume / (cell * cell * cell) > most)
        cell = std::cbrt(volume / most);
    // Boxes of no size in a plane leave the volume nothing to go by (points
    // on a mirror plane got cells 1e-5 wide, and asking them took minutes):
    // the cells are widened until they are few enough. Elsewhere the rules
    // above keep the count within 8 times `most`.
    const auto cellsFor = [&](double c) {
        return (extent.x / c + 1) * (extent.y / c + 1) * (extent.z / c + 1);
    };
    while (cellsFor(cell) > 64 * most)
        cell *= 2;
    g.inverseCell = 1 / cell;
    g.size[0] = std::max(1, static_cast<int>(extent.x / cell) + 1);
    g.size[1] = std::max(1, static_cast<int>(extent.y / cell) + 1);
    g.size[2] = std::max(1, static_cast<int>(extent.z / cell) + 1);
    const std::size_t cells = static_cast<std::size_t>(g.size[0]) * g.size[1] * g.size[2];

    // Counting sort of (cell, triangle) in two passes over the same loops.
    g.start.assign(cells + 1, 0);
    const auto forCells = [&](std::uint32_t t, auto&& action) {
        int lo[3], hi[3];
        g.cellOf(boxes[t].low, lo);
        g.cellOf(boxes[t].high, hi);
        for (int z = lo[2]; z <= hi[2]; ++z)
            for (int y = lo[1]; y <= hi[1]; ++y)
                for (int x = lo[0]; x <= hi[0]; ++x)
                    action(g.cellIndex(x, y, z));
    };
    for (std::uint32_t t = 0; t < listed; ++t)
        forCells(t, [&](std::size_t c) { ++g.start[c + 1]; });
    for (std::size_t c = 0; c < cells; ++c)
        g.start[c + 1] += g.start[c];
    g.items.resize(g.start[cells]);
    std::vector<std::uint32_t> fill(g.start.begin(), g.start.end() - 1);
    for (std::uint32_t t = 0; t < listed; ++t)
        forCells(t, [&](std::size_t c) { g.items[fill[c]++] = t; });
    return g;
}
