// The ruled-surface eversion: its two ends, the joins of its seven steps, its
// symmetry, the carried derivatives, that it stays an immersion, and the
// sampled grid against the per-point evaluation.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "eversion/RuledSurface.h"
#include "eversion/SurfaceSampler.h"

namespace {
// The maps are a few dozen operations on values of order 1 to 10: rounding
// leaves them within a few 1e-15 (measured 4e-15); 1e-12 is the bar.
constexpr double identityTolerance = 1e-12;
// Central differences with step 1e-6 turns: truncation h^2/6 f''' plus
// rounding 1e-16 / h, measured below 5e-9 relative.
constexpr double differenceStep = 1e-6;
constexpr double differenceTolerance = 1e-7;
constexpr double radiansPerTurnValue = 6.283185307179586;

struct Sample {
    double theta, phi;  // turns
};

// A grid of origins strictly between the poles.
std::vector<Sample> samples(int rows, int columns)
{
    std::vector<Sample> out;
    for (int i = 1; i < rows - 1; ++i)
        for (int j = 0; j < columns; ++j)
            out.push_back({-0.25 + 0.5 * i / (rows - 1), static_cast<double>(j) / (columns - 1) - 0.5});
    return out;
}

Jet4Vec at(const RuledFrame& f, const Sample& s)
{
    return ruledPoint(f, Jet4(s.theta, 1, 0), Jet4(s.phi, 0, 1));
}

double distance(const Jet4Vec& a, const double b[3])
{
    return std::hypot(a.x.value - b[0], a.y.value - b[1], a.z.value - b[2]);
}
}

TEST(Ruled, StartsOnTheSphereAndEndsOnItsAntipodes)
{
    for (int n = minLobes; n <= maxLobes; ++n)
        for (const double t : {0.0, 1.0}) {
            const RuledFrame f = ruledFrame(t, n);
            const double sign = t == 0 ? 1 : -1;
            for (const Sample& s : samples(41, 41)) {
                const double lat = s.theta * radiansPerTurnValue, lon = s.phi * radiansPerTurnValue;
                const double sphere[3] = {sign * std::cos(lat) * std::cos(lon), sign * std::cos(lat) * std::sin(lon),
                                          sign * std::sin(lat)};
                ASSERT_LT(distance(at(f, s), sphere), identityTolerance) << "n " << n << " t " << t;
            }
            EXPECT_NEAR(ruledPoleHeight(f, true), sign, identityTolerance);
            EXPECT_NEAR(ruledPoleHeight(f, false), -sign, identityTolerance);
        }
}

TEST(Ruled, EachStepEndsWhereTheNextBegins)
{
    for (int n = minLobes; n <= maxLobes; ++n)
        for (int step = 1; step < 7; ++step) {
            const RuledFrame end = ruledStepFrame(step, 1, n), start = ruledStepFrame(step + 1, 0, n);
            for (const Sample& s : samples(31, 31)) {
                const Jet4Vec b = at(start, s);
                const double p[3] = {b.x.value, b.y.value, b.z.value};
                ASSERT_LT(distance(at(end, s), p), identityTolerance) << "n " << n << " step " << step;
            }
            for (const bool north : {true, false})
                EXPECT_NEAR(ruledPoleHeight(end, north), ruledPoleHeight(start, north), identityTolerance);
        }
    // The viewer's time reaches every step at its ends, with the motion eased.
    EXPECT_EQ(ruledFrame(0, 2).step, 7);
    EXPECT_EQ(ruledFrame(0.5, 2).step, 4);
    EXPECT_DOUBLE_EQ(ruledFrame(0.5, 2).fraction, 0.5);
    EXPECT_EQ(ruledFrame(1, 2).step, 1);
}

TEST(Ruled, TurnsByOneLobeUnderAShiftOfOneLobe)
{
    for (int n = minLobes; n <= maxLobes; ++n)
        for (const double t : {0.03, 0.2, 0.37, 0.5, 0.66, 0.8, 0.97}) {
            const RuledFrame f = ruledFrame(t, n);
            const double c = std::cos(radiansPerTurnValue / n), s = std::sin(radiansPerTurnValue / n);
            for (const Sample& x : samples(21, 21)) {
                const Jet4Vec a = at(f, x);
                const double turned[3] = {c * a.x.value - s * a.y.value, s * a.x.value + c * a.y.value, a.z.value};
                ASSERT_LT(distance(at(f, {x.theta, x.phi + 1.0 / n}), turned), identityTolerance)
                    << "n " << n << " t " << t;
            }
        }
}

