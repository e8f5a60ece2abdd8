#pragma once
// The ruled method's two poles while they meet in space (its closing steps,
// 2 to 6): one point where the north and south polar caps touch, each
// horizontal there, one facing up and one down.
//
// The search leaves the two polar fans out against each other, since faceted
// caps touching at a point intersect in fragments that are no curve of the
// surface. What remains depends on how the caps part from the point: where
// they curve apart in every direction (steps 2 and 6 with two lobes) the
// point is isolated and nothing is added; where they cross (the middle
// steps with two lobes), double curves run into the point, and the searched
// curves end near it. joinThroughPole follows each such end along the curve
// until it reaches the point (or, where the sheets part too slowly for
// Newton's method, heads straight at it), and joins the ends that arrive
// from opposite directions through the point itself, where a = one pole and
// b = the other meet exactly. An end that does not reach the point is left
// as it is.
//
// Pure; spreads the following over OpenMP threads; deterministic.
#include <vector>

#include "curves/DoubleCurves.h"
#include "curves/TracePoint.h"

struct PoleContact {
    bool present = false;
    Vec3 point;  // (0, 0, the poles' height)
};

PoleContact poleContact(const ExactSurface& surface);

// `reach`: how near the point (world units) a curve's end must be for it to
// be followed in; `arrival`: how near it the following must get for the end
// to reach it (the rest is a straight chord); `steps`: how it is followed.
void joinThroughPole(const ExactSurface& surface, const PoleContact& contact, double reach, double arrival,
                     const FollowSteps& steps, std::vector<DoubleCurve>& curves);
