// The sampled grid: its size, its repairs, and which edits invalidate it.
#include <gtest/gtest.h>

#include <cmath>

#include "viewer/SurfaceMesh.h"

namespace {
// Vertices are stored as floats: a few float ulps of a unit-size value.
constexpr double floatTolerance = 1e-6;
constexpr double pi = 3.141592653589793;
}

TEST(SurfaceMesh, DefaultsGiveOneThirteenByThirteenStripOnTheUnitSphere)
{
    SurfaceMesh mesh;
    EXPECT_TRUE(mesh.dirty);
    EXPECT_EQ(mesh.grid, nullptr);
    mesh.rebuild(false);
    EXPECT_FALSE(mesh.dirty);
    ASSERT_EQ(mesh.gridRows(), 13);
    ASSERT_EQ(mesh.gridColumns(), 13);

    // u = 1, v = 0 is on the equator: position and outward normal (0, 1, 0).
    const SurfaceVertex& equator = mesh.grid[12][0];
    EXPECT_NEAR(equator.position[0], 0, floatTolerance);
    EXPECT_NEAR(equator.position[1], 1, floatTolerance);
    EXPECT_NEAR(equator.position[2], 0, floatTolerance);
    EXPECT_NEAR(equator.normal[1], 1, floatTolerance);

    // The pole row degenerates and is sampled a hair off it, at u = 1e-9, so
    // it still has a proper normal (straight up).
    const SurfaceVertex& pole = mesh.grid[0][5];
    EXPECT_NEAR(pole.position[2], 1, floatTolerance);
    EXPECT_GT(std::hypot(pole.position[0], pole.position[1]), 0);
    EXPECT_LT(std::hypot(pole.position[0], pole.position[1]), 1e-8);
    EXPECT_NEAR(pole.normal[2], 1, floatTolerance);

    // Row r holds u = r / 12: polar angle r / 12 of a quarter turn.
    const SurfaceVertex& middle = mesh.grid[6][0];
    EXPECT_NEAR(middle.position[1], std::sin(pi / 4), floatTolerance);
    EXPECT_NEAR(middle.position[2], std::cos(pi / 4), floatTolerance);
}

TEST(SurfaceMesh, RebuildRepairsTimeAndCounts)
{
    SurfaceMesh mesh;
    mesh.t = 1.75;
    mesh.latitudinalPatches = -3;
    mesh.longitudinalPatches = 1;
    mesh.rebuild(true);
    EXPECT_EQ(mesh.t, 1.0);
    EXPECT_EQ(mesh.latitudinalPatches, 2);
    EXPECT_EQ(mesh.longitudinalPatches, 2);
    EXPECT_EQ(mesh.gridRows(), 3);
    EXPECT_EQ(mesh.gridColumns(), 3);
    mesh.t = -0.5;
    mesh.rebuild(true);
    EXPECT_EQ(mesh.t, 0.0);
}

TEST(SurfaceMesh, HalfStripsSampleHalfTheStrip)
{
    SurfaceMesh full;
    SurfaceMesh half;
    full.rebuild(false);
    half.rebuild(true);
    // Column 12 of the half strip is column 6 of the full one.
    for (int r = 1; r <= 12; ++r)
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(half.grid[r][12].position[k], full.grid[r][6].position[k], floatTolerance);
}

TEST(SurfaceMesh, EditsFreeTheGridOnlyWhenWhatIsSampledChanges)
{
    SurfaceMesh mesh;
    auto fresh = [&] {
        mesh.rebuild(false);
        return mesh.grid != nullptr && !mesh.dirty;
    };
    auto invalidated = [&] { return mesh.grid == nullptr && mesh.dirty; };

    ASSERT_TRUE(fresh());
    mesh.toggleHemispheres();
    EXPECT_FALSE(invalidated());
    mesh.decreaseTime(0.5);  // t = 0 already: nothing to do
    EXPECT_FALSE(invalidated());

    mesh.increaseTime(0.25);
    EXPECT_TRUE(invalidated());
    EXPECT_EQ(mesh.t, 0.25);
    ASSERT_TRUE(fresh());
    mesh.addStrip();
    EXPECT_TRUE(invalidated());
    ASSERT_TRUE(fresh());
    mesh.removeStrip();
    EXPECT_TRUE(invalidated());
    ASSERT_TRUE(fresh());
    mesh.addLatitudinalPatch();
    EXPECT_TRUE(invalidated());
    ASSERT_TRUE(fresh());
    mesh.addLongitudinalPatch();
    EXPECT_TRUE(invalidated());
    ASSERT_TRUE(fresh());
    EXPECT_EQ(mesh.gridRows(), 14);
    EXPECT_EQ(mesh.gridColumns(), 14);

    mesh.t = 1;
    ASSERT_TRUE(fresh());
    mesh.increaseTime(0.25);  // blocked at the end
    EXPECT_FALSE(invalidated());

    SurfaceMesh single;
    single.totalStrips = 1;
    single.stripsShown = 1;
    single.rebuild(false);
    single.removeStrip();
    EXPECT_EQ(single.totalStrips, 1);
    EXPECT_NE(single.grid, nullptr);
}

TEST(SurfaceMesh, HemisphereToggleCyclesBetweenOneAndTwo)
{
    SurfaceMesh mesh;
    mesh.toggleHemispheres();
    EXPECT_EQ(mesh.hemispheres, 1);
    mesh.toggleHemispheres();
    EXPECT_EQ(mesh.hemispheres, 2);
}
