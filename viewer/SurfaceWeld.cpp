#include "viewer/SurfaceWeld.h"

#include <cmath>

#include "viewer/Origin.h"
#include "viewer/SurfaceCopy.h"
#include "viewer/SurfaceMesh.h"
#include "viewer/SurfaceSlots.h"

namespace {

// A sample of the block's own frame turned into the copy's place.
void turn(const float in[3], const CopyTurn& copy, double out[3])
{
    const double local[3] = {in[0], in[1], in[2]};
    turnIntoCopy(local, copy, out);
}
}

WeldedSurface weldSurface(const SurfaceMesh& surface, bool halfStrips)
{
    WeldedSurface out;
    IndexedMesh& mesh = out.mesh;
    const int rows = surface.gridRows();
    const int columns = surface.gridColumns();
    if (rows < 2 || columns < 2)
        return out;
    const int copies = surfaceCopyCount(surface);
    out.rows = rows;
    out.columns = columns;
    out.copies = copies;
    out.corners.resize(static_cast<std::size_t>(copies) * rows * columns);
    const SurfaceSlots slots(rows, columns, surface.around(), halfStrips);

    std::vector<float> us, vs;
    gridParameters(rows, columns, halfStrips, us, vs);
    std::vector<std::int64_t> vertexOfSlot(static_cast<std::size_t>(slots.count()), -1);
    std::vector<double> normalSums;

    for (int c = 0; c < copies; ++c) {
        const SurfaceCopy copy = surfaceCopy(surface, c);
        const CopyTurn turned = copyTurn(copy);
        SurfaceVertex* const* grid = surface.block(copy.block);
        std::uint32_t* cornerIndex = out.corners.data() + static_cast<std::size_t>(c) * rows * columns;
        for (int r = 0; r < rows; ++r)
            for (int j = 0; j < columns; ++j) {
                const std::size_t slot = static_cast<std::size_t>(slots.slot(copy.hemisphere, copy.strip, r, j));
                const SurfaceVertex& sample = grid[r][j];
                double normal[3];
                turn(sample.normal, turned, normal);
                if (vertexOfSlot[slot] < 0) {
                    vertexOfSlot[slot] = static_cast<std::int64_t>(mesh.vertexCount());
                    double position[3];
                    turn(sample.position, turned, position);
                    for (double p : position)
                        mesh.positions.push_back(static_cast<float>(p));
                    normalSums.insert(normalSums.end(), normal, normal + 3);
                    const Origin o = r == 0 ? Origin{copy.hemisphere == 0 ? 90.0 : -90.0, 0}
                                            : gridOrigin(us[r], vs[j], copy.hemisphere, copy.strip, copy.around);
                    mesh.origins.insert(mesh.origins.end(), {o.latitude, o.longitude});
                } else {
                    // A pole gathers one sample per column: its normal is
                    // their mean direction.
                    for (int i = 0; i < 3; ++i)
                        normalSums[static_cast<std::size_t>(vertexOfSlot[slot]) * 3 + i] += normal[i];
                }
                cornerIndex[static_cast<std::size_t>(r) * columns + j] = static_cast<std::uint32_t>(vertexOfSlot[slot]);
            }

        // The viewer's triangle strip between rows r and r + 1 winds
        // clockwise seen from the front; reversed here to the usual
        // counter-clockwise.
        auto corner = [&](int r, int j) { return cornerIndex[static_cast<std::size_t>(r) * columns + j]; };
        auto emit = [&](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
            if (a != b && b != c && a != c)
                mesh.indices.insert(mesh.indices.end(), {a, b, c});
        };
        for (int r = 0; r + 1 < rows; ++r)
            for (int j = 0; j + 1 < columns; ++j) {
                const std::uint32_t a = corner(r, j), b = corner(r + 1, j);
                const std::uint32_t c = corner(r, j + 1), d = corner(r + 1, j + 1);
                emit(a, c, b);
                emit(c, d, b);
            }
    }

    mesh.normals.resize(normalSums.size());
    for (std::size_t v = 0; v < normalSums.size(); v += 3) {
        const double* n = &normalSums[v];
        const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        for (int i = 0; i < 3; ++i)
            mesh.normals[v + i] = length > 0 ? static_cast<float>(n[i] / length) : 0.0f;
    }
    return out;
}
