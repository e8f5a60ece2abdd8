#pragma once
// The estimates of triple points without repeats: an estimate that an
// element of the group maps onto an earlier one is dropped, as is one equal
// to an earlier one.
//
// An estimate is three origins, unit vectors of the t = 0 sphere, in any
// order. Two are the same if an element of the group maps the one's origins
// onto the other's, all rounded to `quantum`: the same estimate made from
// two images, or twice. They are compared in the fundamental domain,
// anchored at their origin farthest from the equator. An image whose
// rounding falls the other way is kept and refined again, harmlessly. Pure;
// spread over OpenMP threads, with a result that does not depend on them.
#include <array>
#include <vector>

#include "curves/SurfaceSymmetry.h"

// The indices of the estimates kept, ascending: the first of each class.
std::vector<std::size_t> onePerOrbit(const SurfaceSymmetry& symmetry, const std::vector<std::array<Vec3, 3>>& estimates,
                                     double quantum);
