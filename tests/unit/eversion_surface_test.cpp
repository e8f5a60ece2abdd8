// The eversion surface: the schedule and its reference points, continuity
// between stages, closure of the strips and hemispheres as the application
// draws them, the carried derivatives, the first-order stages against the
// full ones, and the shaping functions.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "eversion/Corrugation.h"
#include "eversion/Eversion.h"
#include "eversion/StageGeometry.h"

// Grid vertices are floats (spacing 1.2e-7 near 1); the reference values are
// printed to six decimals. 1e-6 covers both.
static constexpr double floatTolerance = 1e-6;
// Central differences with step 1e-5: truncation h^2/6 f''' (~1e-10 times
// third derivatives of a few hundred) plus rounding 1e-16 / h; relative 1e-6
// leaves a wide margin.
static constexpr double differenceStep = 1e-5;
static constexpr double differenceTolerance = 1e-6;
// Identities up to a few rounding steps (sin of half a turn is 1.2e-16, not
// 0) times derivatives up to a few hundred.
static constexpr double identityTolerance = 1e-12;

static constexpr double pi = 3.141592653589793;
static constexpr double schedule[5] = {0.0, 0.1, 0.23, 0.6, 0.93};
static constexpr int patches = 12;
static constexpr StageFunction stages[] = {stageCorrugate, stagePushThrough, stageTwist,
                                           stageRelease, stageSmooth};

struct Grid {
    std::vector<SurfaceVertex> cells;
    std::vector<SurfaceVertex*> rows;
};

static Grid evaluate(double time, int strips = 8, double u = 0, double uEnd = 1, int count = patches,
                     double v = 0, double vEnd = 1)
{
    Grid grid{std::vector<SurfaceVertex>(static_cast<size_t>((count + 1) * (count + 1))), {}};
    for (int i = 0; i <= count; ++i)
        grid.rows.push_back(&grid.cells[static_cast<size_t>(i * (count + 1))]);
    evaluateEversion(grid.rows.data(), time, strips, u, count, uEnd, v, count, vEnd, schedule[0],
                     schedule[1], schedule[2], schedule[3], schedule[4]);
    return grid;
}

// Counterclockwise by `radians` about z, as glRotatef turns.
static void turnAboutZ(const float* p, double radians, double* out)
{
    out[0] = p[0] * std::cos(radians) - p[1] * std::sin(radians);
    out[1] = p[0] * std::sin(radians) + p[1] * std::cos(radians);
    out[2] = p[2];
}

template <class A, class B>
static void expectNear3(const A* a, const B* b, double tolerance = floatTolerance)
{
    for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(a[k], b[k], tolerance) << "coordinate " << k;
}

TEST(Eversion, ReferencePointsThroughTheSchedule)
{
    const double references[][6] = {
        {0.05, 0.5, 0.25, 0.142582, 0.716807, 0.738805},
        {0.16, 0.3, 0.1, 0.046448, 0.488233, 0.279550},
        {0.4, 0.5, 0.5, 0.179189, 0.093178, -0.275963},
        {0.75, 0.6, 0.6, -0.204448, -0.213783, -0.640684},
        {0.95, 0.5, 0.25, -0.129725, -0.652172, -0.675530},
        {0.0, 0.5, 0.25, 0.137950, 0.693520, 0.707107},
        {1.0, 0.5, 0.25, -0.137950, -0.693520, -0.707107},
    };
    for (const auto& r : references) {
        SCOPED_TRACE(r[0]);
        // A one-cell grid whose first node sits exactly on (u, v).
        const Grid grid = evaluate(r[0], 8, r[1], r[1] + 0.25, 1, r[2], r[2] + 0.25);
        expectNear3(grid.rows[0][0].position, r + 3);
    }
}

TEST(Eversion, StagesMeetAtTheirStartTimes)
{
    for (int stage = 1; stage < 5; ++stage) {
        SCOPED_TRACE(schedule[stage]);
        const Grid before = evaluate(std::nextafter(schedule[stage], 0.0));
        const Grid at = evaluate(schedule[stage]);
        for (size_t i = 0; i < at.cells.size(); ++i) {
            expectNear3(before.cells[i].position, at.cells[i].position);
            expectNear3(before.cells[i].normal, at.cells[i].normal);
        }
    }
}

