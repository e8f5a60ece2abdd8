#pragma once
// Where two triangles of the search mesh pass through each other, decided
// exactly.
//
// Vertices are snapped to a lattice of about 2^-26 of the mesh's extent and
// every sign is taken in exact integer arithmetic (after a filter in double
// precision that passes only signs rounding cannot change), so the decision whether an
// edge passes through a triangle is the same whichever pair of triangles asks
// for it. Two triangles then meet in 0 or 2 crossings (an edge of one through
// the other), except in exactly degenerate positions, where a zero counts as
// positive; the segments of a closed mesh thus chain into closed polylines.
//
// Pure; the snapped mesh is a value built once per search and read by any
// number of threads.
#include <array>
#include <cstdint>
#include <vector>

#include "curves/SearchMesh.h"

__extension__ typedef __int128 WideInt;

struct LatticePoint {
    std::int64_t x, y, z;
};

struct SnappedMesh {
    std::vector<LatticePoint> points;                  // per vertex
    std::vector<std::array<std::int64_t, 3>> normals;  // per triangle, (b - a) x (c - a), exact
    std::vector<std::array<double, 3>> planes;         // the same, rounded, for the filter
};

SnappedMesh snapMesh(const SearchMesh& mesh);

// An edge of one triangle through the interior of another.
struct Crossing {
    std::uint32_t edge[2] = {0, 0};  // its vertices, lower number first
    std::uint32_t triangle = 0;      // the triangle it passes through
    double along = 0;                // from edge[0] (0) to edge[1] (1)
    double weights[3] = {0, 0, 0};   // barycentric, of the triangle's vertices in order
};

// The crossings of triangles a and b: up to four, two in general position.
// `edgeOfA` tells for each whether its edge is a's. Triangles that share a
// vertex are neighbours on the surface and are not asked about.
int triangleCrossings(const SearchMesh& mesh, const SnappedMesh& snapped, std::uint32_t a, std::uint32_t b,
                      Crossing out[4], bool edgeOfA[4]);

// Where a crossing lies, and the origins of the two sheets there: the edge's
// by interpolation along it, the triangle's by its barycentric weights (as
// unit vectors of the t = 0 sphere).
Vec3 crossingPosition(const SearchMesh& mesh, const Crossing& c);
Vec3 crossingEdgeOrigin(const SearchMesh& mesh, const Crossing& c);
Vec3 crossingTriangleOrigin(const SearchMesh& mesh, const Crossing& c);

// Whether the two triangles share a vertex.
bool triangleNeighbours(const SearchMesh& mesh, std::uint32_t a, std::uint32_t b);
