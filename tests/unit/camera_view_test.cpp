// Camera set-up arithmetic: the fields and the projection it hands to the
// front ends.
#include "camera/Camera.h"

#include <gtest/gtest.h>

namespace {

// Quoted decimal values carry 7 significant digits.
constexpr float kQuoted = 2e-6f;

Camera homeCamera(int width = 512, int height = 512)
{
    return Camera(width, height, 2.0f, Vector3(0, 0, 0, 1));
}

void expectVector(const Vector3& v, float x, float y, float z, float tolerance = 0)
{
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
    EXPECT_EQ(v.w, 1);
}

TEST(Camera, HomeViewOfTheApplicationScene)
{
    const Camera c = homeCamera();
    EXPECT_EQ(c.nearPlane, 0.2f);
    EXPECT_EQ(c.farPlane, 30);
    EXPECT_NEAR(c.nearHalfExtent, 0.0535898f, kQuoted);
    expectVector(c.eye, 0, 0, 8.210512f, 1e-5f);
    expectVector(c.target, 0, 0, 0);
    expectVector(c.up, 0, 1, 0);
    expectVector(c.orbitAxis, 0, 1, 0);
    expectVector(c.homeUp, 0, 1, 0);
    EXPECT_EQ(c.viewportCenterX, 255.5f);
    EXPECT_EQ(c.viewportCenterY, 255.5f);
    EXPECT_EQ(c.viewportRadius, 256);
    EXPECT_NEAR(c.nearWidth, 0.1071797f, kQuoted);
    EXPECT_EQ(c.nearHeight, c.nearWidth);

    // Off-origin scene: the eye stands back along +z from the centre.
    const Camera off(100, 80, 0.5f, Vector3(1, 2, 3, 1));
    expectVector(off.target, 1, 2, 3);
    EXPECT_NEAR(off.eye.z - 3, c.eye.z / 4, 1e-5f);
    EXPECT_EQ(off.viewportRadius, 40);
}

TEST(Camera, SmallerSideAlwaysSpansTheFieldOfView)
{
    Camera c = homeCamera();
    const float s = 2 * c.nearHalfExtent;
    c.setViewport(512, 256, 0, 0, 511, 255);
    EXPECT_EQ(c.nearHeight, s);
    EXPECT_EQ(c.nearWidth, 2 * s);
    EXPECT_EQ(c.viewportRadius, 128);
    c.setViewport(256, 512, 0, 0, 255, 511);
    EXPECT_EQ(c.nearWidth, s);
    EXPECT_EQ(c.nearHeight, 2 * s);
    c.setViewport(300, 300, 10, 20, 109, 69);  // 100 x 50 pixels
    EXPECT_EQ(c.viewportCenterX, 59.5f);
    EXPECT_EQ(c.viewportCenterY, 44.5f);
    EXPECT_EQ(c.viewportRadius, 25);
    EXPECT_EQ(c.nearWidth, 2 * s);
    c.setViewport(301, 201, 0, 0, 300, 200);  // odd sizes: half the smaller side
    EXPECT_EQ(c.viewportRadius, 100.5f);
}

TEST(Camera, OrthographicWindowHasThePerspectiveSizeAtTheTarget)
{
    // In mono and in each stereo eye, after a dolly and on a wide window:
    // the parallel window is the frustum's near window scaled out to the
    // eye's distance from the target, centred on the eye's own line, from
    // the same eye.
    Camera c = homeCamera(640, 400);
    c.dolly(30);
    for (const EyeMode eye : {MonoEye, LeftEye, RightEye}) {
        SCOPED_TRACE(eye);
        const CameraProjection perspective = c.projection(eye, 0.3f);
        const CameraProjection parallel = c.projection(eye, 0.3f, true);
        EXPECT_FALSE(perspective.orthographic);
        EXPECT_TRUE(parallel.orthographic);
        const float scale = (c.target - parallel.eyePosition).length() / c.nearPlane;
        EXPECT_NEAR(parallel.right - parallel.left, c.nearWidth * scale, 1e-5f);
        EXPECT_NEAR(parallel.top - parallel.bottom, c.nearHeight * scale, 1e-5f);
        EXPECT_NEAR(parallel.right + parallel.left, 0, 1e-6f);
        EXPECT_EQ(parallel.eyePosition.x, perspective.eyePosition.x);
        EXPECT_EQ(parallel.eyePosition.z, perspective.eyePosition.z);
        EXPECT_EQ(parallel.nearPlane, perspective.nearPlane);
        EXPECT_EQ(parallel.farPlane, perspective.farPlane);
    }
    // At home the smaller side spans 2.2 world units: the unit sphere fills
    // 1 / 2.2 of half of it.
    const CameraProjection home = homeCamera().projection(MonoEye, 0, true);
    EXPECT_NEAR(home.top, 2.2f, 1e-5f);
}

TEST(Camera, ProjectToPixelExamples)
{
    const Camera c = homeCamera();
    int column = -1, row = -1;
    EXPECT_NEAR(c.projectToPixel(c.target, column, row), 8.210512f, 1e-5f);
    EXPECT_EQ(column, 256);
    EXPECT_EQ(row, 256);
    c.projectToPixel(Vector3(1, 0, 0, 1), column, row);
    EXPECT_EQ(column, 372);
    EXPECT_EQ(row, 256);
    c.projectToPixel(Vector3(0, 1, 0, 1), column, row);
    EXPECT_EQ(column, 256);
    EXPECT_EQ(row, 139);
}

TEST(Camera, WorldSizeAtDepthSpansItsFractionOnScreen)
{
    Camera c = homeCamera();
    EXPECT_NEAR(c.worldSizeAtDepth(8.210512f, 0.05f), 0.22f, kQuoted);
    // At any depth, an arm of that size covers 5 % of the 512-pixel side:
    // 255.5 + 25.6 + 0.5 truncates to 281 and 255.5 - 25.6 + 0.5 to 230.
    for (float distance : {8.210512f, 0.7f, 40.0f}) {
        c.target = Vector3(0.3f, -0.2f, 1.5f, 1);
        c.eye = c.target + Vector3(0, 0, distance, 1);
        int column = 0, row = 0;
        const float depth = c.projectToPixel(c.target, column, row);
        const float arm = c.worldSizeAtDepth(depth, 0.05f);
        c.projectToPixel(c.target + Vector3(arm, 0, 0, 1), column, row);
        EXPECT_EQ(column, 281);
        c.projectToPixel(c.target + Vector3(0, arm, 0, 1), column, row);
        EXPECT_EQ(row, 230);
    }
}

TEST(Camera, ProjectToPixelSaturatesForPointsAtOrBehindTheEye)
{
    Camera c = homeCamera();
    c.eye = Vector3(0, 0, 0, 1);
    c.target = Vector3(0, 0, -1, 1);
    int column = 0, row = 0;
    EXPECT_EQ(c.projectToPixel(c.eye, column, row), 0);  // 0 / 0: defined, if meaningless
    EXPECT_EQ(c.projectToPixel(Vector3(1, -1, -1e-30f, 1), column, row), 1e-30f);
    EXPECT_EQ(column, 2147483520);  // largest float below 2^31
    EXPECT_EQ(row, 2147483520);
    EXPECT_EQ(c.projectToPixel(Vector3(1, -1, 1e-30f, 1), column, row), -1e-30f);
    EXPECT_EQ(column, -2147483647 - 1);
    EXPECT_EQ(row, -2147483647 - 1);
}

using CameraDeath = testing::Test;

TEST(CameraDeath, PreconditionsReportTheirLines)
{
    Camera c = homeCamera();
    EXPECT_EXIT(c.setSceneRadius(0), testing::ExitedWithCode(1), "^Assertion error at line 101 in Camera.cpp\n$");
    EXPECT_EXIT(Camera(512, 512, -1, Vector3()), testing::ExitedWithCode(1),
                "^Assertion error at line 101 in Camera.cpp\n$");
    EXPECT_EXIT(c.setViewport(512, 512, 5, 0, 5, 10), testing::ExitedWithCode(1),
                "^Assertion error at line 148 in Camera.cpp\n$");
    EXPECT_EXIT(c.setViewport(512, 512, 0, 10, 5, 9), testing::ExitedWithCode(1),
                "^Assertion error at line 149 in Camera.cpp\n$");
    // A one-pixel window fails the constructor the same way.
    EXPECT_EXIT(Camera(1, 512, 2, Vector3()), testing::ExitedWithCode(1),
                "^Assertion error at line 148 in Camera.cpp\n$");
    c.farPlane = c.nearPlane;  // only reachable by writing the field directly
    EXPECT_EXIT(c.projection(MonoEye, 0), testing::ExitedWithCode(1),
                "^Assertion error at line 226 in Camera.cpp\n$");
}

}  // namespace
