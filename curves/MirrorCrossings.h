#pragma once
// Where the corrugation method's surface is a mirror image of itself, the
// points where a sheet stands square to a mirror plane, and the double
// curves through them.
//
// While its strips are mirror images of themselves (up to t = 0.225 and from
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
// throughMirrorCrossings cuts the search's curves of those two sheets within
// `reach` of each point, follows the four arms out of it on the exact
// surface until they come into a cut end, another open end or another such
// point along an arm there, and joins everything straight on through the
// points. Where anything does not fit (a cut end no arm comes into, a way
// that comes into an arm whose own way leads elsewhere, a follow that fails)
// the curves are left as the search made them.
//
// Positions are world units, origins unit vectors of the t = 0 sphere,
// `reach` world units and `sheetReach` radians. Pure; the arms are followed
// on OpenMP threads; deterministic.
#include <vector>

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
                            const FollowSteps& steps, double reach, double sheetReach, std::vector<DoubleCurve>& curves);
