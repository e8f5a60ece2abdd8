// Derivatives carried by the jets against central differences of the value,
// over random compositions of the operations (fixed seeds, so failures replay).
#include <array>
#include <bit>
#include <cmath>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "jets/Jets.h"

namespace {

// Richardson-extrapolated differences err by about h^4 times a derivative
// three orders higher, plus about 4 eps |f| / h^order of rounding, so the step
// grows with the order. Over 5000 of these programs the worst relative error
// measured was 1.3e-8 (third order); a wrong coefficient moves a field by a
// whole term, typically of the order of the field itself.
constexpr double differenceTolerance = 1e-6;
constexpr double steps[] = {0, 1e-3, 4e-3, 1e-2}; // by total order
// Hand-derived against automatic derivatives, and closed-form integer powers
// against the quotient chain, differ only in where a few roundings fall:
// measured up to 2e-15 relative.
constexpr double roundingTolerance = 1e-14;

template <class Jet>
std::array<double, sizeof(Jet) / 8> fieldsOf(Jet f) { return std::bit_cast<std::array<double, sizeof(Jet) / 8>>(f); }

// One step of a random program: an operation on two earlier registers with two constants.
struct Step {
    int op, a, b;
    double c, d;
};
using Program = std::vector<Step>;
constexpr int sharedOps = 7, allOps = 9; // ops 0..6 exist for both orders; 7 and 8 differ
constexpr double exponents[] = {2, 3, -1, -0.5, 0.5, 1.7, -2.3};

Program randomProgram(std::mt19937& rng, int ops, int length)
{
    std::uniform_real_distribution<double> constant(-1, 1);
    Program program;
    for (int i = 0; i < length; ++i) {
        std::uniform_int_distribution<int> reg(0, i + 1), op(0, ops - 1);
        program.push_back({op(rng), reg(rng), reg(rng), constant(rng), constant(rng)});
    }
    return program;
}

// Mixes the three coordinates into one scalar, scaled to stay within [-1, 1].
template <class J, class V>
J weighted(V w, const Step& s) { return (w.x * s.c + w.y * s.d + w.z * 0.5) * 0.4; }

// Registers start as u and v. Every operation maps values in [-2, 2] back into
// [-2, 2] and no angle turns faster than a quarter turn per unit, so values and
// derivatives stay moderate however the steps nest, and finite differences
// stay well conditioned.
template <class J>
J evaluate(const Program& program, J u, J v)
{
    using V = std::conditional_t<std::is_same_v<J, Jet4>, Jet4Vec, Jet8Vec>;
    std::vector<J> r{u, v};
    for (const Step& s : program) {
        const J a = r[s.a], b = r[s.b];
        const V p{a * 0.5, b * 0.5, a * a * 0.125 + 0.5}, q{b * 0.5, a * (s.d * 0.5), a * 0.25 + 0.5};
        switch (s.op) {
        case 0: r.push_back(a * b * 0.5); break;
        case 1: r.push_back((a + b * s.c) * 0.5 + s.d); break;
        case 2: r.push_back(sinTurns(a * (s.c * 0.125) + s.d)); break;
        case 3: r.push_back(cosTurns(a * (s.c * 0.125) + b * (s.d * 0.125)) * 2); break;
        case 4: {
            const J base = a * a * 0.1 + (1 + s.c * 0.3); // in [0.7, 1.7]
            r.push_back(pow(base, exponents[int(std::abs(s.d) * 7)]) * 0.4);
            break;
        }
        case 5: r.push_back(weighted<J>(rotateZ(p + q, a * (s.d * 0.125)), s)); break;
        case 6:
            if constexpr (std::is_same_v<J, Jet4>) r.push_back(lerp(a, b, a * (s.c * 0.25)) * 0.5);
            else r.push_back(lerp(p, q, a * (s.c * 0.25)).x); // p.x, q.x: a / 2, b / 2
            break;
        case 7: // |p| >= 0.5, so normalize stays away from its singular point
            if constexpr (std::is_same_v<J, Jet4>) r.push_back(weighted<J>(normalize(p), s) * 4);
            else r.push_back(weighted<J>(rotateY(p, b * (s.c * 0.125)), s) * 2);
            break;
        default:
            if constexpr (std::is_same_v<J, Jet4>) r.push_back(weighted<J>(cross(p, q), s) + dot(p, q) * 0.5);
            else r.push_back(weighted<J>(p * a + q, s));
        }
    }
    return r.back();
}

// Derivative of order (i, j) in (u, v) of the program's value, by a product of
// central stencils, extrapolated to remove the h^2 error term.
template <class J>
double difference(const Program& program, double u, double v, int i, int j)
{
    constexpr double weights[3][3] = {{0, 1, 0}, {-0.5, 0, 0.5}, {1, -2, 1}};
    auto at = [&](double h) {
        double sum = 0;
        for (int a = 0; a < 3; ++a)
            for (int b = 0; b < 3; ++b)
                if (weights[i][a] * weights[j][b] != 0)
                    sum += weights[i][a] * weights[j][b] *
                           evaluate(program, J(u + (a - 1) * h, 1, 0), J(v + (b - 1) * h, 0, 1)).value;
        return sum / std::pow(h, i + j);
    };
    const double step = steps[i + j];
    return (4 * at(step / 2) - at(step)) / 3;
}

template <class J>
void expectMatchesDifferences(int ops, unsigned seed)
{
    // Order (i, j) of each field of J in memory order, value first.
    constexpr std::array<std::array<int, 2>, 8> orders{
        {{0, 0}, {1, 0}, {0, 1}, {2, 0}, {1, 1}, {0, 2}, {2, 1}, {1, 2}}};
    constexpr std::array<int, 4> jet4Fields{0, 1, 2, 4};
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> point(-0.8, 0.8);
    for (int trial = 0; trial < 200; ++trial) {
        const Program program = randomProgram(rng, ops, 8);
        const double u = point(rng), v = point(rng);
        const auto fields = fieldsOf(evaluate(program, J(u, 1, 0), J(v, 0, 1)));
        for (std::size_t f = 1; f < fields.size(); ++f) {
            const auto [i, j] = orders[fields.size() == 4 ? jet4Fields[f] : f];
            const double expected = difference<J>(program, u, v, i, j);
            EXPECT_NEAR(fields[f], expected, differenceTolerance * (1 + std::abs(expected)))
                << "trial " << trial << " field " << f;
        }
    }
}

} // namespace

