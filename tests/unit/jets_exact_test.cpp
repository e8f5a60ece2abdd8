// Hand-computed values of the jet algebra: products, the chain rule at known
// points, the pow zero rule, field selection, wrapping, and the vector forms.
#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <type_traits>

#include <gtest/gtest.h>

#include "jets/Jets.h"

// Field order is a contract: truncation and the sampler read fields by position.
static_assert(sizeof(Jet4) == 4 * sizeof(double) && offsetof(Jet4, du) == 8 &&
              offsetof(Jet4, dv) == 16 && offsetof(Jet4, duv) == 24);
static_assert(sizeof(Jet8) == 8 * sizeof(double) && offsetof(Jet8, duu) == 24 &&
              offsetof(Jet8, duv) == 32 && offsetof(Jet8, dvv) == 40 &&
              offsetof(Jet8, duuv) == 48 && offsetof(Jet8, duvv) == 56);
static_assert(sizeof(Jet4Vec) == 3 * sizeof(Jet4) && offsetof(Jet4Vec, z) == 64);
static_assert(sizeof(Jet8Vec) == 3 * sizeof(Jet8) && offsetof(Jet8Vec, z) == 128);
static_assert(std::is_trivially_default_constructible_v<Jet4> &&
              std::is_trivially_default_constructible_v<Jet8Vec> && std::is_aggregate_v<Jet8Vec>);

namespace {

// Results that pass through sin, cos, pow or 2 pi are exact only up to a few
// roundings, relative to the larger of 1 and the field (measured: below 1e-15).
constexpr double roundingTolerance = 1e-13;
// Undoing a rotation cancels intermediate third derivatives of a few hundred
// ((2 pi)^3 times the angle's derivatives), so rounding of that size remains
// even where the restored field is 0: measured 1.1e-13.
constexpr double inverseTolerance = 1e-11;
constexpr double pi = 3.141592653589793;

template <class Jet>
void expectJet(Jet actual, std::array<double, sizeof(Jet) / 8> expected, double tolerance = 0)
{
    const auto fields = std::bit_cast<decltype(expected)>(actual);
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (fields[i] != expected[i]) { // equal infinities pass here
            EXPECT_NEAR(fields[i], expected[i], tolerance * std::max(1.0, std::abs(expected[i])))
                << "field " << i;
        }
}

} // namespace

TEST(Jet4Exact, ArithmeticAndChainRule)
{
    const Jet4 f(1, 2, 3, 4);
    expectJet(f * Jet4(5, 6, 7, 8), {5, 16, 22, 60});
    expectJet(f + 10, {11, 2, 3, 4});
    expectJet(f * 10, {10, 20, 30, 40});
    expectJet(cosTurns(Jet4(0, 1, 1)), {1, 0, 0, -4 * pi * pi}, roundingTolerance);
    expectJet(sinTurns(Jet4(0, 1, 1)), {0, 2 * pi, 2 * pi, 0}, roundingTolerance);
    expectJet(pow(Jet4(4, 1, 0), 0.5), {2, 0.25, 0, 0});
    // An exact zero drops every derivative, though the true (f^2)_uv = 2 f_u f_v = 2 here.
    expectJet(pow(Jet4(0, 1, 1), 2), {0, 0, 0, 0});
    expectJet(pow(Jet4(0, 1, 1), 1.5), {0, 0, 0, 0});
    expectJet(holdFixed(f, 0), {1, 0, 3, 0});
    expectJet(holdFixed(f, 1), {1, 2, 0, 0});
    expectJet(holdFixed(f, 2), {1, 0, 0, 0});
    expectJet(lerp(Jet4(0, 0, 0), Jet4(1, 0, 0), Jet4(0.5, 1, 0)), {0.5, 1, 0, 0});
    expectJet(lerp(f, Jet4(5, 6, 7, 8), Jet4(1, 0, 0)), {5, 6, 7, 8});
    expectJet(lerp(f, Jet4(5, 6, 7, 8), Jet4(0, 0, 0)), {1, 2, 3, 4});
    EXPECT_TRUE(!(Jet4(0, 5, 5, 5) > 0) && Jet4(0, 5, 5, 5) <= 0 && !(Jet4(0, 5, 5, 5) < 0));
    EXPECT_TRUE(getDu(f) == 2 && getDv(f) == 3);
}

TEST(JetExact, WrapMovesOnlyTheValue)
{
    const std::array<std::array<double, 2>, 5> cases{
        {{-0.25, 0.75}, {1.0, 0.0}, {2.5, 0.5}, {-1e-20, 1.0}, {-7.0, 0.0}}};
    for (const auto& [before, after] : cases) {
        Jet4 f(before, 2, 3, 4);
        wrap(f, 1);
        expectJet(f, {after, 2, 3, 4});
    }
    Jet8 g(-1, 2, 3, 4, 5, 6, 7, 8);
    wrap(g, 4);
    expectJet(g, {3, 2, 3, 4, 5, 6, 7, 8});
}

