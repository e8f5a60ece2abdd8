#pragma once
// Open curves joined end to end.
//
// An end of curve c is slot 2 c (its first point) or 2 c + 1 (its last).
// joinEnds extends ends by the given tails (points leading away from the
// end) and links paired slots: the tail of one end, then the tail of the
// other backwards. A chain of joins that comes back to its first curve is a
// loop. Origins a and b are named by continuity along the joined curve.
//
// bridgeBreaks closes the gaps a curve was broken at (CurveTracing.h) and the
// ends a chain of the mesh lost: two open ends within `reach` (world units)
// on the same two sheets (origins within `sheetReach` radians) that are each
// other's nearest such end, and no other as near, are joined if following
// the curve from one gets to the other. The curves come in whole orbits of
// the symmetry group, and so do the pairs of ends: one pair an orbit is
// followed and the others take its turned copy.
//
// Deterministic; bridgeBreaks spreads the following over OpenMP threads.
#include <vector>

#include "curves/DoubleCurves.h"
#include "curves/TracePoint.h"

std::vector<DoubleCurve> joinEnds(const std::vector<DoubleCurve>& curves,
                                  const std::vector<std::vector<CurvePoint>>& tails, const std::vector<long>& partner);

void bridgeBreaks(const ExactSurface& surface, const SurfaceSymmetry& symmetry, double reach, double sheetReach,
                  const FollowSteps& steps, std::vector<DoubleCurve>& curves);

CurvePoint curvePoint(const TracePoint& p);
inline Vec3 positionOf(const CurvePoint& p)
{
    return {p.position[0], p.position[1], p.position[2]};
}
// The end's point as a TracePoint again, its tangent leading away from the
// curve as seen from its first point at least `apart` (world units) from the
// end (a hook shorter than that at the end does not turn it); false if
// Newton's method does not confirm it.
bool endPoint(const ExactSurface& surface, const DoubleCurve& curve, bool back, double apart, TracePoint& out);
