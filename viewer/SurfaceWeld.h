#pragma once
// The shown surface as one indexed triangle mesh: every copy (SurfaceCopy.h)
// of the sampled grid turned into place in double precision and welded into
// shared vertices.
//
// The weld is topological, never by distance: two grid samples become one
// vertex exactly when they are the same point of the parameter sphere (a
// strip's or lune's last column and the next one's first, the equator rows of
// the two hemispheres, every sample of a pole row). Sheets that pass through
// each other, or poles that meet in space, therefore stay apart. Triangles
// that collapse at a pole are dropped. With all strips at full width and both
// hemispheres shown the result is a closed, consistently wound 2-manifold
// sphere; anything less is an open mesh.
//
// Triangles wind counter-clockwise seen from the front (the side the viewer
// lights yellow); normals are unit normals of that side, positions are in the
// viewer's world units, origins in degrees (Origin.h; longitude 0 at the
// poles). A welded vertex takes its position from the first copy that has
// it, so every triangle that shares it meets it to the last bit. Pure: no
// GL; allocates (this is the export path, not the evaluation path).
#include <cstdint>
#include <vector>

#include "viewer/MeshTopology.h"

struct SurfaceMesh;

struct IndexedMesh {
    std::vector<float> positions;  // x, y, z per vertex
    std::vector<float> normals;    // unit, x, y, z per vertex
    std::vector<double> origins;   // latitude, longitude per vertex, degrees
    std::vector<std::uint32_t> indices;  // three per triangle

    std::size_t vertexCount() const { return positions.size() / 3; }
    std::size_t triangleCount() const { return indices.size() / 3; }
};

// The mesh and, for each copy in surfaceCopy order, the vertex of every grid
// place: corners[(copy * rows + r) * columns + j].
struct WeldedSurface {
    IndexedMesh mesh;
    std::vector<std::uint32_t> corners;
    int rows = 0;
    int columns = 0;
    int copies = 0;
};

// The mesh's grid must be built (SurfaceMesh::prepare).
WeldedSurface weldSurface(const SurfaceMesh& mesh, bool halfStrips);
