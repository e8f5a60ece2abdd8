#pragma once
// Points and directions in 3D whose coordinates are jets, so that a surface
// point carries its partial derivatives in u and v coordinate by coordinate.
//
// Jet4Vec and Jet8Vec are three jets x, y, z (no fourth coordinate). Every
// operation is the plain vector formula on the jet arithmetic, so derivatives
// follow by themselves. Rotation angles are jets in turns; both rotations turn
// by -2 pi theta about their axis (a quarter turn takes +x to -y about z and
// +x to +z about y). Subtraction is an added product with -1, in a fixed order.
#include "jets/Jet4.h"
#include "jets/Jet8.h"

struct Jet4Vec {
    Jet4 x, y, z;

    Jet4Vec() = default;
    constexpr Jet4Vec(Jet4 x, Jet4 y, Jet4 z) : x(x), y(y), z(z) {}
};

// Kept an aggregate: filled field by field or as Jet8Vec{x, y, z}.
struct Jet8Vec {
    Jet8 x, y, z;
};

// (a + b)' = a' + b', per coordinate
constexpr Jet4Vec operator+(Jet4Vec a, Jet4Vec b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
constexpr Jet8Vec operator+(Jet8Vec a, Jet8Vec b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}

// (a s)' = a' s + a s', per coordinate; the vector is the left factor
constexpr Jet4Vec operator*(Jet4Vec a, Jet4 s)
{
    return {a.x * s, a.y * s, a.z * s};
}
constexpr Jet8Vec operator*(Jet8Vec a, Jet8 s)
{
    return {a.x * s, a.y * s, a.z * s};
}

// Parameter k held constant in every coordinate.
constexpr Jet4Vec holdFixed(Jet4Vec a, int k)
{
    return {holdFixed(a.x, k), holdFixed(a.y, k), holdFixed(a.z, k)};
}
constexpr Jet8Vec holdFixed(Jet8Vec a, int k)
{
    return {holdFixed(a.x, k), holdFixed(a.y, k), holdFixed(a.z, k)};
}

// (a x b)' = a' x b + a x b', right-handed
constexpr Jet4Vec cross(Jet4Vec a, Jet4Vec b)
{
    return {a.y * b.z + (a.z * b.y) * -1, a.z * b.x + (a.x * b.z) * -1,
            a.x * b.y + (a.y * b.x) * -1};
}

// (a . b)' = a' . b + a . b'
constexpr Jet4 dot(Jet4Vec a, Jet4Vec b)
{
    return (a.x * b.x + a.y * b.y) + a.z * b.z;
}

// (a / |a|)' through a * (a . a)^(-1/2). The strict test sends a zero or NaN
// length to the zero vector, derivatives included, instead of dividing by 0.
// The zero vector is returned outright rather than as a * 0, which would keep
// a NaN coordinate NaN.
inline Jet4Vec normalize(Jet4Vec a)
{
    const Jet4 q = dot(a, a);
    if (!(q > 0))
        return {Jet4(0, 0, 0, 0), Jet4(0, 0, 0, 0), Jet4(0, 0, 0, 0)};
    return a * pow(q, -0.5);
}

// Rotation about z by -2 pi theta given sn = S(theta) and cs = C(theta), for
// callers that turn many points by the same angle.
constexpr Jet4Vec rotateZ(Jet4Vec a, Jet4 sn, Jet4 cs)
{
    return {a.x * cs + a.y * sn, a.y * cs + (a.x * sn) * -1, a.z};
}

// Rotation about z by -2 pi theta: the angle's own derivatives reach the result
// through the chain rule in sinTurns/cosTurns.
inline Jet4Vec rotateZ(Jet4Vec a, Jet4 theta)
{
    return rotateZ(a, sinTurns(theta), cosTurns(theta));
}
inline Jet8Vec rotateZ(Jet8Vec a, Jet8 theta)
{
    const Jet8 sn = sinTurns(theta);
    const Jet8 cs = cosTurns(theta);
    return {a.x * cs + a.y * sn, a.y * cs + (a.x * sn) * -1, a.z};
}

// Rotation about y by -2 pi theta.
inline Jet8Vec rotateY(Jet8Vec a, Jet8 theta)
{
    const Jet8 sn = sinTurns(theta);
    const Jet8 cs = cosTurns(theta);
    return {a.x * cs + (a.z * sn) * -1, a.y, a.x * sn + a.z * cs};
}

// a (1 - t) + b t, with 1 - t formed as t * -1 + 1 and b t taken first
constexpr Jet8Vec lerp(Jet8Vec a, Jet8Vec b, Jet8 t)
{
    const Jet8Vec p = b * t;
    const Jet8 r = (t * -1) + 1;
    return (a * r) + p;
}

// The tangent d a / d(parameter k) as a Jet4Vec with its own first and mixed
// derivatives; other k: the zero vector.
constexpr Jet4Vec partial(Jet8Vec a, int k)
{
    return {partial(a.x, k), partial(a.y, k), partial(a.z, k)};
}

// Truncation to (value, du, dv, duv) per coordinate.
constexpr Jet4Vec toJet4Vec(Jet8Vec a)
{
    return {toJet4(a.x), toJet4(a.y), toJet4(a.z)};
}
