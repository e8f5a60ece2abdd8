#pragma once
// Open curves that are loops of the surface.
//
// Round a small loop, or where a loop passes close by another curve, the
// search's chains may run out and back along it, or leave it there, and the
// joins leave what they made open (eight strips, t = 0.415, 24 x 24: 16
// open curves 0.47 long, each running twice over stretches of a loop 0.29
// long). Each open curve is followed round on the exact surface
// (RoundFollow.h) from its points, from the middle of the first run of them
// no loop so far passes, at most four times. If the loops come round over
// every point of the open curve (within `reach` on the same two sheets,
// origins within `sheetReach` radians), they and their images under the
// group stand in its stead: an open curve that runs only along them goes
// too, and an image that a closed curve runs all along, and it along that
// curve, is that curve already. Where the loops run along each other part
// way (a follow crossed over where two curves pass close) or a closed curve
// runs partly along one, the open curve is left as it is; so it is where a
// follow comes into a pinch or is lost, and its images are not followed
// again.
//
// World units. Pure; deterministic.
#include <vector>

#include "curves/DoubleCurves.h"
#include "curves/SurfaceSymmetry.h"
#include "curves/TracePoint.h"

void closeOpenLoops(const ExactSurface& surface, const SurfaceSymmetry& symmetry, const FollowSteps& steps,
                    double reach, double sheetReach, std::vector<DoubleCurve>& curves);
