#pragma once
// The ruled-surface eversion: an analytic eversion in seven steps built from
// three maps of the sphere, with n lobes (2 to 5).
//
// A point is given by its origin on the sphere: latitude theta and longitude
// phi, both in turns as the jets take them (theta from -1/4 at the south pole
// to 1/4 at the north pole, phi from the +x axis towards +y). With c = cos
// theta, h = w sin theta / c^n and kappa = (n - 1) / (2n):
//
//   wormhole W(t, p, q):  x = t cos phi + p sin((n-1) phi) - h sin phi
//                         y = t sin phi + p cos((n-1) phi) + h cos phi
//                         z = h sin(n phi) - (t / n) cos(n phi) - q t h
//   closing C(eta, xi, alpha): D = xi + eta (x^2 + y^2), x' = x / D^kappa,
//                         y' = y / D^kappa, z' = z / D, S = x'^2 + y'^2,
//                         gamma = 2 sqrt(alpha), E = exp(gamma z'),
//                         x'' = x' E / (alpha + S), y'' alike,
//                         z'' = ((alpha - S) / (alpha + S)) E / gamma
//                               - ((alpha - 1) / (alpha + 1)) / gamma
//   unfolding U(t, q, lambda), with eta = 1:
//                         (X, Y) = the turn by phi of (t (1 - lambda + lambda c^n),
//                                  lambda w sin theta) / c^n
//                         Z = lambda [w sin theta (sin(n phi) - q t) / c^n
//                                     - (t / n) cos(n phi)]
//                             - (1 - lambda) t |t|^(2 kappa) sin theta / c^(2n)
//                         R = X^2 + Y^2, point (X, Y) / R^(1 - kappa), -Z / R
//
// (w = 2, Q = 2/3, T = 1/Q, eta_f = 2, alpha_f = 1.) The closing's z'' is
// evaluated in the equal form
//   z'' = sqrt(alpha) (1 - S) / ((alpha + S)(alpha + 1))
//         + ((alpha - S) / (alpha + S)) expm1(gamma z') / gamma,
// which needs no separate case at gamma = 0 (where expm1(gamma z') / gamma
// is z' and the map becomes x' / S, y' / S, -z') and loses nothing to
// cancellation while gamma is small.
//
// Every point is scaled by Q^(-1/n), so that the eversion starts and ends on
// the unit sphere. The poles (c = 0) are limits, handled by the caller through
// ruledPole: there the surface is horizontal, at (0, 0, ruledPoleHeight(...)).
//
// Everything is inline so that the sampler sees the whole evaluation. Pure:
// no state, no allocation.
#include <cmath>

#include "jets/JetVec.h"

constexpr int minLobes = 2;
constexpr int maxLobes = 5;

// Everything that depends on the time and the lobe count alone.
struct RuledFrame {
    int lobes = 2;
    int step = 7;          // 1 .. 7
    double fraction = 1;   // the step's own f in [0, 1]
    bool unfolding = true; // steps 1 and 7; the others close a wormhole
    // The wormhole and its closing.
    double t = 0, p = 0, q = 0;
    double eta = 1, xi = 0, alpha = 0, gamma = 0;
    double closingHeight = 0;  // sqrt(alpha) / (alpha + 1)
    // The unfolding.
    double lambda = 0;
    double kappa = 0.25;
    double scale = 1;  // Q^(-1/n)
};

// The viewer's time t in [0, 1] (t = 0 the sphere, t = 1 every point at its
// antipode) as a step and its fraction: the seven steps take equal shares of
// t, run backwards, each eased by 3u^2 - 2u^3 so that the motion stops at
// every join. lobes must be within [minLobes, maxLobes].
RuledFrame ruledFrame(double time, int lobes);
// Step 1 .. 7 at its own fraction in [0, 1]: step k at 1 is step k + 1 at 0.
RuledFrame ruledStepFrame(int step, double fraction, int lobes);

// The height of both poles: the surface's limit there is the point
// (0, 0, ruledPoleHeight(frame, north)) with the tangent plane horizontal.
double ruledPoleHeight(const RuledFrame& frame, bool north);

// The terms of a point that depend on its longitude alone.
struct RuledColumn {
    Jet4 cosPhi, sinPhi;
    Jet4 cosLess, sinLess;    // of (n - 1) phi
    Jet4 cosLobes, sinLobes;  // of n phi
};

inline RuledColumn ruledColumn(Jet4 phi, int lobes)
{
    RuledColumn c;
    c.cosPhi = cosTurns(phi);
    c.sinPhi = sinTurns(phi);
    const Jet4 less = phi * static_cast<double>(lobes - 1);
    c.cosLess = cosTurns(less);
    c.sinLess = sinTurns(less);
    const Jet4 all = phi * static_cast<double>(lobes);
    c.cosLobes = cosTurns(all);
    c.sinLobes = sinTurns(all);
    return c;
}

// The terms of a point that depend on its latitude alone. A wormhole uses h;
// an unfolding its row terms (X, Y) = (a, b) turned by phi, times m, and
// z = zCos cos(n phi) + zSin sin(n phi) + zRow.
struct RuledRow {
    Jet4 h;
    Jet4 a, b, m;
    Jet4 zCos, zSin, zRow;
};

constexpr double ruledWidth = 2;         // w
constexpr double ruledQ = 2.0 / 3.0;     // Q
constexpr double ruledT = 1.5;           // T = 1 / Q

