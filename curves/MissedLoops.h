#pragma once
// The double curves the search mesh passes over: loops of two sheets that
// meet over a facet or two, so that their facets miss each other (at
// t = 0.85, 24 x 24, eight loops 0.34 long round the axis).
//
// Where two triangles come nearer each other than their facets may stray
// from the surface without crossing (the search's near misses,
// MeshSelfIntersection.h), the mesh cannot tell whether the sheets meet.
// There, unless a curve found on the pair's two sheets passes within
// `clearance` (world units) of either triangle, Newton's method is started
// from their middles, giving up early (probeDoublePoint); pairs alike (near
// in space and on the sphere) are tried once. A double point it finds near
// the pair and as far from every curve found on its two sheets is followed
// round its curve (TracePoint.h); a curve that closes, going forward at
// every step, and nowhere runs alongside a curve found on its sheets, is a
// loop the mesh missed. A curve of other sheets may pass as near as it
// likes: where a third sheet comes close, the loop of two lies beside the
// curves of the third. One polyline is kept for each orbit under the group,
// with the elements that place its distinct images (as CurveTracing.h keeps
// them). Sheets are the same within four rows of the search.
//
// Deterministic: the solves spread over OpenMP threads, and the loops are
// followed and kept in the order of their pairs.
#include <vector>

#include "curves/CurveTracing.h"
#include "curves/MeshSelfIntersection.h"

std::vector<TracedPolyline> missedLoops(const ExactSurface& surface, const SearchMesh& mesh, const SearchIndex& index,
                                        const std::vector<TrianglePair>& nearMisses,
                                        const std::vector<DoubleCurve>& found, double clearance, const FollowSteps& steps);