TEST(Jet8Exact, ArithmeticAndFieldSelection)
{
    const Jet8 u(1, 1, 0), v(1, 0, 1);
    const Jet8 uuv = u * u * v; // u^2 v at (1, 1)
    expectJet(uuv, {1, 2, 1, 2, 2, 0, 2, 0});
    expectJet(partial(uuv, 0), {2, 2, 2, 2});
    expectJet(partial(uuv, 1), {1, 2, 0, 0});
    expectJet(partial(uuv, 2), {0, 0, 0, 0});
    expectJet(toJet4(uuv), {1, 2, 1, 2});
    expectJet(pow(Jet8(2, 1, 0), 3), {8, 12, 0, 12, 0, 0, 0, 0});
    expectJet(pow(Jet8(0, 1, 0), 2), {0, 0, 0, 0, 0, 0, 0, 0});
    expectJet(pow(Jet8(0, 1, 1), -1), {INFINITY, 0, 0, 0, 0, 0, 0, 0});
    const double p2 = 4 * pi * pi, p3 = 8 * pi * pi * pi;
    expectJet(sinTurns(Jet8(0, 1, 1)), {0, 2 * pi, 2 * pi, 0, 0, 0, -p3, -p3}, roundingTolerance);
    expectJet(cosTurns(Jet8(0, 1, 1)), {1, 0, 0, -p2, -p2, -p2, 0, 0}, roundingTolerance);
    const Jet8 f(1, 2, 3, 4, 5, 6, 7, 8);
    expectJet(holdFixed(f, 0), {1, 0, 3, 0, 0, 6, 0, 0});
    expectJet(holdFixed(f, 1), {1, 2, 0, 4, 0, 0, 0, 0});
    expectJet(holdFixed(f, -1), {1, 0, 0, 0, 0, 0, 0, 0});
    expectJet(f * 2 + f + 1, {4, 6, 9, 12, 15, 18, 21, 24});
    EXPECT_TRUE(f > 0.5 && f < 1.5 && f <= 1 && !(Jet8(NAN, 0, 0) <= 1));
}

TEST(JetVecExact, CrossNormalizeRotate)
{
    const Jet4 zero(0, 0, 0), one(1, 0, 0);
    const Jet4Vec c = cross(Jet4Vec{one, zero, zero}, Jet4Vec{zero, one, zero});
    expectJet(c.x, {0, 0, 0, 0});
    expectJet(c.y, {0, 0, 0, 0});
    expectJet(c.z, {1, 0, 0, 0});
    const Jet4Vec n = normalize(Jet4Vec{Jet4(3, 1, 0), Jet4(4, 0, 0), zero});
    expectJet(n.x, {0.6, 0.128, 0, 0}, roundingTolerance);
    expectJet(n.y, {0.8, -0.096, 0, 0}, roundingTolerance);
    expectJet(n.z, {0, 0, 0, 0});
    // A zero or NaN length squared gives the zero vector rather than a division.
    for (const Jet4Vec& nz : {normalize(Jet4Vec{zero, zero, zero}), normalize(Jet4Vec{Jet4(NAN, 1, 0), one, one})})
        for (const Jet4& f : {nz.x, nz.y, nz.z})
            expectJet(f, {0, 0, 0, 0});
    const Jet4Vec r4 = rotateZ(Jet4Vec(one, zero, zero), Jet4(0, 1, 0));
    expectJet(r4.x, {1, 0, 0, 0});
    expectJet(r4.y, {0, -2 * pi, 0, 0}, roundingTolerance);
    const Jet8 one8(1, 0, 0), zero8(0, 0, 0), quarter(0.25, 0, 0);
    const Jet8Vec z8 = rotateZ(Jet8Vec{one8, zero8, zero8}, quarter);
    const Jet8Vec y8 = rotateY(Jet8Vec{one8, zero8, zero8}, quarter);
    const Jet4Vec z4 = rotateZ(Jet4Vec(one, zero, zero), toJet4(quarter));
    for (const Jet4Vec& r : {toJet4Vec(z8), z4}) {
        expectJet(r.x, {0, 0, 0, 0}, roundingTolerance);
        expectJet(r.y, {-1, 0, 0, 0}, roundingTolerance);
    }
    expectJet(y8.x, {0, 0, 0, 0, 0, 0, 0, 0}, roundingTolerance);
    expectJet(y8.z, {1, 0, 0, 0, 0, 0, 0, 0}, roundingTolerance);
    const Jet8Vec a{Jet8(1, 2, 3, 4, 5, 6, 7, 8), one8, zero8}, b{zero8, one8, quarter};
    expectJet(toJet4Vec(a).x, {1, 2, 3, 5});
    expectJet(partial(a, 1).x, {3, 5, 6, 8});
    expectJet(lerp(a, b, zero8).x, {1, 2, 3, 4, 5, 6, 7, 8});
    expectJet(lerp(a, b, one8).z, {0.25, 0, 0, 0, 0, 0, 0, 0});
}

// Turning back by the negated angle restores every field, derivatives included.
TEST(JetVecExact, RotationsUndoneByTheOppositeAngle)
{
    const Jet8 u(0.3, 1, 0), v(-0.6, 0, 1);
    const Jet8Vec a{u * v, sinTurns(u) + v, pow(u + 2, 3)};
    const Jet8 theta = u * v + u * 0.4;
    for (const Jet8Vec& back : {rotateZ(rotateZ(a, theta), theta * -1),
                                rotateY(rotateY(a, theta), theta * -1)})
        for (const auto& [got, want] : {std::array{back.x, a.x}, {back.y, a.y}, {back.z, a.z}})
            expectJet(got, std::bit_cast<std::array<double, 8>>(want), inverseTolerance);
}
