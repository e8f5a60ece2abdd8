#pragma once
// The shown surface as one indexed triangle mesh: every shown strip of each
// shown hemisphere, under the rotations the viewer draws them with, welded
// into shared vertices.
//
// The weld is topological, never by distance: two grid samples become one
// vertex exactly when they are the same point of the parameter sphere (a
// strip's last column and the next strip's first, the equator rows of the two
// hemispheres, every sample of a pole row). Sheets that pass through each
// other at some time therefore stay apart. Triangles that collapse at a pole
// are dropped. With all strips at full width and both hemispheres shown the
// result is a closed, consistently wound 2-manifold sphere; anything less is
// an open mesh.
//
// Triangles wind counter-clockwise seen from the front (the side the viewer
// lights yellow); normals are unit normals of that side, positions are in the
// viewer's world units. Pure: no GL; allocates (this is the export path, not
// the evaluation path).
#include <cstdint>
#include <vector>

#include "eversion/SurfaceSampler.h"

struct IndexedMesh {
    std::vector<float> positions;  // x, y, z per vertex
    std::vector<float> normals;    // unit, x, y, z per vertex
    std::vector<std::uint32_t> indices;  // three per triangle

    std::size_t vertexCount() const { return positions.size() / 3; }
    std::size_t triangleCount() const { return indices.size() / 3; }
};

// The sampled strip: rows from the pole (row 0) to the equator (last row),
// columns across the strip, as SurfaceMesh holds it.
struct StripGrid {
    const SurfaceVertex* const* rows;
    int rowCount;
    int columnCount;
};

struct SurfaceLayout {
    int totalStrips;
    int stripsShown;
    int hemispheres;  // 1 or 2
    bool halfStrips;  // each strip sampled over half its width
};

IndexedMesh weldSurface(const StripGrid& grid, const SurfaceLayout& layout);

// Counts that decide whether a mesh is a closed, oriented 2-manifold.
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

MeshTopology analyseTopology(const std::vector<std::uint32_t>& indices);
