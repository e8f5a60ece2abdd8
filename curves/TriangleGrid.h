#pragma once
// A uniform grid of cells over some of the search mesh's triangles (the
// fundamental domain's, or all), for finding those whose bounding boxes
// overlap a given triangle's.
//
// Each listed triangle sits in every cell its box touches, cells in
// x-fastest order and triangles in increasing number within a cell, so every
// query visits its answers in an order fixed by the mesh alone; each once,
// by a stamp the caller keeps per thread. Built on one thread; read by any
// number.
#include <cmath>
#include <cstdint>
#include <vector>

#include "curves/SearchMesh.h"

struct Box {
    Vec3 low, high;
};

inline bool overlap(const Box& a, const Box& b)
{
    return a.low.x <= b.high.x && b.low.x <= a.high.x && a.low.y <= b.high.y && b.low.y <= a.high.y &&
           a.low.z <= b.high.z && b.low.z <= a.high.z;
}

inline double larger(double a, double b)
{
    return a > b ? a : b;
}
inline double smaller(double a, double b)
{
    return a < b ? a : b;
}

// Every triangle's box.
std::vector<Box> triangleBoxes(const SearchMesh& mesh);

struct TriangleGrid {
    Box bounds;
    double inverseCell = 1;
    int size[3] = {1, 1, 1};
    std::vector<std::uint32_t> start;  // per cell, and one past the last
    std::vector<std::uint32_t> items;

    int coordinate(double x, double base, int axis) const
    {
        const double c = (x - base) * inverseCell;
        if (!(c > 0))
            return 0;
        return c >= size[axis] ? size[axis] - 1 : static_cast<int>(c);
    }
    void cellOf(const Vec3& p, int c[3]) const
    {
        c[0] = coordinate(p.x, bounds.low.x, 0);
        c[1] = coordinate(p.y, bounds.low.y, 1);
        c[2] = coordinate(p.z, bounds.low.z, 2);
    }
    std::size_t cellIndex(int x, int y, int z) const
    {
        return (static_cast<std::size_t>(z) * size[1] + y) * size[0] + x;
    }

    // Calls visit(a) once for every listed triangle a whose box overlaps `box`.
    // `stamps` has an entry per listed triangle, and `query` differs from
    // every value it holds (a number for each query, from 1).
    template <class Visit>
    void forEachOverlapping(const std::vector<Box>& boxes, const Box& box, std::vector<std::uint32_t>& stamps,
                            std::uint32_t query, Visit&& visit) const
    {
        inCells(box, [&](std::uint32_t a) {
            if (stamps[a] == query || !overlap(box, boxes[a]))
                return false;
            stamps[a] = query;
            visit(a);
            return false;
        });
    }

    // Whether `test` holds for a listed triangle whose box overlaps `box`,
    // asked in the same order, stopping at the first (a triangle in several
    // cells may be asked more than once).
    template <class Test>
    bool anyOverlapping(const std::vector<Box>& boxes, const Box& box, Test&& test) const
    {
        return inCells(box, [&](std::uint32_t a) { return overlap(box, boxes[a]) && test(a); });
    }

private:
    // Asks `stop` about the listed triangles in the cells `box` touches, cell
    // by cell, until it says to stop; whether it did.
    template <class Stop>
    bool inCells(const Box& box, Stop&& stop) const
    {
        if (!overlap(box, bounds))
            return false;
        int lo[3], hi[3];
        cellOf(box.low, lo);
        cellOf(box.high, hi);
        for (int z = lo[2]; z <= hi[2]; ++z)
            for (int y = lo[1]; y <= hi[1]; ++y)
                for (int x = lo[0]; x <= hi[0]; ++x) {
                    const std::size_t c = cellIndex(x, y, z);
                    for (std::uint32_t k = start[c]; k < start[c + 1]; ++k)
                        if (stop(items[k]))
                            return true;
                }
        return false;
    }
};

// The grid of triangles 0 .. listed - 1.
TriangleGrid buildTriangleGrid(const std::vector<Box>& boxes, std::uint32_t listed);
