#pragma once
// Jet8: a function of (u, v) with every partial derivative of order at most 2
// in each parameter and at most 3 in total, stored in this order:
// value, du, dv, duu, duv, dvv, duuv, duvv.
//
// That set is closed under multiplication (Taylor polynomials modulo u^3, v^3
// and u^2 v^2) and is exactly what makes d/du and d/dv of a Jet8 complete
// Jet4s, which is how tangents that carry their own derivatives are obtained.
// Fields are plain partial derivatives; angles are in turns; parameter index
// 0 = u, 1 = v, anything else selects neither. As for Jet4 there is no
// subtraction, negation or division, and each rule's operation order is fixed.
#include <cmath>

#include "jets/ChainRule.h"
#include "jets/Jet4.h"

struct Jet8 {
    double value, du, dv, duu, duv, dvv, duuv, duvv;

    Jet8() = default;
    constexpr Jet8(double value, double du, double dv)
        : value(value), du(du), dv(dv), duu(0), duv(0), dvv(0), duuv(0), duvv(0)
    {
    }
    constexpr Jet8(double value, double du, double dv, double duu, double duv, double dvv,
                   double duuv, double duvv)
        : value(value), du(du), dv(dv), duu(duu), duv(duv), dvv(dvv), duuv(duuv), duvv(duvv)
    {
    }
};

// (f + g)' = f' + g', field by field
constexpr Jet8 operator+(Jet8 f, Jet8 g)
{
    return {f.value + g.value, f.du + g.du,   f.dv + g.dv,     f.duu + g.duu,
            f.duv + g.duv,     f.dvv + g.dvv, f.duuv + g.duuv, f.duvv + g.duvv};
}

// (f + s)' = f': a constant shifts only the value
constexpr Jet8 operator+(Jet8 f, double s)
{
    return {f.value + s, f.du, f.dv, f.duu, f.duv, f.dvv, f.duuv, f.duvv};
}

// Leibniz rule: each field is sum over splits of the derivative, with the
// binomial weight 2 where a repeated parameter is split between f and g.
constexpr Jet8 operator*(Jet8 f, Jet8 g)
{
    return {f.value * g.value,
            f.value * g.du + f.du * g.value,
            f.value * g.dv + f.dv * g.value,
            f.value * g.duu + 2 * f.du * g.du + f.duu * g.value,
            f.value * g.duv + f.du * g.dv + f.dv * g.du + f.duv * g.value,
            f.value * g.dvv + 2 * f.dv * g.dv + f.dvv * g.value,
            f.value * g.duuv + 2 * f.du * g.duv + f.dv * g.duu + 2 * f.duv * g.du +
                f.duu * g.dv + f.duuv * g.value,
            f.value * g.duvv + 2 * f.dv * g.duv + f.du * g.dvv + 2 * f.duv * g.dv +
                f.dvv * g.du + f.duvv * g.value};
}

// (s f)' = s f'
constexpr Jet8 operator*(Jet8 f, double s)
{
    return {s * f.value, s * f.du,  s * f.dv,   s * f.duu,
            s * f.duv,   s * f.dvv, s * f.duuv, s * f.duvv};
}

// sin(2 pi (a + h)) ~ sin 2 pi a + 2 pi cos 2 pi a h, through third order
inline Jet8 sinTurns(Jet8 f)
{
    const Jet8 t = f * radiansPerTurn;
    return applyChainRule(t, sineDerivatives(t.value));
}

// cos(2 pi (a + h)) ~ cos 2 pi a - 2 pi sin 2 pi a h, through third order
inline Jet8 cosTurns(Jet8 f)
{
    const Jet8 t = f * radiansPerTurn;
    return applyChainRule(t, cosineDerivatives(t.value));
}

// (a + h)^n ~ a^n + n a^(n-1) h, through third order; all derivatives 0 at a = 0
inline Jet8 pow(Jet8 f, double n)
{
    return applyChainRule(f, powerDerivatives(f.value, n));
}

// Parameter k held constant: every derivative that involves k vanishes.
constexpr Jet8 holdFixed(Jet8 f, int k)
{
    if (k == 0)
        return {f.value, 0, f.dv, 0, 0, f.dvv, 0, 0};
    if (k == 1)
        return {f.value, f.du, 0, f.duu, 0, 0, 0, 0};
    return {f.value, 0, 0, 0, 0, 0, 0, 0};
}

// d/du of (f, f_u, f_v, f_uu, f_uv, ...) is (f_u, f_uu, f_uv, f_uuv), and
// d/dv is (f_v, f_uv, f_vv, f_uvv); other k: the zero jet.
constexpr Jet4 partial(Jet8 f, int k)
{
    if (k == 0)
        return {f.du, f.duu, f.duv, f.duuv};
    if (k == 1)
        return {f.dv, f.duv, f.dvv, f.duvv};
    return {0, 0, 0, 0};
}

// d/du alone, and d/dv with v then held fixed, (f_v, f_uv, 0, 0): the
// derivative across as it varies along u. Jet5 has the same pair, so code
// written on either reads the same fields.
constexpr Jet4 partialAlong(Jet8 f)
{
    return partial(f, 0);
}
constexpr Jet4 partialAcrossHeld(Jet8 f)
{
    return {f.dv, f.duv, 0, 0};
}

// Truncation keeps (f, f_u, f_v, f_uv) and drops the pure second and the
// third derivatives.
constexpr Jet4 toJet4(Jet8 f)
{
    return {f.value, f.du, f.dv, f.duv};
}
constexpr Jet4 truncate(Jet8 f)
{
    return toJet4(f);
}

// Comparisons look at the value alone; NaN compares false.
constexpr bool operator>(Jet8 f, double s) { return f.value > s; }
constexpr bool operator<(Jet8 f, double s) { return f.value < s; }
constexpr bool operator<=(Jet8 f, double s) { return f.value <= s; }

// Reduces the value into [0, period] in place, exactly as for Jet4; the seven
// derivative fields are untouched (a whole-period shift has no derivative).
inline void wrap(Jet8& f, double period)
{
    f.value = std::fmod(f.value, period);
    if (f.value < 0)
        f.value = f.value + period;
}
