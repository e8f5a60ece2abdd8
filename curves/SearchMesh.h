#pragma once
// The closed triangle mesh the double curves are searched on: the whole
// surface at one time, sampled at a latitude-longitude grid of origins in
// double precision, welded by construction (every origin is one vertex).
//
// Rows run from the north pole (row 0) to the south pole (row 2L), L rows of
// patches a hemisphere; columns run westward from longitude 90, M a strip or
// lune and n M around, so that the display's grid (Origin.h) is a subset of
// this one at the same L and M. Each pole is a single vertex. Each quad is cut
// along the diagonal from its north-west to its south-east corner, which every
// symmetry (SurfaceSymmetry.h) maps onto another such diagonal; triangles wind
// counter-clockwise seen from outside the t = 0 sphere.
//
// Triangle number g * domainTriangles + t is triangle t of the fundamental
// domain (one strip of the northern hemisphere for the corrugation method,
// one lune pole to pole for the ruled one) mapped by symmetry element g, so
// the group acts on triangles and vertices by arithmetic. Only the domain's
// vertices are evaluated; the others are their turned copies.
//
// The surface has mirror symmetries besides its turns at some times, and
// mirror images meet in exactly degenerate positions (an edge exactly in the
// plane of a triangle). So every vertex is moved by a tiny pseudo-random
// offset (jitter, relative to the mesh's size) that itself has the symmetry
// of the group: the mesh stays mapped onto itself by every turn, but no
// longer by a mirror.
//
// Value type; building it spreads the evaluations over OpenMP threads with a
// static schedule (the result does not depend on the thread count).
#include <array>
#include <cstdint>
#include <vector>

#include "curves/SurfaceSymmetry.h"
#include "curves/Vec3.h"
#include "viewer/ExactSurface.h"

// The largest offset of a vertex, relative to the largest distance of the
// surface from the centre.
constexpr double searchJitter = 0x1p-14;

struct SearchMesh {
    SurfaceSymmetry symmetry;
    int hemisphereRows = 0;  // L
    int stripColumns = 0;    // M
    int columns = 0;         // n M
    int domainTriangles = 0;
    std::vector<Vec3> positions;  // per vertex, world units (with the jitter)
    std::vector<std::array<std::uint32_t, 3>> triangles;
    // Cosine and sine of each row's latitude and each column's longitude.
    std::vector<double> rowCos, rowSin, columnCos, columnSin;

    int lastRow() const { return 2 * hemisphereRows; }
    std::uint32_t vertexCount() const { return static_cast<std::uint32_t>(positions.size()); }
    std::uint32_t triangleCount() const { return static_cast<std::uint32_t>(triangles.size()); }
    // The vertex at grid row i, column j (any integer; taken modulo the columns).
    std::uint32_t vertex(int row, int column) const;
    void rowColumn(std::uint32_t vertex, int& row, int& column) const;
    // The vertex's origin in degrees, and as a unit vector.
    Origin origin(std::uint32_t vertex) const;
    Vec3 originUnit(std::uint32_t vertex) const;
    std::uint32_t mapVertex(int element, std::uint32_t vertex) const;
    std::uint32_t mapTriangle(int element, std::uint32_t triangle) const
    {
        const int g = static_cast<int>(triangle / domainTriangles);
        const std::uint32_t t = triangle % domainTriangles;
        return static_cast<std::uint32_t>(symmetry.compose(element, g)) * domainTriangles + t;
    }
    // Which element carries the domain onto the triangle.
    int elementOf(std::uint32_t triangle) const { return static_cast<int>(triangle / domainTriangles); }
};

// latitudinal and longitudinal are L and M, each at least 2.
SearchMesh buildSearchMesh(const ExactSurface& surface, const SurfaceSymmetry& symmetry, int latitudinal,
                           int longitudinal);
