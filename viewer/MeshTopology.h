#pragma once
// Counts that decide whether an indexed triangle mesh is a closed, oriented
// 2-manifold. Pure; allocates.
#include <cstddef>
#include <cstdint>
#include <vector>

struct MeshTopology {
    std::size_t vertices = 0;  // vertices used by some triangle
    std::size_t edges = 0;
    std::size_t faces = 0;
    std::size_t boundaryEdges = 0;    // in one triangle only
    std::size_t overfullEdges = 0;    // in three or more triangles
    std::size_t misorientedEdges = 0; // two triangles running the same way along it
    std::size_t degenerateFaces = 0;  // a repeated index

    long long euler() const
    {
        return static_cast<long long>(vertices) - static_cast<long long>(edges) + static_cast<long long>(faces);
    }
    bool closedManifold() const
    {
        return boundaryEdges == 0 && overfullEdges == 0 && misorientedEdges == 0 && degenerateFaces == 0;
    }
};

// Three indices a triangle.
MeshTopology analyseTopology(const std::vector<std::uint32_t>& indices);
