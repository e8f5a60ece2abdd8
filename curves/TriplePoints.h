#pragma once
// The triple points: where three sheets of the surface meet, two double
// curves crossing.
//
// The traced double curves (one polyline an orbit) are tested against the
// search mesh's triangles of a third sheet: where a chord of the curve of
// sheets a and b passes through a triangle of sheet c, a triple point is
// near. So is every crossing of the curves' origins (CurveCrossings.h). Each
// finds points the other misses: the facets hide some, and a curve left open
// short of a point (near the corrugation method's points on the axis) has no
// crossing there. The estimates are refined by Newton's method on
// f(a) = f(b) = f(c), those alike once (TripleOrbits.h), and each point is
// placed everywhere the group puts it. Solutions at one place are one
// point, whichever sheets were found meeting there: where more than three
// sheets meet (the corrugation method's points on the axis, where the turns
// bring a sheet round onto itself) it is reported once, with three of them.
//
// The ways followed on the surface through the corrugation method's points
// on the axis and its mirror crossings (`followed`, the stretch of each within
// two rows of its point) are passed through the mesh too: the search's chains
// there run astray, and the points by them went unseen (eight strips,
// 12 x 12: 452 of 484 at t = 0.7, 1,864 of 1,880 at t = 0.55). Their
// estimates are refined only where none of the curves' is near.
//
// Sorted by position, so deterministic; the refinement spreads over OpenMP
// threads.
#include <vector>

#include "curves/CurveTracing.h"
#include "curves/MeshSelfIntersection.h"

std::vector<TriplePoint> findTriplePoints(const ExactSurface& surface, const SearchMesh& mesh,
                                          const SearchIndex& index, const std::vector<TracedPolyline>& curves,
                                          const std::vector<TracedPolyline>& followed = {});
