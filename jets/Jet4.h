#pragma once
// Jet4: a function of the surface parameters (u, v) carried as its value, its
// first partial derivatives and its mixed second derivative, in that order.
//
// The arithmetic is that of f + f_u eu + f_v ev + f_uv eu ev with eu^2 = ev^2 =
// 0, so the four fields are closed under every operation below and each one is
// exact differentiation up to rounding. Fields are plain partial derivatives.
// Angles are in turns (1.0 = a full turn). Parameter index: 0 = u, 1 = v, any
// other value selects neither. There is deliberately no subtraction, negation
// or division: callers write f + g * -1 and f * pow(g, -1), and the operation
// order inside each rule is fixed because surface values are reproduced
// bit for bit.
#include <cmath>

#include "jets/ChainRule.h"
#include "jets/Jet3.h"

struct Jet4 {
    double value, du, dv, duv;

    Jet4() = default;
    constexpr Jet4(double value, double du, double dv) : value(value), du(du), dv(dv), duv(0) {}
    constexpr Jet4(double value, double du, double dv, double duv)
        : value(value), du(du), dv(dv), duv(duv)
    {
    }
};

// (f + g)' = f' + g'
constexpr Jet4 operator+(Jet4 f, Jet4 g)
{
    return {f.value + g.value, f.du + g.du, f.dv + g.dv, f.duv + g.duv};
}

// (f + s)' = f': a constant shifts only the value
constexpr Jet4 operator+(Jet4 f, double s)
{
    return {f.value + s, f.du, f.dv, f.duv};
}

// (fg)' = f g' + f' g; (fg)_uv = f g_uv + f_u g_v + f_v g_u + f_uv g
constexpr Jet4 operator*(Jet4 f, Jet4 g)
{
    return {f.value * g.value, f.value * g.du + f.du * g.value, f.value * g.dv + f.dv * g.value,
            f.value * g.duv + f.du * g.dv + f.dv * g.du + f.duv * g.value};
}

// (s f)' = s f'
constexpr Jet4 operator*(Jet4 f, double s)
{
    return {s * f.value, s * f.du, s * f.dv, s * f.duv};
}

// sin(2 pi (a + h)) ~ sin 2 pi a + 2 pi cos 2 pi a h
inline Jet4 sinTurns(Jet4 f)
{
    const Jet4 t = f * radiansPerTurn;
    return applyChainRule(t, sineDerivatives(t.value));
}

// cos(2 pi (a + h)) ~ cos 2 pi a - 2 pi sin 2 pi a h
inline Jet4 cosTurns(Jet4 f)
{
    const Jet4 t = f * radiansPerTurn;
    return applyChainRule(t, cosineDerivatives(t.value));
}

// (a + h)^n ~ a^n + n a^(n-1) h; all derivatives 0 where a is exactly 0
inline Jet4 pow(Jet4 f, double n)
{
    return applyChainRule(f, powerDerivatives(f.value, n));
}

// e^(a + h) - 1 ~ (e^a - 1) + e^a h
inline Jet4 expm1(Jet4 f)
{
    return applyChainRule(f, expm1Derivatives(f.value));
}

// Parameter k held constant: derivatives involving k, and the mixed one, vanish.
constexpr Jet4 holdFixed(Jet4 f, int k)
{
    if (k == 0)
        return {f.value, 0, f.dv, 0};
    if (k == 1)
        return {f.value, f.du, 0, 0};
    return {f.value, 0, 0, 0};
}

// f (1 - t) + g t, with 1 - t formed as t * -1 + 1 and g t taken first
constexpr Jet4 lerp(Jet4 f, Jet4 g, Jet4 t)
{
    const Jet4 p = g * t;
    const Jet4 r = (t * -1) + 1;
    return (f * r) + p;
}

// Comparisons look at the value alone; NaN compares false.
constexpr bool operator>(Jet4 f, double s) { return f.value > s; }
constexpr bool operator<(Jet4 f, double s) { return f.value < s; }
constexpr bool operator<=(Jet4 f, double s) { return f.value <= s; }

// Reduces the value into [0, period] in place. fmod keeps the dividend's sign,
// so a negative remainder is lifted by one period; a tiny negative remainder
// can round up to the period itself. A whole-period shift has no derivative,
// so the derivative fields are untouched.
inline void wrap(Jet4& f, double period)
{
    f.value = std::fmod(f.value, period);
    if (f.value < 0)
        f.value = f.value + period;
}

// Keeps (f, f_u, f_v).
constexpr Jet3 truncate(Jet4 f)
{
    return {f.value, f.du, f.dv};
}

// The tangent components the sampler reads.
constexpr double getDu(Jet4 f) { return f.du; }
constexpr double getDv(Jet4 f) { return f.dv; }