// At t = 1 every point is negated but the normal vector is unchanged, so it
// now points into the sphere: the side that faced out faces in.
TEST(Eversion, EndsAreTheSphereAndItsNegation)
{
    const Grid start = evaluate(0), end = evaluate(1);
    for (size_t i = 0; i < start.cells.size(); ++i) {
        const float* p = start.cells[i].position;
        const double negated[3] = {-p[0], -p[1], -p[2]};
        EXPECT_NEAR(std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]), 1, floatTolerance);
        expectNear3(start.cells[i].normal, p);
        expectNear3(end.cells[i].position, negated);
        expectNear3(end.cells[i].normal, p);
    }
}

// The v = 1 edge is the v = 0 edge turned by one strip (clockwise about z).
// Hemisphere 0 strip s is drawn turned by -s strips about z; hemisphere 1
// strip s by s + 1 strips about z, then half a turn about y. Their equator
// rows (u = 1) must be one curve run in opposite directions, with the same
// normals, or the drawn surface would tear or crease there.
TEST(Eversion, StripsAndHemispheresClose)
{
    for (int strips : {8, 5})
        for (double time : {0.0, 0.05, 0.16, 0.4, 0.75, 0.95, 1.0}) {
            SCOPED_TRACE(testing::Message() << strips << " strips, t " << time);
            const Grid grid = evaluate(time, strips);
            const double strip = 2 * pi / strips;
            double a[3], b[3];
            for (int i = 0; i <= patches; ++i)
                for (int field = 0; field < 2; ++field) {
                    const auto& row = grid.rows[i];
                    turnAboutZ(field ? row[0].normal : row[0].position, -strip, a);
                    expectNear3(field ? row[patches].normal : row[patches].position, a);
                }
            const SurfaceVertex* equator = grid.rows[patches];
            for (int s = 0; s < strips; ++s)
                for (int j = 0; j <= patches; ++j)
                    for (int field = 0; field < 2; ++field) {
                        const SurfaceVertex& near = equator[j];
                        const SurfaceVertex& far = equator[patches - j];
                        turnAboutZ(field ? near.normal : near.position, -s * strip, a);
                        turnAboutZ(field ? far.normal : far.position, (s + 1) * strip, b);
                        b[0] = -b[0], b[2] = -b[2];
                        expectNear3(a, b);
                    }
        }
}

TEST(Eversion, NullGridAndEarlyTimeSampleNothing)
{
    evaluateEversion(nullptr, 0.5, 8, 0, 2, 1, 0, 2, 1, 0, 0.1, 0.23, 0.6, 0.93);
    SurfaceVertex marked{};
    marked.position[0] = 42;
    std::vector<SurfaceVertex> cells(9, marked);
    SurfaceVertex* rows[3] = {&cells[0], &cells[3], &cells[6]};
    evaluateEversion(rows, -0.01, 8, 0, 2, 1, 0, 2, 1, 0, 0.1, 0.23, 0.6, 0.93);
    for (const SurfaceVertex& cell : cells)
        EXPECT_EQ(cell.position[0], 42);
}

static Jet4Vec stageAt(StageFunction stage, double u, double v)
{
    return stage(Jet8(u, 1, 0), Jet8(v, 0, 1), 0.3, 8);
}

// Interior points away from the seams (the envelope's ends near u = 0.047 and
// 0.99, the sheets' switch at u = 1, the wave's flips and wrap in v); u = 1.3
// and 1.7 take the second hemisphere's branches.
TEST(Eversion, StageDerivativesMatchCentralDifferences)
{
    const double h = differenceStep;
    for (StageFunction stage : stages)
        for (double u : {0.2, 0.45, 0.7, 0.93, 1.3, 1.7})
            for (double v : {0.1, 0.4, 0.6, 0.85}) {
                SCOPED_TRACE(testing::Message() << "u " << u << " v " << v);
                const Jet4Vec p = stageAt(stage, u, v), uUp = stageAt(stage, u + h, v),
                              uDown = stageAt(stage, u - h, v), vUp = stageAt(stage, u, v + h),
                              vDown = stageAt(stage, u, v - h);
                for (const Jet4 Jet4Vec::*c : {&Jet4Vec::x, &Jet4Vec::y, &Jet4Vec::z}) {
                    const double du = ((uUp.*c).value - (uDown.*c).value) / (2 * h);
                    const double dv = ((vUp.*c).value - (vDown.*c).value) / (2 * h);
                    const double duv = ((vUp.*c).du - (vDown.*c).du) / (2 * h);
                    EXPECT_NEAR((p.*c).du, du, differenceTolerance * (1 + std::fabs(du)));
                    EXPECT_NEAR((p.*c).dv, dv, differenceTolerance * (1 + std::fabs(dv)));
                    EXPECT_NEAR((p.*c).duv, duv, differenceTolerance * (1 + std::fabs(duv)));
                }
            }
}