TEST(JetDerivatives, Jet8MatchesDifferences) { expectMatchesDifferences<Jet8>(allOps, 8); }
TEST(JetDerivatives, Jet4MatchesDifferences) { expectMatchesDifferences<Jet4>(allOps, 4); }

// Jet4 is Jet8 with the pure second and third derivatives dropped, rule for
// rule and in the same order, so truncating at the end changes no bit.
TEST(JetDerivatives, TruncationCommutesWithTheOperations)
{
    std::mt19937 rng(48);
    for (int trial = 0; trial < 200; ++trial) {
        const Program program = randomProgram(rng, sharedOps, 8);
        EXPECT_EQ(fieldsOf(toJet4(evaluate(program, Jet8(0.3, 1, 0), Jet8(-0.2, 0, 1)))),
                  fieldsOf(evaluate(program, Jet4(0.3, 1, 0), Jet4(-0.2, 0, 1))));
    }
}

// f = sin(2 pi u v) + u^3 v, so f_u = 2 pi v cos(2 pi u v) + 3 u^2 v and
// f_v = 2 pi u cos(2 pi u v) + u^3, written out as Jet4 expressions.
TEST(JetDerivatives, PartialIsTheHandDerivative)
{
    for (const auto& [a, b] : {std::array{0.3, -0.7}, std::array{1.4, 0.25}}) {
        const Jet8 u(a, 1, 0), v(b, 0, 1);
        const Jet4 u4(a, 1, 0), v4(b, 0, 1);
        const Jet8 f = sinTurns(u * v) + pow(u, 3) * v;
        const Jet4 fu = cosTurns(u4 * v4) * v4 * 6.283185307179586 + pow(u4, 2) * v4 * 3;
        const Jet4 fv = cosTurns(u4 * v4) * u4 * 6.283185307179586 + pow(u4, 3);
        for (const auto& [automatic, hand] : {std::array{partial(f, 0), fu}, {partial(f, 1), fv}})
            for (int k = 0; k < 4; ++k)
                EXPECT_NEAR(fieldsOf(automatic)[k], fieldsOf(hand)[k],
                            roundingTolerance * (1 + std::abs(fieldsOf(hand)[k])));
    }
}

// The multiplied-out integer powers agree with n x^n / x, (n - 1) d1 / x, ...
TEST(JetDerivatives, IntegerPowersMatchTheQuotientChain)
{
    for (double n : {2.0, 3.0, -1.0})
        for (double x : {-3.7, -1e-3, 0.2, 1.0, 5e4}) {
            const auto fast = std::bit_cast<std::array<double, 4>>(powerDerivatives(x, n));
            const double p = std::pow(x, n), d1 = n * p / x, d2 = (n - 1) * d1 / x;
            const double literal[] = {p, d1, d2, (n - 2) * d2 / x};
            for (int k = 0; k < 4; ++k)
                EXPECT_NEAR(fast[k], literal[k], roundingTolerance * std::abs(literal[k]))
                    << "n " << n << " x " << x << " order " << k;
        }
}
