#pragma once
// Points and directions in 3D whose coordinates are jets, so that a surface
// point carries its partial derivatives in u and v coordinate by coordinate.
//
// JetVector<J> is three jets x, y, z (no fourth coordinate); Jet4Vec, Jet8Vec
// and the reduced Jet3Vec and Jet5Vec name its instances. Every operation is
// the plain vector formula on the jet arithmetic, so derivatives follow by
// themselves, and the same formula serves every jet: on a reduced jet it
// yields the kept fields of the full jet's result bit for bit. Rotation
// angles are jets in turns; both rotations turn by -2 pi theta about their
// axis (a quarter turn takes +x to -y about z and +x to +z about y).
// Subtraction is an added product with -1, in a fixed order.
#include "jets/Jet3.h"
#include "jets/Jet4.h"
#include "jets/Jet5.h"
#include "jets/Jet8.h"

// Kept an aggregate: filled field by field, as Jet4Vec{x, y, z} or as
// Jet4Vec(x, y, z).
template <class J>
struct JetVector {
    J x, y, z;
};

using Jet3Vec = JetVector<Jet3>;
using Jet4Vec = JetVector<Jet4>;
using Jet5Vec = JetVector<Jet5>;
using Jet8Vec = JetVector<Jet8>;

// (a + b)' = a' + b', per coordinate
template <class J>
constexpr JetVector<J> operator+(JetVector<J> a, JetVector<J> b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}

// (a s)' = a' s + a s', per coordinate; the vector is the left factor
template <class J>
constexpr JetVector<J> operator*(JetVector<J> a, J s)
{
    return {a.x * s, a.y * s, a.z * s};
}

// Parameter k held constant in every coordinate.
template <class J>
constexpr JetVector<J> holdFixed(JetVector<J> a, int k)
{
    return {holdFixed(a.x, k), holdFixed(a.y, k), holdFixed(a.z, k)};
}

// (a x b)' = a' x b + a x b', right-handed
template <class J>
constexpr JetVector<J> cross(JetVector<J> a, JetVector<J> b)
{
    return {a.y * b.z + (a.z * b.y) * -1, a.z * b.x + (a.x * b.z) * -1,
            a.x * b.y + (a.y * b.x) * -1};
}

// (a . b)' = a' . b + a . b'
template <class J>
constexpr J dot(JetVector<J> a, JetVector<J> b)
{
    return (a.x * b.x + a.y * b.y) + a.z * b.z;
}

// (a / |a|)' through a * (a . a)^(-1/2). The strict test sends a zero or NaN
// length to the zero vector, derivatives included, instead of dividing by 0.
// The zero vector is returned outright rather than as a * 0, which would keep
// a NaN coordinate NaN.
template <class J>
inline JetVector<J> normalize(JetVector<J> a)
{
    const J q = dot(a, a);
    if (!(q > 0))
        return {J(0, 0, 0), J(0, 0, 0), J(0, 0, 0)};
    return a * pow(q, -0.5);
}

// Rotation about z by -2 pi theta given sn = S(theta) and cs = C(theta), for
// callers that turn many points by the same angle.
template <class J>
constexpr JetVector<J> rotateZ(JetVector<J> a, J sn, J cs)
{
    return {a.x * cs + a.y * sn, a.y * cs + (a.x * sn) * -1, a.z};
}

// Rotation about z by -2 pi theta: the angle's own derivatives reach the result
// through the chain rule in sinTurns/cosTurns.
template <class J>
inline JetVector<J> rotateZ(JetVector<J> a, J theta)
{
    const J sn = sinTurns(theta);
    const J cs = cosTurns(theta);
    return rotateZ(a, sn, cs);
}

// Rotation about y by -2 pi theta.
template <class J>
inline JetVector<J> rotateY(JetVector<J> a, J theta)
{
    const J sn = sinTurns(theta);
    const J cs = cosTurns(theta);
    return {a.x * cs + (a.z * sn) * -1, a.y, a.x * sn + a.z * cs};
}

// a (1 - t) + b t, with 1 - t formed as t * -1 + 1 and b t taken first
template <class J>
constexpr JetVector<J> lerp(JetVector<J> a, JetVector<J> b, J t)
{
    const JetVector<J> p = b * t;
    const J r = (t * -1) + 1;
    return (a * r) + p;
}

// The tangent d a / d(parameter k) as a Jet4Vec with its own first and mixed
// derivatives; other k: the zero vector.
constexpr Jet4Vec partial(Jet8Vec a, int k)
{
    return {partial(a.x, k), partial(a.y, k), partial(a.z, k)};
}

// d a / du, and d a / dv with v then held fixed, coordinate by coordinate
// (see partialAlong and partialAcrossHeld on the scalar jets).
template <class J>
constexpr auto partialAlong(JetVector<J> a)
{
    return JetVector<decltype(partialAlong(a.x))>{partialAlong(a.x), partialAlong(a.y), partialAlong(a.z)};
}
template <class J>
constexpr auto partialAcrossHeld(JetVector<J> a)
{
    return JetVector<decltype(partialAcrossHeld(a.x))>{partialAcrossHeld(a.x), partialAcrossHeld(a.y),
                                                       partialAcrossHeld(a.z)};
}

// Truncation to (value, du, dv, duv) per coordinate.
constexpr Jet4Vec toJet4Vec(Jet8Vec a)
{
    return {toJet4(a.x), toJet4(a.y), toJet4(a.z)};
}

// The next smaller jet per coordinate: Jet8 to Jet4, Jet5 or Jet4 to Jet3.
template <class J>
constexpr auto truncate(JetVector<J> a)
{
    return JetVector<decltype(truncate(a.x))>{truncate(a.x), truncate(a.y), truncate(a.z)};
}