// The reduced jets must reproduce the full ones to the bit wherever a stage
// is evaluated: both hemispheres, beyond the period, the seams, the stage's
// ends and strip counts that do and do not divide the wave.
TEST(Eversion, FirstOrderStagesAreTheFullStagesValueAndTangentsToTheBit)
{
    static constexpr StageFirstOrderFunction reduced[] = {stageCorrugateFirstOrder, stagePushThroughFirstOrder,
                                                          stageTwistFirstOrder, stageReleaseFirstOrder,
                                                          stageSmoothFirstOrder};
    const auto same = [](double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; };
    for (int s = 0; s < 5; ++s)
        for (double fraction : {0.0, 0.3, 1.0})
            for (int strips : {1, 3, 8})
                for (int i = -2; i <= 42; ++i)
                    for (int j = -3; j <= 23; ++j) {
                        const double u = i / 20.0, v = j / 17.0;
                        const Jet4Vec full = stages[s](Jet8(u, 1, 0), Jet8(v, 0, 1), fraction, strips);
                        const Jet3Vec cheap = reduced[s](Jet5(u, 1, 0), Jet5(v, 0, 1), fraction, strips);
                        const Jet4* f[] = {&full.x, &full.y, &full.z};
                        const Jet3* r[] = {&cheap.x, &cheap.y, &cheap.z};
                        for (int k = 0; k < 3; ++k)
                            ASSERT_TRUE(same(f[k]->value, r[k]->value) && same(f[k]->du, r[k]->du) &&
                                        same(f[k]->dv, r[k]->dv))
                                << "stage " << s << " fraction " << fraction << " strips " << strips << " u " << u
                                << " v " << v << " coordinate " << k;
                    }
}

TEST(Eversion, ShapingFunctions)
{
    const struct {
        Jet8 (*function)(Jet8);
        double argument, expected;
    } cases[] = {
        {slowAtOdd, 1, 1},         {slowAtOdd, 3, 3},          {slowAtOdd, 4, 0},
        {slowAtOdd, 0.5, 0.75},    {slowAtOdd, -0.5, 3.25},    {slowAtEven, 1.5, 1.75},
        {slowAtEven, 3.5, 3.75},   {foldedSmoothstep, 1.5, 0.5}, {foldedSmoothstep, 1, 1},
        {corrugationEnvelope, 0.5, 0.470016}, {corrugationEnvelope, 1.5, 0.470016},
        {corrugationDepth, 1, -0.2},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(c.function(Jet8(c.argument, 1, 0)).value, c.expected, identityTolerance)
            << c.argument;
    EXPECT_NEAR(foldedSmoothstep(Jet8(1, 1, 0)).du, 0, identityTolerance);
    EXPECT_NEAR(corrugationDepth(Jet8(1, 1, 0)).du, 0, identityTolerance);
    // Outside its rise the envelope is an exact constant, derivatives included.
    const Jet8 none = corrugationEnvelope(Jet8(0.02, 1, 0)), full = corrugationEnvelope(Jet8(1, 1, 0));
    EXPECT_TRUE(none.value == 0 && none.du == 0 && none.duu == 0);
    EXPECT_TRUE(full.value == 1 && full.du == 0 && full.duu == 0);
}

TEST(Eversion, TwistRunsFromPushedToPushedInverted)
{
    for (double u : {0.3, 0.8, 1.3, 1.7}) {
        SCOPED_TRACE(u);
        const Jet8 uJet(u, 1, 0), vJet(0.3, 0, 1);
        const Jet8Vec ends[2][2] = {{twistedSurface(uJet, vJet, 0), pushedSurface(uJet, vJet)},
                                    {twistedSurface(uJet, vJet, 1),
                                     pushedInvertedSurface(uJet, vJet)}};
        for (const auto& end : ends)
            for (const Jet8 Jet8Vec::*c : {&Jet8Vec::x, &Jet8Vec::y, &Jet8Vec::z}) {
                const Jet8 &a = end[0].*c, &b = end[1].*c;
                const double af[8] = {a.value, a.du, a.dv, a.duu, a.duv, a.dvv, a.duuv, a.duvv};
                const double bf[8] = {b.value, b.du, b.dv, b.duu, b.duv, b.dvv, b.duuv, b.duvv};
                for (int k = 0; k < 8; ++k)
                    EXPECT_NEAR(af[k], bf[k], identityTolerance * (1 + std::fabs(bf[k])));
            }
    }
}
