#include "web/SurfaceBuffers.h"

#include <GLES3/gl3.h>

#include <cstddef>
#include <utility>

#include "viewer/Origin.h"

namespace {
constexpr std::uint32_t restartIndex = 0xFFFFFFFFu;

// The zig-zag of row r, (r, j) then (r + 1, j) for every column, as the
// desktop sends it.
void appendRowStrip(std::vector<std::uint32_t>& out, int r, int columns)
{
    for (int j = 0; j < columns; ++j) {
        out.push_back(static_cast<std::uint32_t>(r * columns + j));
        out.push_back(static_cast<std::uint32_t>((r + 1) * columns + j));
    }
    out.push_back(restartIndex);
}

void appendCorner(std::vector<float>& out, const SurfaceVertex& v)
{
    out.insert(out.end(), v.position, v.position + 3);
}
}

void SurfaceBuffers::createObjects()
{
    glGenVertexArrays(1, &vertexArray);
    glGenBuffers(1, &vertexBuffer);
    glGenBuffers(1, &indexBuffer);
    glBindVertexArray(vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    glEnableVertexAttribArray(0);
    glEnableVertexAttribArray(1);
    pointedBlock = -1;
    pointAt(0);

    glGenVertexArrays(1, &wireArray);
    glGenBuffers(1, &wireBuffer);
    glBindVertexArray(wireArray);
    glBindBuffer(GL_ARRAY_BUFFER, wireBuffer);
    // Each line end: its position, then the three corners of its triangle.
    constexpr GLsizei stride = 12 * sizeof(float);
    for (GLuint a = 0; a < 4; ++a) {
        glEnableVertexAttribArray(a);
        glVertexAttribPointer(a, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(a * 3 * sizeof(float)));
    }
    glBindVertexArray(0);
}

// Points the position and normal attributes at a block's first vertex: WebGL
// 2 has no base vertex for indexed drawing, and one index list serves every
// block.
void SurfaceBuffers::pointAt(int block)
{
    if (block == pointedBlock)
        return;
    const std::size_t first = static_cast<std::size_t>(block) * rows * columns * sizeof(SurfaceVertex);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(SurfaceVertex),
                          reinterpret_cast<void*>(first + offsetof(SurfaceVertex, position)));
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, sizeof(SurfaceVertex),
                          reinterpret_cast<void*>(first + offsetof(SurfaceVertex, normal)));
    pointedBlock = block;
}

void SurfaceBuffers::upload(SurfaceVertex* const* grid, int rowCount, int columnCount, int blockCount)
{
    if (!vertexArray)
        createObjects();
    rows = rowCount;
    columns = columnCount;
    blocks = blockCount;
    vertices.clear();
    for (int r = 0; r < rows * blocks; ++r)
        vertices.insert(vertices.end(), grid[r], grid[r] + columns);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(SurfaceVertex)),
                 vertices.data(), GL_DYNAMIC_DRAW);
    indexedMode = -1;
    wireBuilt = false;
    parameterKey = -1;
}

void SurfaceBuffers::useGridParameters(bool halfStrips)
{
    if (!vertexArray || parameterKey == (halfStrips ? 1 : 0))
        return;
    std::vector<float> us, vs, uv;
    gridParameters(rows, columns, halfStrips, us, vs);
    uv.reserve(static_cast<std::size_t>(rows) * columns * 2);
    for (int r = 0; r < rows; ++r)
        for (int j = 0; j < columns; ++j)
            uv.insert(uv.end(), {us[r], vs[j]});
    if (!parameterBuffer)
        glGenBuffers(1, &parameterBuffer);
    glBindVertexArray(vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, parameterBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(uv.size() * sizeof(float)), uv.data(), GL_DYNAMIC_DRAW);
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, 2 * sizeof(float), nullptr);
    glBindVertexArray(0);
    parameterKey = halfStrips ? 1 : 0;
}

