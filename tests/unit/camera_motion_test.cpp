// Orbit, pan and dolly in pixels, from the application's home view.
#include "camera/Camera.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The examples are quoted to 3-4 significant digits.
constexpr float kQuoted = 1e-3f;
// Float rounding accumulated over a handful of rotations or moves of an
// ~8-unit offset.
constexpr float kRounding = 2e-5f;

Camera homeCamera()
{
    return Camera(512, 512, 2.0f, Vector3(0, 0, 0, 1));
}

void expectVector(const Vector3& v, float x, float y, float z, float tolerance)
{
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
    EXPECT_EQ(v.w, 1);
}

void expectSameView(const Camera& a, const Camera& b, float tolerance)
{
    expectVector(a.eye, b.eye.x, b.eye.y, b.eye.z, tolerance);
    expectVector(a.target, b.target.x, b.target.y, b.target.z, tolerance);
    expectVector(a.up, b.up.x, b.up.y, b.up.z, tolerance);
}

TEST(CameraMotion, OrbitExamples)
{
    const Camera home = homeCamera();
    Camera c = home;
    c.orbit(100, 100, 110, 100);  // drag right: eye swings left
    expectVector(c.eye, -1.668f, 0, 8.039f, kQuoted);
    expectVector(c.target, 0, 0, 0, 0);
    expectVector(c.up, 0, 1, 0, kRounding);

    c = home;
    c.orbit(100, 100, 100, 110);  // drag down: eye rises
    expectVector(c.eye, 0, 1.668f, 8.039f, kQuoted);
    expectVector(c.up, 0, 0.979f, -0.203f, kQuoted);

    c = home;
    c.orbit(40, 70, 40, 70);
    expectSameView(c, home, kRounding);
}

TEST(CameraMotion, OrbitKeepsTheFrameAndIsUndoneInReverse)
{
    const Camera home = homeCamera();
    Camera c = home;
    c.orbit(10, 20, 37, -45);  // diagonal: horizontal turn, then vertical
    c.orbit(0, -45, 0, 20);   // opposite vertical part, about the same right
    c.orbit(37, 0, 10, 0);    // opposite horizontal part
    expectSameView(c, home, kRounding);

    // Far over the pole and round: up turns with the eye, never flips.
    for (int i = 0; i < 20; ++i) {
        c.orbit(0, 0, 13, 31);
        EXPECT_NEAR((c.eye - c.target).length(), home.eye.z, 4 * kRounding);
        EXPECT_NEAR(c.up.length(), 1, kRounding);
        EXPECT_NEAR(dot(c.up, (c.target - c.eye).normalized()), 0, kRounding);
    }
    expectVector(c.target, 0, 0, 0, 0);
    expectVector(c.orbitAxis, 0, 1, 0, 0);
}

TEST(CameraMotion, PanMovesEyeAndTargetSoTheSceneFollowsTheCursor)
{
    const Camera home = homeCamera();
    Camera c = home;
    c.pan(116.3636f, 0);  // one world unit at the target's depth
    expectVector(c.eye, -1, 0, home.eye.z, kQuoted);
    expectVector(c.target, -1, 0, 0, kQuoted);
    c = home;
    c.pan(0, 116.3636f);
    expectVector(c.eye, 0, -1, home.eye.z, kQuoted);
    expectVector(c.target, 0, -1, 0, kQuoted);

    // The old target moves on screen by exactly the drag (rows grow downward,
    // and the application passes dy = previous row - current row).
    c = home;
    c.pan(40.25f, 24.25f);
    int column = 0, row = 0;
    c.projectToPixel(home.target, column, row);
    EXPECT_EQ(column, 296);  // 256 + 40.25
    EXPECT_EQ(row, 231);     // 256 - 24.25
    c.pan(-40.25f, -24.25f);
    expectSameView(c, home, kRounding);
}

TEST(CameraMotion, DollyScalesWithDistanceAndStopsShortOfTheTarget)
{
    const Camera home = homeCamera();
    Camera c = home;
    c.dolly(30);
    expectVector(c.eye, 0, 0, home.eye.z - 0.2578f, kQuoted);
    expectVector(c.target, 0, 0, 0, kRounding);
    // Equal drags change the distance by equal fractions, either way.
    const float ratio = c.eye.z / home.eye.z;
    c.dolly(30);
    EXPECT_NEAR(c.eye.z / home.eye.z, ratio * ratio, kRounding);
    c = home;
    c.dolly(-30);
    EXPECT_NEAR(c.eye.z / home.eye.z, 2 - ratio, kRounding);

    // Past the target: the eye goes where the move takes it and pushes the
    // target 1.3 near planes ahead.
    c = home;
    c.orbit(0, 0, 20, 30);
    const Vector3 forward = (c.target - c.eye).normalized();
    const Vector3 eyeBefore = c.eye;
    c.dolly(5000);
    const Vector3 expectedEye = eyeBefore + forward * (5000 / 116.3636f);
    expectVector(c.eye, expectedEye.x, expectedEye.y, expectedEye.z, kQuoted);
    EXPECT_NEAR((c.target - c.eye).length(), 0.26f, kRounding);
    EXPECT_NEAR(dot((c.target - c.eye).normalized(), forward), 1, kRounding);
}

TEST(CameraMotion, BackingAwayStopsFarOutSoTheViewIsNeverLost)
{
    // Wild drags backwards used to grow the distance geometrically until the
    // floats overflowed and the next orbit had no axis.
    Camera c = homeCamera();
    for (int i = 0; i < 200; ++i)
        c.dolly(-3000);
    const float farthest = 1e5f * c.farPlane;
    EXPECT_NEAR((c.target - c.eye).length(), farthest, farthest * 1e-5f);
    expectVector(c.target, 0, 0, 0, kRounding);  // the target stays put
    c.orbit(0, 0, 37, -11);
    c.pan(500, 300);
    EXPECT_TRUE(std::isfinite(c.eye.x) && std::isfinite(c.eye.y) && std::isfinite(c.eye.z));
    EXPECT_NEAR(c.up.length(), 1, kRounding);
    c.dolly(3000);  // and it comes back
    EXPECT_LT((c.target - c.eye).length(), farthest);
}

TEST(CameraMotion, ResetViewRestoresTheHomeViewExactly)
{
    const Camera home = homeCamera();
    Camera c = home;
    c.orbit(3, 4, 90, -70);
    c.pan(12, -33);
    c.dolly(4000);
    c.orbit(0, 0, -200, 5);
    c.setViewport(512, 256, 0, 0, 511, 255);
    c.resetView();
    expectSameView(c, home, 0);
    expectVector(c.orbitAxis, 0, 1, 0, 0);
    EXPECT_EQ(c.nearHalfExtent, home.nearHalfExtent);
    EXPECT_EQ(c.viewportBottom, 255);  // the viewport stays as it was set
    EXPECT_EQ(c.nearWidth, 2 * home.nearWidth);
}

}  // namespace
