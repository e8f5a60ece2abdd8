#pragma once
// The smooth base surfaces of the eversion stages, before any corrugation.
//
// Parameters are row jets: Jet8, or Jet5 where the final point's mixed
// derivative is not wanted (both give the same bits in the fields they
// share). p (or u) runs along the meridian, 0 at the pole z = +1, 1 at the
// equator, 2 at the other pole; q (or v) is the longitude in turns. Angles are
// in turns throughout; a polar parameter is divided by 4, so 1 is a quarter
// turn. Results are vectors of the same jet with z the polar axis; the stage
// functions evaluate them on the meridian v = 0 (value 0, dv = 1), where
// every surface except the twisted one lies in the plane x = 0.
//
// NOTE: defined inline in this header, not in a source file, so that each
// stage function sees its whole call tree: the constant meridian jet then
// folds away (sin 0, cos 0) and no jet crosses a call. Push stage, flattened
// as far as each source file allowed: 2.37 M evaluations/s with these
// definitions in a separate source file, 3.17 M/s with all of them visible.
#include "eversion/MeridianFold.h"
#include "jets/JetVec.h"

// A number as a jet that depends on neither parameter.
template <class J>
inline J constantJet(double value)
{
    return J(value, 0, 0);
}

// The ellipsoid with semi-axes sx, sy, sz, polar angle p/4 turns, longitude q:
// (sx S(p/4) S(q), sy S(p/4) C(q), sz C(p/4)). Negative scales mirror it.
template <class J>
inline JetVector<J> ellipsoidPoint(J p, J q, double sx, double sy, double sz)
{
    const J w = p * 0.25;
    const J sinPolar = sinTurns(w);
    return JetVector<J>{(sinPolar * sinTurns(q)) * sx, (sinPolar * cosTurns(q)) * sy,
                        cosTurns(w) * sz};
}

template <class J>
inline JetVector<J> unitSphere(J u, J v)
{
    return ellipsoidPoint(u, v, 1, 1, 1);
}

// Every point of the unit sphere negated: the end of the eversion.
template <class J>
inline JetVector<J> invertedSphere(J u, J v)
{
    return ellipsoidPoint(u, v, -1, -1, -1);
}

// Shared head of the two period-4 maps below: wraps x into [0, 4) and moves
// the second half-period down by 2, returning that shift as the offset the
// map adds back to its result.
template <class J>
inline double reduceToHalfPeriod(J& x)
{
    wrap(x, 4);
    if (x > 2) {
        x = x + (-2);
        return 2;
    }
    return 0;
}

// Period-4 reparametrisations of the meridian, each increasing 0 -> 4 over a
// period. slowAtOdd has slope 2 at even integers and lingers (slope 0) at odd
// ones; slowAtEven the reverse. Only the value is wrapped, so the derivatives
// pass through the reduction untouched and then follow the chain rule.
template <class J>
inline J slowAtOdd(J x)
{
    const double offset = reduceToHalfPeriod(x);
    if (x <= 1)
        return x * 2 + pow(x, 2) * (-1) + offset;
    return pow(x, 2) + x * (-2) + (2 + offset);
}

template <class J>
inline J slowAtEven(J x)
{
    const double offset = reduceToHalfPeriod(x);
    if (x <= 1)
        return pow(x, 2) + offset;
    return x * 4 + pow(x, 2) * (-1) + (-2 + offset);
}

// 3x^2 - 2x^3 on x folded into [0, 1] with period 2: 0 at even integers
// (poles), 1 at odd integers (equator), flat at both.
template <class J>
inline J foldedSmoothstep(J x)
{
    x = foldAboutEquator(x);
    return pow(x, 2) * 3 + pow(x, 3) * (-2);
}

// Two-sheet surface: a polar sheet on an ellipsoid reached through slowAtOdd,
// blended by foldedSmoothstep(u) into an equatorial sheet reached through
// slowAtEven. The pole is pushed through to (0, 0, -1) while the equator stays
// on the unit circle in z = 0.
template <class J>
inline JetVector<J> pushedSurface(J u, J v)
{
    return lerp(ellipsoidPoint(slowAtOdd(u), v, 0.9, 0.9, -1),
                ellipsoidPoint(slowAtEven(u), v, 1, 1, 0.5), foldedSmoothstep(u));
}

// pushedSurface after the twist's half turns: the equatorial sheet turned
// about y has x and z flipped, the polar sheet turned about z has x and y
// flipped.
template <class J>
inline JetVector<J> pushedInvertedSurface(J u, J v)
{
    return lerp(ellipsoidPoint(slowAtOdd(u), v, -0.9, -0.9, -1),
                ellipsoidPoint(slowAtEven(u), v, -1, 1, -0.5), foldedSmoothstep(u));
}

// Stage geometries at the stage fraction tau in [0, 1].

// From the unit sphere to the pushed surface.
template <class J>
inline JetVector<J> pushingSurface(J u, J v, double tau)
{
    return lerp(unitSphere(u, v), pushedSurface(u, v), constantJet<J>(tau));
}

// From the pushed to the pushed inverted surface: the equatorial sheet turns
// about y, the polar sheet about z, each by tau / 2 turns. The polar sheet
// turns the other way beyond the equator (u > 1), so that the hemisphere drawn
// turned half a turn about y meets this one along the equator.
template <class J>
inline JetVector<J> twistedSurface(J u, J v, double tau)
{
    const J halfTau = constantJet<J>(tau * 0.5);
    const JetVector<J> equatorial = rotateY(ellipsoidPoint(slowAtEven(u), v, 1, 1, 0.5), halfTau);
    const J polarAngle = u <= 1 ? halfTau : constantJet<J>(-(tau * 0.5));
    const JetVector<J> polar = rotateZ(ellipsoidPoint(slowAtOdd(u), v, 0.9, 0.9, -1), polarAngle);
    return lerp(polar, equatorial, foldedSmoothstep(u));
}

// From the pushed inverted surface out onto the inverted sphere.
template <class J>
inline JetVector<J> releasingSurface(J u, J v, double tau)
{
    return lerp(pushedInvertedSurface(u, v), invertedSphere(u, v), constantJet<J>(tau));
}
