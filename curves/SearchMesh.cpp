#include "curves/SearchMesh.h"

#include <algorithm>

#include "curves/SheetChart.h"

namespace {
// A fixed pseudo-random vector in [-1, 1]^3 for each vertex number.
Vec3 scatter(std::uint32_t v)
{
    std::uint64_t h = v * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull;
    double c[3];
    for (double& x : c) {
        h ^= h >> 31;
        h *= 0xBF58476D1CE4E5B9ull;
        h ^= h >> 29;
        x = static_cast<double>(h >> 11) * 0x1p-52 - 1;
    }
    return {c[0], c[1], c[2]};
}
}

std::uint32_t SearchMesh::vertex(int row, int column) const
{
    if (row <= 0)
        return 0;
    if (row >= lastRow())
        return 1 + static_cast<std::uint32_t>(lastRow() - 1) * columns;
    const int j = ((column % columns) + columns) % columns;
    return 1 + static_cast<std::uint32_t>(row - 1) * columns + j;
}

void SearchMesh::rowColumn(std::uint32_t v, int& row, int& column) const
{
    column = 0;
    if (v == 0) {
        row = 0;
    } else if (v == vertex(lastRow(), 0)) {
        row = lastRow();
    } else {
        row = 1 + static_cast<int>((v - 1) / columns);
        column = static_cast<int>((v - 1) % columns);
    }
}

Origin SearchMesh::origin(std::uint32_t v) const
{
    int row, column;
    rowColumn(v, row, column);
    return {90.0 - 90.0 * row / hemisphereRows, wrapLongitude(90.0 - 360.0 * column / columns)};
}

Vec3 SearchMesh::originUnit(std::uint32_t v) const
{
    int row, column;
    rowColumn(v, row, column);
    return {rowCos[row] * columnCos[column], rowCos[row] * columnSin[column], rowSin[row]};
}

std::uint32_t SearchMesh::mapVertex(int element, std::uint32_t v) const
{
    int row, column;
    rowColumn(v, row, column);
    // The half turn about y takes latitude to -latitude and longitude to
    // 180 - longitude, which is column -j; a turn 1 / n east is M columns back.
    if (symmetry.flipOf(element)) {
        row = lastRow() - row;
        column = -column;
    }
    return vertex(row, column - symmetry.turnOf(element) * stripColumns);
}

SearchMesh buildSearchMesh(const ExactSurface& surface, const SurfaceSymmetry& symmetry, int latitudinal,
                           int longitudinal)
{
    SearchMesh m;
    m.symmetry = symmetry;
    m.hemisphereRows = std::max(2, latitudinal);
    m.stripColumns = std::max(2, longitudinal);
    m.columns = m.stripColumns * symmetry.around;
    const int M = m.stripColumns, last = m.lastRow();
    const std::size_t vertices = 2 + static_cast<std::size_t>(last - 1) * m.columns;
    m.positions.resize(vertices);
    for (int i = 0; i <= last; ++i) {
        const Vec3 u = unitOfOrigin({90.0 - 90.0 * i / m.hemisphereRows, 0});
        m.rowCos.push_back(u.x);
        m.rowSin.push_back(u.z);
    }
    for (int j = 0; j < m.columns; ++j) {
        const Vec3 u = unitOfOrigin({0, wrapLongitude(90.0 - 360.0 * j / m.columns)});
        m.columnCos.push_back(u.x);
        m.columnSin.push_back(u.y);
    }

    // The domain's triangles.
    const int domainRows = symmetry.flips ? m.hemisphereRows : last;
    std::vector<std::array<std::uint32_t, 3>> domain;
    for (int i = 0; i < domainRows; ++i)
        for (int j = 0; j < M; ++j) {
            if (i == 0) {
                domain.push_back({m.vertex(0, 0), m.vertex(1, j + 1), m.vertex(1, j)});
            } else if (i == last - 1) {
                domain.push_back({m.vertex(i, j), m.vertex(i, j + 1), m.vertex(last, 0)});
            } else {
                domain.push_back({m.vertex(i, j), m.vertex(i, j + 1), m.vertex(i + 1, j)});
                domain.push_back({m.vertex(i, j + 1), m.vertex(i + 1, j + 1), m.vertex(i + 1, j)});
            }
        }
    m.domainTriangles = static_cast<int>(domain.size());

    // The domain's vertices, edges included, and where each element of the
    // group takes them.
    std::vector<std::uint32_t> sampled;
    for (int i = 0; i <= domainRows; ++i)
        for (int j = 0; j <= M; ++j)
            if (j == 0 || (i != 0 && i != last))  // a pole is one vertex
                sampled.push_back(m.vertex(i, j));
    const std::size_t count = sampled.size();
    const int order = symmetry.order();
    std::vector<std::uint32_t> image(count * order);
    for (int g = 0; g < order; ++g)
        for (std::size_t k = 0; k < count; ++k)
            image[g * count + k] = m.mapVertex(g, sampled[k]);
    std::vector<std::uint32_t> local(vertices, 0);
    for (std::size_t k = 0; k < count; ++k)
        local[sampled[k]] = static_cast<std::uint32_t>(k);

    m.triangles.resize(domain.size() * order);
    for (int g = 0; g < order; ++g)
        for (std::size_t t = 0; t < domain.size(); ++t)
            for (int k = 0; k < 3; ++k)
                m.triangles[g * domain.size() + t][k] = image[g * count + local[domain[t][k]]];

    // The domain's vertices evaluated exactly, each moved by the mean of
    // g r(g^-1 v) over the group: a fixed scatter r made equivariant, so that
    // g v is moved by g of v's offset, and a vertex a turn fixes (a pole)
    // only along that turn's axis.
    std::vector<Vec3> jitter(count);
    const long evaluations = static_cast<long>(count);
#if defined(_OPENMP)
#pragma omp parallel for schedule(static) if (evaluations >= 512)
#endif
    for (long k = 0; k < evaluations; ++k) {
        const std::uint32_t v = sampled[k];
        double position[3];
        exactPosition(surface, m.origin(v), position);
        m.positions[v] = {position[0], position[1], position[2]};
        Vec3 sum;
        for (int g = 0; g < order; ++g)
            sum = sum + applySymmetry(symmetry, g, scatter(image[symmetry.inverse(g) * count + k]));
        jitter[k] = sum * (1.0 / order);
    }
    double size = 0;
    for (const std::uint32_t v : sampled)
        size = std::max(size, length(m.positions[v]));
    for (std::size_t k = 0; k < count; ++k)
        m.positions[sampled[k]] = m.positions[sampled[k]] + jitter[k] * (searchJitter * size);

    // Every other vertex is a turned copy of one of them; a vertex on the
    // domain's edge keeps the first value it gets (they agree to rounding).
    std::vector<char> known(vertices, 0);
    for (const std::uint32_t v : sampled)
        known[v] = 1;
    for (int g = 1; g < order; ++g)
        for (std::size_t k = 0; k < count; ++k) {
            const std::uint32_t w = image[g * count + k];
            if (!known[w]) {
                known[w] = 1;
                m.positions[w] = applySymmetry(symmetry, g, m.positions[sampled[k]]);
            }
        }
    return m;
}
