#pragma once
// The segments along which the search mesh passes through itself, one for
// each orbit of triangle pairs under the mesh's symmetry group: the other
// segments are their images (mapSegment). With the trivial group that is
// simply every segment.
//
// Only pairs with a triangle in the fundamental domain are intersected, and
// of the two such representatives of an orbit only the lesser. Pairs of
// neighbours (sharing a vertex) are skipped, and pairs the filter names.
// The result is sorted by its pairs and independent of the thread count; the
// queries are spread over OpenMP threads.
#include <array>
#include <cstdint>
#include <vector>

#include "curves/TriangleCrossing.h"
#include "curves/TriangleGrid.h"

struct MeshSegment {
    std::uint32_t triangles[2] = {0, 0};  // lower number first
    Crossing ends[2];
};

// Whether a pair of triangles is left out of the search: while the ruled
// method's two poles meet in space, a triangle within `polarRows` rows of one
// pole is not asked about against one within as many of the other. The caps
// touch at the meeting point and part slowly round it, so that faceted, they
// meet in fragments that are no curve of the surface (PoleContact.h).
struct PairFilter {
    bool polesTouch = false;
    int polarRows = 1;
};

// What the searches share: the snapped mesh, every triangle's box, the grid
// of the fundamental domain's triangles, and the origins of their corners
// (unit vectors).
struct SearchIndex {
    SnappedMesh snapped;
    std::vector<Box> boxes;
    TriangleGrid domain;
    std::vector<std::array<Vec3, 3>> domainOrigins;
};
SearchIndex buildSearchIndex(const SearchMesh& mesh);

std::vector<MeshSegment> representativeSegments(const SearchMesh& mesh, const SearchIndex& index,
                                                const PairFilter& filter);

// A crossing carried by symmetry element g.
Crossing mapCrossing(const SearchMesh& mesh, int element, const Crossing& c);
