#pragma once
// Jet5: a function of (u, v) carried as value, du, dv, duu, duv: the fields of
// a Jet8 less dvv, duuv and duvv.
//
// The set is closed under Jet8's rules (no kept field's rule reads a dropped
// one), and every rule computes each field with exactly the expression and
// operation order Jet8's rule uses for it. A computation on Jet5 therefore
// yields the value, du, dv, duu and duv of the same computation on Jet8 bit
// for bit. That is enough for d/du to be a complete Jet3, which is all a
// tangent needs when the result's mixed derivative is not wanted. Conventions
// as for Jet8: angles in turns, parameter 0 = u, 1 = v.
#include <cmath>

#include "jets/ChainRule.h"
#include "jets/Jet3.h"

struct Jet5 {
    double value, du, dv, duu, duv;

    Jet5() = default;
    constexpr Jet5(double value, double du, double dv) : value(value), du(du), dv(dv), duu(0), duv(0) {}
    constexpr Jet5(double value, double du, double dv, double duu, double duv)
        : value(value), du(du), dv(dv), duu(duu), duv(duv)
    {
    }
};

constexpr Jet5 operator+(Jet5 f, Jet5 g)
{
    return {f.value + g.value, f.du + g.du, f.dv + g.dv, f.duu + g.duu, f.duv + g.duv};
}

constexpr Jet5 operator+(Jet5 f, double s)
{
    return {f.value + s, f.du, f.dv, f.duu, f.duv};
}

constexpr Jet5 operator*(Jet5 f, Jet5 g)
{
    return {f.value * g.value,
            f.value * g.du + f.du * g.value,
            f.value * g.dv + f.dv * g.value,
            f.value * g.duu + 2 * f.du * g.du + f.duu * g.value,
            f.value * g.duv + f.du * g.dv + f.dv * g.du + f.duv * g.value};
}

constexpr Jet5 operator*(Jet5 f, double s)
{
    return {s * f.value, s * f.du, s * f.dv, s * f.duu, s * f.duv};
}

inline Jet5 sinTurns(Jet5 f)
{
    const Jet5 t = f * radiansPerTurn;
    return applyChainRule(t, sineDerivatives(t.value));
}

inline Jet5 cosTurns(Jet5 f)
{
    const Jet5 t = f * radiansPerTurn;
    return applyChainRule(t, cosineDerivatives(t.value));
}

inline Jet5 pow(Jet5 f, double n)
{
    return applyChainRule(f, powerDerivatives(f.value, n));
}

constexpr Jet5 holdFixed(Jet5 f, int k)
{
    if (k == 0)
        return {f.value, 0, f.dv, 0, 0};
    if (k == 1)
        return {f.value, f.du, 0, f.duu, 0};
    return {f.value, 0, 0, 0, 0};
}

// d/du: (f_u, f_uu, f_uv). There is no d/dv, which would need f_vv; see
// partialAcrossHeld.
constexpr Jet3 partialAlong(Jet5 f)
{
    return {f.du, f.duu, f.duv};
}

// d/dv with v then held fixed, (f_v, f_uv, 0): the derivative across as it
// varies along u.
constexpr Jet3 partialAcrossHeld(Jet5 f)
{
    return {f.dv, f.duv, 0};
}

// Keeps (f, f_u, f_v).
constexpr Jet3 truncate(Jet5 f)
{
    return {f.value, f.du, f.dv};
}

constexpr bool operator>(Jet5 f, double s) { return f.value > s; }
constexpr bool operator<(Jet5 f, double s) { return f.value < s; }
constexpr bool operator<=(Jet5 f, double s) { return f.value <= s; }

// As Jet8's wrap: the value into [0, period], derivatives untouched.
inline void wrap(Jet5& f, double period)
{
    f.value = std::fmod(f.value, period);
    if (f.value < 0)
        f.value = f.value + period;
}
