#pragma once
// The smooth base surfaces of the eversion stages, before any corrugation.
//
// Parameters are Jet8 values: p (or u) runs along the meridian, 0 at the pole
// z = +1, 1 at the equator, 2 at the other pole; q (or v) is the longitude in
// turns. Angles are in turns throughout; a polar parameter is divided by 4, so
// 1 is a quarter turn. Results are Jet8Vec points with z the polar axis; the
// stage functions evaluate them on the meridian v = 0 (value 0, dv = 1), where
// every surface except the twisted one lies in the plane x = 0.
#include "jets/JetVec.h"

// The ellipsoid with semi-axes sx, sy, sz, polar angle p/4 turns, longitude q:
// (sx S(p/4) S(q), sy S(p/4) C(q), sz C(p/4)). Negative scales mirror it.
Jet8Vec ellipsoidPoint(Jet8 p, Jet8 q, double sx, double sy, double sz);
Jet8Vec unitSphere(Jet8 u, Jet8 v);
// Every point of the unit sphere negated: the end of the eversion.
Jet8Vec invertedSphere(Jet8 u, Jet8 v);

// Period-4 reparametrisations of the meridian, increasing 0 -> 4 per period.
// slowAtOdd has slope 2 at even integers and lingers (slope 0) at odd ones;
// slowAtEven the reverse. Only the value is wrapped into [0, 4): the
// derivatives pass through untouched, so they follow the chain rule.
Jet8 slowAtOdd(Jet8 x);
Jet8 slowAtEven(Jet8 x);
// 3x^2 - 2x^3 on x folded into [0, 1] with period 2: 0 at even integers
// (poles), 1 at odd integers (equator), flat at both.
Jet8 foldedSmoothstep(Jet8 x);

// Two-sheet surfaces: a polar sheet on an ellipsoid reached through
// slowAtOdd, blended by foldedSmoothstep(u) into an equatorial sheet reached
// through slowAtEven. pushedSurface has its pole pushed through to
// (0, 0, -1) while the equator stays on the unit circle in z = 0;
// pushedInvertedSurface is the same shape after both sheets' half turns.
Jet8Vec pushedSurface(Jet8 u, Jet8 v);
Jet8Vec pushedInvertedSurface(Jet8 u, Jet8 v);

// Stage geometries at the stage fraction tau in [0, 1]:
// sphere -> pushed; pushed -> pushed inverted by turning the equatorial sheet
// about y and the polar sheet about z (opposite senses in the two
// hemispheres), each by tau / 2 turns; pushed inverted -> inverted sphere.
Jet8Vec pushingSurface(Jet8 u, Jet8 v, double tau);
Jet8Vec twistedSurface(Jet8 u, Jet8 v, double tau);
Jet8Vec releasingSurface(Jet8 u, Jet8 v, double tau);
