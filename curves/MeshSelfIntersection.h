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
// of the fundamental domain's triangles, the origins of their corners and
// middles (unit vectors), and how far each of their facets may stray from
// the surface (world units): a quarter of the largest second difference of
// the grid at its corners, along rows, columns and the diagonals the quads
// are cut along, twice as far as a chord's middle strays where the surface
// bends evenly. (At 24 x 24 and 48 x 48 a facet's middle lay within 0.82 of
// that from the surface, but for the ruled surfaces' halfway model, 1.19.)
struct SearchIndex {
    SnappedMesh snapped;
    std::vector<Box> boxes;
    TriangleGrid domain;
    std::vector<std::array<Vec3, 3>> domainOrigins;
    std::vector<Vec3> domainMiddles;
    std::vector<double> domainStray;
};
SearchIndex buildSearchIndex(const SearchMesh& mesh);

// A pair of triangles, the first in the fundamental domain.
struct TrianglePair {
    std::uint32_t a = 0, b = 0;
};

// With `nearMisses`, also the pairs asked about that come near without
// crossing, sorted: their boxes overlap, their middles' origins are more than
// six rows apart (closer, they are one sheet folded near itself, which the
// search sees), and all the corners of neither lie farther from the other's
// plane than their strays together. There the facets cannot tell whether
// the sheets meet (MissedLoops.h).
// NOTE: ruled, two lobes, t = 0.3, 24 x 24: with origins more than two rows
// apart, 1,269 pairs came near and Newton's method was tried from 162 (one
// of each alike, MissedLoops.h), meeting nowhere; more than six rows apart,
// 1,114 and 45. The loops the corrugations' search misses at t = 0.85 are 10
// rows apart.
std::vector<MeshSegment> representativeSegments(const SearchMesh& mesh, const SearchIndex& index,
                                                const PairFilter& filter,
                                                std::vector<TrianglePair>* nearMisses = nullptr);

// A crossing carried by symmetry element g.
Crossing mapCrossing(const SearchMesh& mesh, int element, const Crossing& c);
