#pragma once
// Where the corrugation method's surface is a mirror image of itself, the
// points where a sheet stands square to a mirror plane, and the double
// curves through them.
//
// While its strips are mirror images of themselves (up to t = 0.23 and from
// t = 0.6 on), the surface is symmetric in n vertical planes through the axis
// and in the equator's plane: f(M p) = M f(p) for each reflection M, acting
// alike on origins and world space. A sheet S that crosses such a plane P
// meets its mirror image M S along S's trace on P. Where S stands square to
// P, at a point Q, S and M S touch, and a second curve of the same two sheets
// crosses the first there at right angles, symmetric about P. The search's
// chains cannot tell the two apart within a facet or two of Q: they turn the
// corner, or end there, and the curves come out in pieces or in the wrong
// loops (eight strips, t = 0.75: 65 curves at 48 x 48, 48 of them open, and
// 49 at 96 x 96; t = 0.2: 16 loops 0.018 long beside the one curve at
// 48 x 48).
//
// mirrorCrossings finds the points: Newton's method on f(a) . m = 0 and
// n(a) . m = 0 for the plane's normal m and the sheet's normal n, from each
// facet of the search mesh's fundamental domain where both change sign.
// Every curve through such a point comes into another (a curve of S and M S
// off the plane is its own mirror image, and crosses the plane again only at
// such a point), or ends where the surface pinches (three strips, t = 0.6 and
// 0.625; PinchPoints.h). So throughMirrorCrossings follows the four arms out
// of each on the exact surface, one arm an orbit of the group and each way
// from one end, until it comes into a point along an arm there or into a
// pinch, and joins the ways straight on through the points (StarWays.h).
// The follows step warily past every such point and past the points of the
// axis (`stars`). The new curves replace the search's curves that run along
// them, and its pieces within `reach` of a point on that point's two sheets.
// Where anything does not fit (an arm or a follow that cannot be made, a way
// that comes into an arm whose way leads elsewhere) the curves are left as
// the search made them; a curve of the search that runs partly along a new
// one and partly elsewhere keeps what runs elsewhere, in open pieces
// (StarWays.h). Where they do replace them, the ways' stretches within
// `reach` of their points are added to `followed`, for the triple points'
// search.
//
// Positions are world units, origins unit vectors of the t = 0 sphere,
// `reach` world units and `sheetReach` radians. Pure; the arms are followed
// on OpenMP threads; deterministic.
#include <vector>

#include "curves/CurveTracing.h"
#include "curves/DoubleCurves.h"
#include "curves/SearchMesh.h"
#include "curves/TracePoint.h"

struct MirrorCrossing {
    Vec3 position;
    Vec3 a, b;     // the two sheets' origins: b is a's mirror image
    Vec3 normal;   // the mirror plane's unit normal: the second curve's direction at the point
    Vec3 inPlane;  // the first curve's direction, in the plane
    int orbit = 0;    // the crossing that stands for this one's orbit of the group
    int element = 0;  // the element that takes that one here
};

// Whether the corrugation method's strips are each their own mirror image at
// this time (false for the ruled method).
bool mirroredStrips(const ExactSurface& surface);

// Every such point, each image under the group once, each orbit's first
// standing for it; none unless the strips are mirrored.
std::vector<MirrorCrossing> mirrorCrossings(const ExactSurface& surface, const SearchMesh& mesh);

void throughMirrorCrossings(const ExactSurface& surface, const SurfaceSymmetry& symmetry,
                            const std::vector<MirrorCrossing>& crossings, const std::vector<Vec3>& stars,
                            const FollowSteps& steps, double reach, double sheetReach, std::vector<DoubleCurve>& curves,
                            std::vector<TracedPolyline>& followed);
