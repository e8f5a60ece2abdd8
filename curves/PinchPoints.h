#pragma once
// Where the surface pinches, and the double curves that end there.
//
// The corrugation method with few strips is not a regular homotopy: with
// three strips from about t = 0.28 to 0.63, with four from about 0.38 to
// 0.43, and with one or two over wider spans (with five or more at none of
// 81 times scanned), the surface's two tangents become parallel at isolated
// points, and there it has a cross-cap (a Whitney umbrella). A double curve
// ends in each: its two origins close in on the pinch's origin from either
// side, and its point reaches the pinch as the square of their distance. Newton's method on
// f(a) = f(b) refuses origins closer than minimumSeparation (SheetNewton.h),
// so a curve ends that close to the pinch, a few ten-thousandths of a world
// unit from it. The mesh's chains end a row or two short of it, the farther
// the coarser the mesh; and a follow that steps past it comes back along the
// same curve with its origins traded.
//
// pinchNear looks for the pinch a double point leads into: Gauss-Newton steps
// on f_e x f_n = 0 (the tangents' cross product, exact from the jets; its
// derivatives are central differences of them) from the midpoint of its
// origins. followIntoPinch follows the exact curve on into it, each step
// nearer the pinch than the last, and runIntoPinches does so from every open
// end that leads into a pinch.
//
// Positions are world units, origins unit vectors of the t = 0 sphere. Pure;
// no state; any number of threads (runIntoPinches follows the ends on OpenMP
// threads, deterministically).
#include <vector>

#include "curves/DoubleCurves.h"
#include "curves/TracePoint.h"

struct PinchPoint {
    Vec3 origin;    // where the tangents are parallel
    Vec3 position;  // f(origin)
};

// |f_e x f_n| at a pinch is at most this, world units squared per radian
// squared (a facet away from one it is of the order of 0.1).
constexpr double pinchTolerance = 1e-12;

// Only double points whose origins are closer than this (radians) are asked
// whether they lead into a pinch: the search's ends lay up to 0.29 apart
// there (three strips, t = 0.45, 24 x 24).
constexpr double pinchLookout = 0.4;

// The pinch that the double point with origins a and b leads into: one whose
// origin lies no farther from either than they lie from each other.
bool pinchNear(const ExactSurface& surface, const Vec3& a, const Vec3& b, PinchPoint& out);

// Watches a follow for a pinch ahead of it: asks pinchNear each time the
// origins have come twice as close as when it last asked, from pinchLookout
// on, or closer at all once it found one behind (a follow may start beside a
// pinch it leaves).
struct PinchWatch {
    double lookout = pinchLookout;
    PinchPoint pinch;  // once ahead() has said so

    bool ahead(const ExactSurface& surface, const TracePoint& p);
};

// The points of the curve from `from` on into the pinch, appended to `out`,
// each nearer it than the one before, up to where the origins are too close
// to tell apart. The tangent of `from` must lead towards the pinch.
void followIntoPinch(const ExactSurface& surface, const TracePoint& from, const PinchPoint& pinch,
                     const FollowSteps& steps, std::vector<TracePoint>& out);

void runIntoPinches(const ExactSurface& surface, const FollowSteps& steps, std::vector<DoubleCurve>& curves);
