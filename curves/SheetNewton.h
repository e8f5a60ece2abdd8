#pragma once
// Newton's method for the points where sheets of the exact surface meet.
//
// A double point is a pair of origins a, b with f(a) = f(b): three equations
// in four unknowns (a move of each origin in its tangent plane, SheetChart.h),
// solved by minimum-norm Gauss-Newton steps, so that from an estimate near the
// double curve it converges to the curve's nearest point. A triple point is
// three origins with f(a) = f(b) = f(c): six equations in six unknowns.
// Derivatives are the jets' exact ones.
//
// A solution is reported only if it meets doubleTolerance in world units, its
// origins are apart by at least minimumSeparation (radians): two sheets, not
// one, and the sheets cross rather than touch (the sine of their angle at
// least minimumCrossing): where sheets touch or coincide, Newton's method
// cannot tell a crossing from a near miss. Pure; no allocation; any number
// of threads.
#include "curves/SheetChart.h"

// What every reported point satisfies, |f(a) - f(b)|, world units.
constexpr double doubleTolerance = 1e-10;
// Origins closer than this (radians, about 0.6 degrees) are one sheet.
constexpr double minimumSeparation = 0.01;
// Sheets at a smaller angle than this sine touch.
constexpr double minimumCrossing = 1e-4;

struct DoubleSolution {
    SheetJet a, b;
    double residual = 0;  // |f(a) - f(b)| at the reported origins
    Vec3 start;           // f(a) at the estimate: how far the solution moved tells whether it is the one sought
};

// From the estimate (a, b), unit vectors. False when it does not converge.
// `leastCrossing` lowers the floor on the crossing's sine only where sheets
// are known to cross at ever smaller angles (into the ruled method's meeting
// poles, PoleContact.h).
bool solveDoublePoint(const ExactSurface& surface, Vec3 a, Vec3 b, DoubleSolution& out,
                      double leastCrossing = minimumCrossing);
// The same, but giving up as soon as a step fails to quarter the residual:
// for estimates that may be near no double point at all, where sheets only
// come close (most of them), at the price of refusing some slow starts.
bool probeDoublePoint(const ExactSurface& surface, Vec3 a, Vec3 b, DoubleSolution& out);

struct TripleSolution {
    SheetJet sheets[3];
    double residual = 0;  // the largest of |f(a) - f(b)|, |f(b) - f(c)|, |f(a) - f(c)|
};

bool solveTriplePoint(const ExactSurface& surface, Vec3 a, Vec3 b, Vec3 c, TripleSolution& out);

// The same solve taken a few steps at a time: advancing until solved or
// failed, in as many calls as it takes, gives solveTriplePoint's result to
// the bit.
struct TripleNewton {
    SheetJet sheets[3];
    double residual = 0;         // at the current origins, once advanced
    double previous = 1e300;     // before the last step
    int step = 0;                // steps taken
    double move[6] = {};         // the next step (radians, east and north of each origin), once Going
};
enum class TripleProgress { Solved, Failed, Going };
TripleNewton startTriplePoint(const ExactSurface& surface, Vec3 a, Vec3 b, Vec3 c);
// Takes at most `steps` more steps; Going if it has neither solved nor failed.
TripleProgress advanceTriplePoint(const ExactSurface& surface, TripleNewton& n, int steps, TripleSolution& out);

// The sine of the angle between the two sheets' tangent planes at a double
// point: 0 where they touch, 1 where they cross at right angles.
double crossingSine(const DoubleSolution& s);

// The double curve's direction at a solution: how the two origins move (as
// tangent vectors of the t = 0 sphere, radians) per world unit travelled
// along the curve, and that unit direction in space. Its sign is arbitrary.
struct CurveTangent {
    Vec3 alongA, alongB;
    Vec3 inSpace;
};
CurveTangent curveTangent(const DoubleSolution& s);