TEST(Ruled, DerivativesAgreeWithDifferences)
{
    for (int n = minLobes; n <= maxLobes; ++n)
        for (int step = 1; step <= 7; ++step)
            for (const double fraction : {0.0, 0.3, 0.85}) {
                const RuledFrame f = ruledStepFrame(step, fraction, n);
                for (const Sample& x : samples(9, 9)) {
                    const Jet4Vec p = at(f, x);
                    const double h = differenceStep;
                    const Jet4Vec up = at(f, {x.theta + h, x.phi}), down = at(f, {x.theta - h, x.phi});
                    const Jet4Vec east = at(f, {x.theta, x.phi + h}), west = at(f, {x.theta, x.phi - h});
                    const Jet4 Jet4Vec::*coordinates[] = {&Jet4Vec::x, &Jet4Vec::y, &Jet4Vec::z};
                    for (const auto c : coordinates) {
                        const double du = ((up.*c).value - (down.*c).value) / (2 * h);
                        const double dv = ((east.*c).value - (west.*c).value) / (2 * h);
                        const double scale = 1 + std::fabs((p.*c).du) + std::fabs((p.*c).dv);
                        ASSERT_NEAR((p.*c).du, du, differenceTolerance * scale) << "n " << n << " step " << step;
                        ASSERT_NEAR((p.*c).dv, dv, differenceTolerance * scale) << "n " << n << " step " << step;
                    }
                }
            }
}

// The tangents never become parallel: the surface stays an immersion at every
// time. The margin printed is the least sine of the angle between them.
TEST(Ruled, StaysAnImmersion)
{
    for (int n = minLobes; n <= maxLobes; ++n) {
        double leastSine = 1, leastArea = INFINITY;
        for (int k = 0; k < 57; ++k) {
            const RuledFrame f = ruledFrame(k / 56.0, n);
            for (const Sample& x : samples(97, 193)) {
                const Jet4Vec p = at(f, x);
                const double a[3] = {p.x.du, p.y.du, p.z.du}, b[3] = {p.x.dv, p.y.dv, p.z.dv};
                const double cross = std::hypot(a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                                                a[0] * b[1] - a[1] * b[0]);
                leastArea = std::fmin(leastArea, cross);
                leastSine = std::fmin(leastSine, cross / (std::hypot(a[0], a[1], a[2]) * std::hypot(b[0], b[1], b[2])));
            }
        }
        // Per radian squared, as the tangents by latitude and longitude in radians.
        std::printf("ruled, %d lobes: least |P_theta x P_phi| %.3g, least sine %.3g\n", n,
                    leastArea / (radiansPerTurnValue * radiansPerTurnValue), leastSine);
        EXPECT_GT(leastSine, 0) << "n " << n;
    }
}

// The grid sampler splits each point into its row and column parts: it must
// give the per-point evaluation bit for bit, and poles at their limits.
TEST(Ruled, SampledGridIsThePerPointSurface)
{
    constexpr int rows = 7, columns = 5;
    for (int n = minLobes; n <= maxLobes; ++n)
        for (const double t : {0.1, 0.5, 0.9}) {
            const RuledFrame f = ruledFrame(t, n);
            std::vector<SurfaceVertex> cells(2 * (rows + 1) * (columns + 1));
            std::vector<SurfaceVertex*> table;
            for (int r = 0; r < 2 * (rows + 1); ++r)
                table.push_back(&cells[static_cast<size_t>(r) * (columns + 1)]);
            sampleRuledRows(f, rows, columns, 0.5, table.data());
            for (int block = 0; block < 2; ++block)
                for (int i = 0; i <= rows; ++i)
                    for (int j = 0; j <= columns; ++j) {
                        const SurfaceVertex& got = table[block * (rows + 1) + i][j];
                        SurfaceVertex want;
                        if (i == 0) {
                            want = {{0, 0, static_cast<float>(ruledPoleHeight(f, block == 0))},
                                    {0, 0, block == 0 ? 1.0f : -1.0f}};
                        } else {
                            makeSurfaceVertex(ruledPoint(f, ruledBlockLatitude(block, i * (1.0 / rows)),
                                                         ruledBlockLongitude(block, j * (0.5 / columns), n)),
                                              want);
                        }
                        for (int c = 0; c < 3; ++c) {
                            ASSERT_EQ(got.position[c], want.position[c]);
                            ASSERT_EQ(got.normal[c], want.normal[c]);
                        }
                    }
        }
}

// The pole's limit: the point and normal that the rows next to it approach.
TEST(Ruled, PoleIsTheLimitOfItsNeighbours)
{
    // At u = 1e-4 the surface is within about 1e-4 of its pole sideways and
    // (1e-4)^2 in height, and the normal within the same angle.
    constexpr double nearPoleTolerance = 1e-3;
    for (int n = minLobes; n <= maxLobes; ++n)
        for (int k = 0; k <= 56; ++k) {
            const RuledFrame f = ruledFrame(k / 56.0, n);
            for (int block = 0; block < 2; ++block)
                for (const double v : {0.0, 0.3, 0.7}) {
                    SurfaceVertex near;
                    makeSurfaceVertex(
                        ruledPoint(f, ruledBlockLatitude(block, 1e-4), ruledBlockLongitude(block, v, n)), near);
                    const double side = block == 0 ? 1 : -1;
                    EXPECT_NEAR(near.normal[2], side, nearPoleTolerance) << "n " << n << " t " << k / 56.0;
                    EXPECT_NEAR(near.position[2], ruledPoleHeight(f, block == 0), nearPoleTolerance);
                    EXPECT_NEAR(std::hypot(near.position[0], near.position[1]), 0, nearPoleTolerance);
                }
        }
}