inline RuledRow ruledRow(const RuledFrame& f, Jet4 theta)
{
    const Jet4 s = sinTurns(theta);
    const Jet4 c = cosTurns(theta);
    Jet4 cn = c;
    for (int k = 1; k < f.lobes; ++k)
        cn = cn * c;
    const Jet4 inverse = pow(cn, -1);
    RuledRow r;
    r.h = (s * inverse) * ruledWidth;
    if (!f.unfolding)
        return r;
    r.a = (inverse * (1 - f.lambda) + f.lambda) * f.t;
    r.b = r.h * f.lambda;
    const Jet4 radius = r.a * r.a + r.b * r.b;
    r.m = pow(radius, f.kappa - 1);
    const Jet4 inverseRadius = pow(radius, -1);
    const double k = (1 - f.lambda) * f.t * std::pow(std::fabs(f.t), 2 * f.kappa);
    r.zRow = (r.h * (f.lambda * f.q * f.t) + (s * (inverse * inverse)) * k) * inverseRadius;
    r.zSin = (r.h * inverseRadius) * (-f.lambda);
    r.zCos = inverseRadius * (f.lambda * f.t / f.lobes);
    return r;
}

// D^-kappa with kappa = (n - 1) / (2n): 1/4, 1/3 and 3/8 are roots that cost
// a fraction of a general power.
// NOTE: halfway model, 2 lobes: 484 instructions a vertex with std::pow,
// 356 with the roots (callgrind); the 512 x 512 rebuild on one core went
// from 10.1 to 13.2 M vertices/s (a loaded machine).
inline double ruledShrink(double d, int lobes)
{
    switch (lobes) {
    case 2:
        return 1 / std::sqrt(std::sqrt(d));
    case 3:
        return 1 / std::cbrt(d);
    case 4: {
        const double eighth = std::sqrt(std::sqrt(std::sqrt(d)));
        return 1 / (eighth * eighth * eighth);
    }
    default:
        return std::pow(d, -(lobes - 1) / (2.0 * lobes));
    }
}

// The point of the row and column, scaled onto the unit sphere's size.
inline Jet4Vec ruledPlace(const RuledFrame& f, const RuledRow& r, const RuledColumn& c)
{
    if (f.unfolding) {
        const Jet4 x = r.a * c.cosPhi + (r.b * c.sinPhi) * -1;
        const Jet4 y = r.a * c.sinPhi + r.b * c.cosPhi;
        const Jet4 z = (r.zCos * c.cosLobes + r.zSin * c.sinLobes) + r.zRow;
        return {(x * r.m) * f.scale, (y * r.m) * f.scale, z * f.scale};
    }
    const Jet4 x = (c.cosPhi * f.t + c.sinLess * f.p) + (r.h * c.sinPhi) * -1;
    const Jet4 y = (c.sinPhi * f.t + c.cosLess * f.p) + r.h * c.cosPhi;
    const Jet4 z = (r.h * c.sinLobes + c.cosLobes * (-f.t / f.lobes)) + r.h * (-f.q * f.t);

    const Jet4 d = (x * x + y * y) * f.eta + f.xi;
    // D^-kappa and 1 / D share the reciprocal, which carries every
    // derivative of the power.
    const double inverse = 1 / d.value;
    const double power = ruledShrink(d.value, f.lobes);
    const double k = f.kappa;
    const Jet4 shrink = applyChainRule(d, {power, -k * power * inverse, k * (k + 1) * power * inverse * inverse, 0});
    const Jet4 x1 = x * shrink;
    const Jet4 y1 = y * shrink;
    const Jet4 z1 = z * applyChainRule(d, {inverse, -inverse * inverse, 2 * inverse * inverse * inverse, 0});
    const Jet4 s = x1 * x1 + y1 * y1;
    const Jet4 a = pow(s + f.alpha, -1);
    // expm1(gamma z') / gamma, which is z' itself at gamma = 0.
    const Jet4 g = f.gamma > 0 ? expm1(z1 * f.gamma) * (1 / f.gamma) : z1;
    const Jet4 e = g * f.gamma + 1;
    const Jet4 spread = (e * a) * f.scale;
    const Jet4 z2 = ((s * -1 + 1) * a) * f.closingHeight + ((s * -1 + f.alpha) * a) * g;
    return {x1 * spread, y1 * spread, z2 * f.scale};
}

// The grid's blocks (see sampleRuledRows) as functions of (u, v): block 0,
// the north, runs from its pole down and west across the first lune; block
// 1, the south, from its pole up and east; so both wind the same way and
// carry the origins of the corrugation method's copies (hemisphere, strip 0).
inline Jet4 ruledBlockLatitude(int block, double u)
{
    const double side = block == 0 ? 1 : -1;
    return Jet4(side * (0.25 - 0.25 * u), -0.25 * side, 0);
}

inline Jet4 ruledBlockLongitude(int block, double v, int lobes)
{
    const double n = lobes;
    return block == 0 ? Jet4(0.25 - v / n, 0, -1 / n) : Jet4(0.25 - (1 - v) / n, 0, 1 / n);
}

// The point of origin (theta, phi), in turns, away from the poles.
inline Jet4Vec ruledPoint(const RuledFrame& f, Jet4 theta, Jet4 phi)
{
    return ruledPlace(f, ruledRow(f, theta), ruledColumn(phi, f.lobes));
}
