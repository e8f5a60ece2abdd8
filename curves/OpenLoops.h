#pragma once
// Open curves that are loops of the surface.
//
// Round a small loop, or where a loop passes close by another curve, the
// search's chains may run out and back along it, or leave it there, and the
// joins leave what they made open (eight strips, t = 0.415, 24 x 24: 16
// open curves 0.47 long, each running twice over stretches of a loop 0.29
// long). Each open curve is followed round on the exact surface from its
// middle (RoundFollow.h). If it comes back round, and every point of the
// open curve lies along the loop (within `reach` on the same two sheets,
// origins within `sheetReach` radians), the open curve goes, and the loop
// and its images under the group stand in its stead, but for any image a
// curve kept runs along all the way. An open curve along a loop made so goes
// too. A follow that comes into a pinch, or is lost, leaves the curve as it
// is, and its images are not followed again.
//
// World units. Pure; deterministic.
#include <vector>

#include "curves/DoubleCurves.h"
#include "curves/SurfaceSymmetry.h"
#include "curves/TracePoint.h"

void closeOpenLoops(const ExactSurface& surface, const SurfaceSymmetry& symmetry, const FollowSteps& steps,
                    double reach, double sheetReach, std::vector<DoubleCurve>& curves);
