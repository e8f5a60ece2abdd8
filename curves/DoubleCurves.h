#pragma once
// The double curves of the eversion at one time: where two sheets of the
// surface pass through each other, computed on the exact surface, and the
// triple points where three sheets meet.
//
// The curves are those of the whole surface (every strip or lune of both
// hemispheres), whatever a front end shows. Positions are world units, the
// same frame the renderers draw the surface in; origins are degrees
// (Origin.h). Every point is refined until |f(a) - f(b)| <= 1e-10 for the
// exact surface f (ExactSurface.h), and the turned copies add only rounding
// to that; a and b are at least 0.01 radian apart on the t = 0 sphere, and
// the sheets cross there rather than touch (the sine of their angle at least
// 1e-4, or 1e-6 on the way into the ruled method's meeting poles, where they
// do touch). Consecutive points are at most 1.5 rows of the search mesh
// apart and their chord strays from the curve by about a tenth of a row at
// most, but for the last chord into the meeting poles (up to 0.1 long).
// Where the corrugation method's turns bring all n strips' sheets together
// on the axis, and where, while its strips are mirror images of themselves,
// a sheet stands square to a mirror and two curves of it and its image
// cross, the curves through those points are followed on the surface itself
// (AxisPoints.h, MirrorCrossings.h). With few strips the surface pinches at
// points for a while, and a curve ends in each, as near it as two sheets may
// be told apart (PinchPoints.h). Otherwise a curve is left open where it
// could not be followed on: rarely, beside a point of the axis while the
// strips are mirrored, where the points of both kinds gather.
//
// The search mesh has the request's patches, and at least 24 of each; loops
// small enough to pass between its facets are looked for where sheets come
// near (MissedLoops.h). The ruled method's meeting poles (its closing
// steps) are handled as PoleContact.h says. At the halfway time with an odd
// number of lobes that method's surface covers itself twice: sheets that
// coincide only touch, and only where sheets of it cross is a curve
// reported.
//
// findDoubleCurves may be called from any one thread and spreads its work
// over OpenMP threads; it keeps no state between calls and its result does
// not depend on the number of threads. `around` must be a count the method
// takes (ExactSurface.h); t is clamped into [0, 1]. The result owns all its
// memory.
#include <vector>

#include "eversion/EversionMethod.h"
#include "viewer/Origin.h"

struct CurvePoint {
    double position[3];  // world coordinates, on the exact surface
    Origin a, b;         // the two origins (degrees) whose points meet here: |f(a) - f(b)| <= 1e-9
};

struct DoubleCurve {
    std::vector<CurvePoint> points;  // in order along the curve
    bool closed = false;             // a loop: the last point joins the first (not repeated)
};

struct TriplePoint {
    double position[3];
    Origin origins[3];
};

struct DoubleCurveSet {
    std::vector<DoubleCurve> curves;
    std::vector<TriplePoint> triplePoints;
};

struct DoubleCurveRequest {
    EversionMethod method = EversionMethod::Corrugations;
    int around = 8;               // strips (corrugations) or lobes (ruled)
    double t = 0;                 // 0..1
    int latitudinalPatches = 12;  // the display's resolution; the search mesh is at least this fine
    int longitudinalPatches = 12;

    bool operator==(const DoubleCurveRequest&) const = default;
};

DoubleCurveSet findDoubleCurves(const DoubleCurveRequest& request);
