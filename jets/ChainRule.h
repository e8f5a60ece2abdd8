#pragma once
// Composition of a one-variable function phi with an inner jet t.
//
// A jet carries plain partial derivatives in the surface parameters u and v
// (no Taylor factorials). Knowing phi and its first three derivatives at the
// value of t is enough to differentiate phi(t) up to the order the jet keeps:
// a Jet4 needs phi, phi', phi''; a Jet8 also phi'''. Angles here are in
// radians; the jets' own sinTurns/cosTurns convert from turns first.
// Pure arithmetic, no heap, no loops.
#include <cmath>

// Scale from turns (1.0 = a full turn) to radians: the double nearest 2 pi.
inline constexpr double radiansPerTurn = 6.283185307179586;

// phi and its first three derivatives, all taken at one point.
struct ChainDerivatives {
    double value, first, second, third;
};

// sin at x radians: (sin, cos, -sin, -cos). Both come from one argument so the
// compiler can fuse them into a single sincos evaluation.
inline ChainDerivatives sineDerivatives(double x)
{
    const double s = std::sin(x);
    const double c = std::cos(x);
    return {s, c, -s, -c};
}

// cos at x radians: (cos, -sin, -cos, sin).
inline ChainDerivatives cosineDerivatives(double x)
{
    const double s = std::sin(x);
    const double c = std::cos(x);
    return {c, -s, -c, s};
}

// x to the power n. The derivatives reuse the power itself,
// d/dx x^n = n x^n / x, so one pow call serves all four; where x is exactly 0
// every derivative is reported as 0 whatever n is (even n = 1 or 2, whose true
// derivatives do not vanish there), which keeps 0/0 out of the results. NaN is
// not equal to 0 and takes the division path, so it propagates.
//
// The integer exponents the surface uses (2, 3 and -1) are formed by
// multiplication instead: pow is the dearest call in the evaluation, and the
// closed forms agree with the quotient chain above to within rounding.
inline ChainDerivatives powerDerivatives(double x, double n)
{
    if (n == 2) {
        if (x == 0)
            return {x * x, 0, 0, 0};
        return {x * x, 2 * x, 2, 0};
    }
    if (n == 3) {
        const double square = x * x;
        if (x == 0)
            return {square * x, 0, 0, 0};
        return {square * x, 3 * square, 6 * x, 6};
    }
    if (n == -1) {
        // 1/x keeps the infinity of the right sign at +0 and -0, as pow does.
        const double inverse = 1 / x;
        if (x == 0)
            return {inverse, 0, 0, 0};
        const double first = -(inverse * inverse);
        const double second = -2 * first * inverse;
        return {inverse, first, second, -3 * second * inverse};
    }
    const double power = std::pow(x, n);
    if (x == 0)
        return {power, 0, 0, 0};
    const double first = n * power / x;
    const double second = (n - 1) * first / x;
    return {power, first, second, (n - 2) * second / x};
}

// e^x - 1 at x: the value without the cancellation that e^x - 1 suffers
// near 0; every derivative is e^x itself.
inline ChainDerivatives expm1Derivatives(double x)
{
    const double m = std::expm1(x);
    const double e = m + 1;
    return {m, e, e, e};
}

// phi(t) for any of the jets (Jet3, Jet4, Jet5, Jet8): each field the jet
// carries is formed by the same expression whichever jet carries it. The
// second-order terms are written phi'' t_u t_v rather than folded into one
// product so that every field is the textbook formula evaluated left to right;
// the surface reproduces reference values to the last bit only with this exact
// order.
template <class Jet>
constexpr Jet applyChainRule(const Jet& t, const ChainDerivatives& phi)
{
    Jet r;
    r.value = phi.value;
    r.du = phi.first * t.du;
    r.dv = phi.first * t.dv;
    if constexpr (requires { t.duv; })
        r.duv = phi.first * t.duv + phi.second * t.du * t.dv;
    if constexpr (requires { t.duu; })
        r.duu = phi.first * t.duu + phi.second * t.du * t.du;
    if constexpr (requires { t.dvv; }) {
        r.dvv = phi.first * t.dvv + phi.second * t.dv * t.dv;
        r.duuv = phi.first * t.duuv + phi.second * (2 * t.du * t.duv + t.dv * t.duu) +
                 phi.third * t.du * t.du * t.dv;
        r.duvv = phi.first * t.duvv + phi.second * (2 * t.dv * t.duv + t.du * t.dvv) +
                 phi.third * t.du * t.dv * t.dv;
    }
    return r;
}
