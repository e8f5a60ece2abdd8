#include "export/WeldedMesh.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double pi = 3.141592653589793;

// Where a sample sits on the parameter sphere. Longitudes are counted in
// units of one column of a half-width strip (or of a full strip when the
// strips are full), so that every sampled column has a whole-number longitude
// shared by all strips and both hemispheres.
struct Slots {
    int rows;          // grid rows: 0 the pole, rows - 1 the equator
    long long around;  // longitude units once around
    long long perStrip;

    long long count() const { return 2 + around * (1 + 2LL * (rows - 2)); }

    long long slot(int hemisphere, int strip, int row, int column) const
    {
        if (row == 0)
            return hemisphere;
        // The second hemisphere is the first turned half a turn about y: its
        // strip s covers the longitudes of the first's strip s, with the
        // columns running the other way.
        long long g = hemisphere == 0 ? strip * perStrip + column : (strip + 1) * perStrip - column;
        g %= around;
        if (g < 0)
            g += around;
        if (row == rows - 1)
            return 2 + g;
        return 2 + around + (static_cast<long long>(hemisphere) * (rows - 2) + (row - 1)) * around + g;
    }
};

// The viewer's modelview for a strip: a half turn about y for the second
// hemisphere, then the strip's turn about z; both are rotations, so normals
// take the same matrix.
struct Rotation {
    double m[3][3];

    static Rotation forStrip(int hemisphere, int strip, int totalStrips)
    {
        const int k = hemisphere == 0 ? -strip : strip + 1;
        const double a = k * 2 * pi / totalStrips;
        const double c = std::cos(a), s = std::sin(a);
        const double flip = hemisphere == 0 ? 1 : -1;  // x and z negate under the half turn
        return {{{flip * c, -flip * s, 0}, {s, c, 0}, {0, 0, flip}}};
    }

    void apply(const float in[3], double out[3]) const
    {
        for (int i = 0; i < 3; ++i)
            out[i] = m[i][0] * in[0] + m[i][1] * in[1] + m[i][2] * in[2];
    }
};
}

IndexedMesh weldSurface(const StripGrid& grid, const SurfaceLayout& layout)
{
    IndexedMesh mesh;
    const int rows = grid.rowCount;
    const int columns = grid.columnCount;
    if (rows < 2 || columns < 2 || layout.totalStrips < 1)
        return mesh;
    const int patches = columns - 1;
    Slots slots{rows, 0, layout.halfStrips ? 2LL * patches : patches};
    slots.around = slots.perStrip * layout.totalStrips;

    std::vector<std::int64_t> vertexOfSlot(static_cast<std::size_t>(slots.count()), -1);
    std::vector<double> normalSums;
    std::vector<std::uint32_t> cornerIndex(static_cast<std::size_t>(rows) * columns);
    const int strips = std::clamp(layout.stripsShown, 0, layout.totalStrips);

    for (int h = 0; h < layout.hemispheres; ++h)
        for (int s = 0; s < strips; ++s) {
            const Rotation rotation = Rotation::forStrip(h, s, layout.totalStrips);
            for (int r = 0; r < rows; ++r)
                for (int j = 0; j < columns; ++j) {
                    const std::size_t slot = static_cast<std::size_t>(slots.slot(h, s, r, j));
                    const SurfaceVertex& sample = grid.rows[r][j];
                    double normal[3];
                    rotation.apply(sample.normal, normal);
                    if (vertexOfSlot[slot] < 0) {
                        vertexOfSlot[slot] = static_cast<std::int64_t>(mesh.vertexCount());
                        double position[3];
                        rotation.apply(sample.position, position);
                        for (double p : position)
                            mesh.positions.push_back(static_cast<float>(p));
                        normalSums.insert(normalSums.end(), normal, normal + 3);
                    } else {
                        // A pole gathers one sample per column: its normal is
                        // their mean direction.
                        for (int i = 0; i < 3; ++i)
                            normalSums[static_cast<std::size_t>(vertexOfSlot[slot]) * 3 + i] += normal[i];
                    }
                    cornerIndex[static_cast<std::size_t>(r) * columns + j] =
                        static_cast<std::uint32_t>(vertexOfSlot[slot]);
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
    return mesh;
}

MeshTopology analyseTopology(const std::vector<std::uint32_t>& indices)
{
    MeshTopology topology;
    topology.faces = indices.size() / 3;
    // Each directed edge as one 64-bit key (from, to); sorting by the
    // undirected pair groups the triangles that share an edge.
    std::vector<std::uint64_t> directed;
    directed.reserve(indices.size());
    std::vector<std::uint32_t> used(indices.begin(), indices.end());
    for (std::size_t f = 0; f + 2 < indices.size(); f += 3) {
        const std::uint32_t v[3] = {indices[f], indices[f + 1], indices[f + 2]};
        if (v[0] == v[1] || v[1] == v[2] || v[0] == v[2])
            ++topology.degenerateFaces;
        for (int e = 0; e < 3; ++e)
            directed.push_back(static_cast<std::uint64_t>(v[e]) << 32 | v[(e + 1) % 3]);
    }
    std::sort(used.begin(), used.end());
    topology.vertices = static_cast<std::size_t>(std::unique(used.begin(), used.end()) - used.begin());

    auto undirected = [](std::uint64_t key) {
        const std::uint64_t a = key >> 32, b = key & 0xffffffffu;
        return a < b ? (a << 32 | b) : (b << 32 | a);
    };
    std::sort(directed.begin(), directed.end(),
              [&](std::uint64_t x, std::uint64_t y) { return undirected(x) < undirected(y) || (undirected(x) == undirected(y) && x < y); });
    for (std::size_t i = 0; i < directed.size();) {
        std::size_t j = i;
        while (j < directed.size() && undirected(directed[j]) == undirected(directed[i]))
            ++j;
        ++topology.edges;
        const std::size_t uses = j - i;
        if (uses == 1)
            ++topology.boundaryEdges;
        else if (uses > 2)
            ++topology.overfullEdges;
        else if (directed[i] == directed[i + 1])
            ++topology.misorientedEdges;
        i = j;
    }
    return topology;
}