void SurfaceBuffers::buildIndices(int displayMode)
{
    indices.clear();
    parts[0] = parts[1] = Range();
    const int cells = rows - 1;
    const int cellColumns = columns - 1;
    if (displayMode == 2) {
        for (int r = 0; r < cells; ++r)
            appendRowStrip(indices, r, columns);
        parts[0].count = parts[1].count = static_cast<int>(indices.size());
    } else if (displayMode == 3) {
        for (int r = 0; r < cells; ++r)
            for (int j = r % 2; j < cellColumns; j += 2) {
                for (const int k : {r * columns + j, (r + 1) * columns + j, r * columns + j + 1,
                                    (r + 1) * columns + j + 1})
                    indices.push_back(static_cast<std::uint32_t>(k));
                indices.push_back(restartIndex);
            }
        parts[0].count = parts[1].count = static_cast<int>(indices.size());
    } else if (displayMode == 4) {
        for (int parity = 0; parity < 2; ++parity) {
            parts[parity].first = static_cast<int>(indices.size());
            for (int r = parity; r < cells; r += 2)
                appendRowStrip(indices, r, columns);
            parts[parity].count = static_cast<int>(indices.size()) - parts[parity].first;
        }
    }
    glBindVertexArray(vertexArray);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(std::uint32_t)),
                 indices.data(), GL_DYNAMIC_DRAW);
    glBindVertexArray(0);
    indexedMode = displayMode;
}

void SurfaceBuffers::buildWire()
{
    // The triangles of the row strips in the order and winding a strip gives
    // them: (s_i, s_i+1, s_i+2) for even i, (s_i+1, s_i, s_i+2) for odd i.
    wire.clear();
    const auto at = [&](int first, int r, int k) -> const SurfaceVertex& {
        // Strip vertex k of row r: (r, k / 2) for even k, (r + 1, k / 2) for odd.
        return vertices[static_cast<std::size_t>((first + r + k % 2) * columns + k / 2)];
    };
    for (int first = 0; first < blocks * rows; first += rows)
        for (int r = 0; r + 1 < rows; ++r)
            for (int i = 0; i + 2 < 2 * columns; ++i) {
                const SurfaceVertex* corner[3] = {&at(first, r, i), &at(first, r, i + 1), &at(first, r, i + 2)};
                if (i % 2)
                    std::swap(corner[0], corner[1]);
                for (int e = 0; e < 3; ++e)
                    for (const SurfaceVertex* end : {corner[e], corner[(e + 1) % 3]}) {
                        appendCorner(wire, *end);
                        for (const SurfaceVertex* c : corner)
                            appendCorner(wire, *c);
                    }
            }
    wireVertices = static_cast<int>(wire.size() / 12) / blocks;
    glBindBuffer(GL_ARRAY_BUFFER, wireBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(wire.size() * sizeof(float)), wire.data(),
                 GL_DYNAMIC_DRAW);
    wireBuilt = true;
}

void SurfaceBuffers::draw(int displayMode, int hemisphere, int block)
{
    if (!vertexArray || rows < 2 || columns < 2 || block < 0 || block >= blocks)
        return;
    if (displayMode == 0) {
        glBindVertexArray(vertexArray);
        glDrawArrays(GL_POINTS, block * rows * columns, rows * columns);
    } else if (displayMode == 1) {
        if (!wireBuilt)
            buildWire();
        glBindVertexArray(wireArray);
        glDrawArrays(GL_LINES, block * wireVertices, wireVertices);
    } else if (displayMode >= 2 && displayMode <= 4) {
        if (indexedMode != displayMode)
            buildIndices(displayMode);
        const Range& part = parts[hemisphere % 2];
        glBindVertexArray(vertexArray);
        pointAt(block);
        glDrawElements(GL_TRIANGLE_STRIP, part.count, GL_UNSIGNED_INT,
                       reinterpret_cast<void*>(static_cast<std::size_t>(part.first) * sizeof(std::uint32_t)));
    }
    glBindVertexArray(0);
}
