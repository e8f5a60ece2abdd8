#pragma once
// The estimates of triple points without repeats: an estimate that an
// element of the group maps onto an earlier one, within a tolerance, is
// dropped.
//
// An estimate is three origins, unit vectors of the t = 0 sphere, in any
// order. Two are alike if an element of the group maps each origin of the
// one within `reach` (chord length, radians about) of an origin of the
// other; they are compared near the fundamental domain, anchored at their
// origin farthest from the equator. Each estimate is compared with the first
// of each class met so far. Pure; one thread.
#include <array>
#include <vector>

#include "curves/SurfaceSymmetry.h"

// The indices of the estimates kept, ascending: the first of each class.
std::vector<std::size_t> onePerOrbit(const SurfaceSymmetry& symmetry, const std::vector<std::array<Vec3, 3>>& estimates,
                                     double reach);
