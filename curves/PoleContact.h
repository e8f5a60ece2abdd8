#pragma once
// The ruled method's two poles while they meet in space (its closing steps,
// 2 to 6): one point where the north and south polar caps touch, each
// horizontal there, one facing up and one down.
//
// The search leaves the two polar caps out against each other near the
// point (polarRowsLeftOut), since faceted caps that touch, or part more
// slowly than their facets stray from them, meet in fragments that are no
// curve of the surface. What remains depends on how the caps part from the
// point: where they curve apart in every direction (steps 2 and 6 with two
// lobes) the point is isolated and nothing is added; where they cross (the
// middle steps), double curves run into the point along straight lines
// through it (two lines with two lobes, three with three, ...), and the
// searched curves end near it. joinThroughPole follows each such end along
// the curve, down to sheets at ever smaller angles, until it reaches the
// point (or, where even that fails, heads straight at it) or another such
// end; ends that reach the point from opposite directions join through the
// point itself, where a = one pole and b = the other meet exactly. An end
// that gets nowhere is left as it is. The fragments the search leaves at the
// edge of the rows left out, along the curves' ends, are to be dropped first
// (CurveDuplicates.h): joined to an end they would turn it back on itself,
// and it would be followed away from the point.
//
// Pure; spreads the following over OpenMP threads; deterministic.
#include <vector>

#include "curves/DoubleCurves.h"
#include "curves/SearchMesh.h"
#include "curves/TracePoint.h"

struct PoleContact {
    bool present = false;
    Vec3 point;  // (0, 0, the poles' height)
};

PoleContact poleContact(const ExactSurface& surface);

// How many rows next to each pole (at least 1) the search leaves out against
// the other pole's: a 1/48 turn of the sphere, and farther where the caps'
// normals at corresponding origins (latitude l, longitude m and -l, m + 180)
// are everywhere within a quarter row of each other. Caps that coincide
// throughout (odd lobes at the halfway time) add nothing. 0 without contact.
int polarRowsLeftOut(const ExactSurface& surface, const PoleContact& contact, const SearchMesh& mesh);

// Ends are taken up whose origins are within `zoneRows` rows (`row`
// radians each) of their poles; `arrival`: how near the point (world units)
// the following must get for the end to reach it (the rest is a straight
// chord); `steps`: how it is followed.
void joinThroughPole(const ExactSurface& surface, const PoleContact& contact, int zoneRows, double row,
                     double arrival, const FollowSteps& steps, std::vector<DoubleCurve>& curves);
