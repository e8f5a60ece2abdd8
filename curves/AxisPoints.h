#pragma once
// The points where the corrugation method's surface crosses its axis away
// from the poles, and the double curves through them.
//
// The turns by 1 / n turn about z fix the axis, so where a sheet crosses it,
// at P = f(a), the n sheets f(g a) all pass through P, and every two of them
// cross along a double curve through P: n (n - 1) / 2 curves, 28 with eight
// strips, in a star whose arms part by a few degrees. The star is far smaller
// than the search mesh's facets (at t = 0.55 two such points are 0.11 apart,
// two others 0.003, and the facets of the 24 x 24 mesh 0.065 wide), and there
// the sheets are nearly level and cross at small angles, so the mesh's chains
// join arms of different curves: the traced curves come out in pieces that
// end round the axis, or joined into the wrong loops.
//
// axisPoints finds the points: Newton's method on x = y = 0 from every facet
// of the search mesh's fundamental domain whose shadow on the xy plane
// covers the axis, the facets near it split on the exact surface until
// their shadows can be believed (points are born in pairs, both within one
// facet). followThroughAxisPoints follows the arms of the stars on
// the exact surface, one arm an orbit of the symmetry group and each way
// between two points from one end, until it comes into a point along an arm
// there, and joins the ways straight on through the points into curves.
// They replace the search's curves that run along them (every point within
// `along` of a new curve on the same two sheets, origins within `sheetReach`
// radians, or within `near` of a point of the axis) and the open pieces it
// left round the points (every point within `near`).
//
// The curves are left as they are while the strips are mirror images of
// themselves (the points then lie on the mirror planes, where the mirrored
// sheets' curves cross, MirrorCrossings.h), where the search left a curve open
// farther than `endReach` from every point, and where a way comes into an
// arm whose way is known already (a follow crossed over to another curve). A curve of the search that runs partly
// along a new one and partly elsewhere keeps what runs elsewhere, in open
// pieces (StarWays.h).
//
// Where they do replace them, the ways' stretches within two `near` of
// their points are added to `followed`, for the triple points' search.
//
// Positions are world units, origins unit vectors of the t = 0 sphere.
// Pure; the arms are followed on OpenMP threads; deterministic.
#include <vector>

#include "curves/CurveTracing.h"
#include "curves/DoubleCurves.h"
#include "curves/SearchMesh.h"
#include "curves/TracePoint.h"

struct AxisPoint {
    Vec3 position;             // on the z axis
    std::vector<Vec3> sheets;  // the origins of the sheets through it
};

// Every such point, each image under the group once, ordered by height; none
// for the ruled method.
std::vector<AxisPoint> axisPoints(const ExactSurface& surface, const SearchMesh& mesh);

void followThroughAxisPoints(const ExactSurface& surface, const SurfaceSymmetry& symmetry,
                             const std::vector<AxisPoint>& points, const FollowSteps& steps, double along,
                             double sheetReach, double near, double endReach, std::vector<DoubleCurve>& curves,
                             std::vector<TracedPolyline>& followed);
