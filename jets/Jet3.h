#pragma once
// Jet3: a function of (u, v) carried as its value and first partial
// derivatives only, in that order: the fields of a Jet4 less the mixed one.
//
// Every rule computes each field with exactly the expression and operation
// order Jet4's rule uses for it, so a computation carried out on Jet3 yields
// the value, du and dv of the same computation on Jet4 bit for bit, at less
// cost where the mixed derivative is not wanted. Conventions as for Jet4:
// angles in turns, parameter 0 = u, 1 = v, no subtraction or division.
#include <cmath>

#include "jets/ChainRule.h"

struct Jet3 {
    double value, du, dv;

    Jet3() = default;
    constexpr Jet3(double value, double du, double dv) : value(value), du(du), dv(dv) {}
};

constexpr Jet3 operator+(Jet3 f, Jet3 g)
{
    return {f.value + g.value, f.du + g.du, f.dv + g.dv};
}

constexpr Jet3 operator+(Jet3 f, double s)
{
    return {f.value + s, f.du, f.dv};
}

constexpr Jet3 operator*(Jet3 f, Jet3 g)
{
    return {f.value * g.value, f.value * g.du + f.du * g.value, f.value * g.dv + f.dv * g.value};
}

constexpr Jet3 operator*(Jet3 f, double s)
{
    return {s * f.value, s * f.du, s * f.dv};
}

inline Jet3 sinTurns(Jet3 f)
{
    const Jet3 t = f * radiansPerTurn;
    return applyChainRule(t, sineDerivatives(t.value));
}

inline Jet3 cosTurns(Jet3 f)
{
    const Jet3 t = f * radiansPerTurn;
    return applyChainRule(t, cosineDerivatives(t.value));
}

inline Jet3 pow(Jet3 f, double n)
{
    return applyChainRule(f, powerDerivatives(f.value, n));
}

constexpr Jet3 holdFixed(Jet3 f, int k)
{
    if (k == 0)
        return {f.value, 0, f.dv};
    if (k == 1)
        return {f.value, f.du, 0};
    return {f.value, 0, 0};
}

constexpr bool operator>(Jet3 f, double s) { return f.value > s; }
constexpr bool operator<(Jet3 f, double s) { return f.value < s; }
constexpr bool operator<=(Jet3 f, double s) { return f.value <= s; }

// As Jet4's wrap: the value into [0, period], derivatives untouched.
inline void wrap(Jet3& f, double period)
{
    f.value = std::fmod(f.value, period);
    if (f.value < 0)
        f.value = f.value + period;
}
