#include "eversion/StageGeometry.h"

#include "eversion/Inlining.h"
#include "eversion/MeridianFold.h"

static Jet8 constantJet(double value)
{
    return Jet8(value, 0, 0);
}

// Shared head of the two period-4 maps: wraps x into [0, 4) and moves the
// second half-period down by 2, returning that shift as the offset that the
// map adds back to its result.
static double reduceToHalfPeriod(Jet8& x)
{
    wrap(x, 4);
    if (x > 2) {
        x = x + (-2);
        return 2;
    }
    return 0;
}

EVERSION_FLATTEN Jet8Vec ellipsoidPoint(Jet8 p, Jet8 q, double sx, double sy, double sz)
{
    const Jet8 w = p * 0.25;
    const Jet8 sinPolar = sinTurns(w);
    return Jet8Vec{(sinPolar * sinTurns(q)) * sx, (sinPolar * cosTurns(q)) * sy,
                   cosTurns(w) * sz};
}

Jet8Vec unitSphere(Jet8 u, Jet8 v)
{
    return ellipsoidPoint(u, v, 1, 1, 1);
}

Jet8Vec invertedSphere(Jet8 u, Jet8 v)
{
    return ellipsoidPoint(u, v, -1, -1, -1);
}

EVERSION_FLATTEN Jet8 slowAtOdd(Jet8 x)
{
    const double offset = reduceToHalfPeriod(x);
    if (x <= 1)
        return x * 2 + pow(x, 2) * (-1) + offset;
    return pow(x, 2) + x * (-2) + (2 + offset);
}

EVERSION_FLATTEN Jet8 slowAtEven(Jet8 x)
{
    const double offset = reduceToHalfPeriod(x);
    if (x <= 1)
        return pow(x, 2) + offset;
    return x * 4 + pow(x, 2) * (-1) + (-2 + offset);
}

EVERSION_FLATTEN Jet8 foldedSmoothstep(Jet8 x)
{
    x = foldAboutEquator(x);
    return pow(x, 2) * 3 + pow(x, 3) * (-2);
}

EVERSION_FLATTEN Jet8Vec pushedSurface(Jet8 u, Jet8 v)
{
    return lerp(ellipsoidPoint(slowAtOdd(u), v, 0.9, 0.9, -1),
                ellipsoidPoint(slowAtEven(u), v, 1, 1, 0.5), foldedSmoothstep(u));
}

// The scales are those of pushedSurface after the twist's half turns: the
// equatorial sheet turned about y flips x and z, the polar sheet turned about
// z flips x and y.
EVERSION_FLATTEN Jet8Vec pushedInvertedSurface(Jet8 u, Jet8 v)
{
    return lerp(ellipsoidPoint(slowAtOdd(u), v, -0.9, -0.9, -1),
                ellipsoidPoint(slowAtEven(u), v, -1, 1, -0.5), foldedSmoothstep(u));
}

EVERSION_FLATTEN Jet8Vec pushingSurface(Jet8 u, Jet8 v, double tau)
{
    return lerp(unitSphere(u, v), pushedSurface(u, v), constantJet(tau));
}

// The polar sheet turns one way about z in the hemisphere u <= 1 and the other
// way beyond it, so that the hemisphere drawn turned half a turn about y meets
// this one along the equator.
EVERSION_FLATTEN Jet8Vec twistedSurface(Jet8 u, Jet8 v, double tau)
{
    const Jet8 halfTau = constantJet(tau * 0.5);
    const Jet8Vec equatorial = rotateY(ellipsoidPoint(slowAtEven(u), v, 1, 1, 0.5), halfTau);
    const Jet8 polarAngle = u <= 1 ? halfTau : constantJet(-(tau * 0.5));
    const Jet8Vec polar = rotateZ(ellipsoidPoint(slowAtOdd(u), v, 0.9, 0.9, -1), polarAngle);
    return lerp(polar, equatorial, foldedSmoothstep(u));
}

EVERSION_FLATTEN Jet8Vec releasingSurface(Jet8 u, Jet8 v, double tau)
{
    return lerp(pushedInvertedSurface(u, v), invertedSphere(u, v), constantJet(tau));
}
