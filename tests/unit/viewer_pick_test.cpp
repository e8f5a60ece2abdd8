// Picking the origin under a pixel: the pixel where a known origin's point
// projects gives back that origin, at t = 0 in both projections, and the
// pole at the centre of the home view turns into the antipode's at t = 1.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "camera/Camera.h"
#include "viewer/AppState.h"
#include "viewer/ExactSurface.h"
#include "viewer/OriginPick.h"

namespace {

// Angle in degrees between two origins on the unit sphere.
double degreesApart(const Origin& a, const Origin& b)
{
    const double r = std::numbers::pi / 180;
    const double c = std::sin(a.latitude * r) * std::sin(b.latitude * r) +
                     std::cos(a.latitude * r) * std::cos(b.latitude * r) * std::cos((a.longitude - b.longitude) * r);
    return std::acos(std::fmin(1.0, std::fmax(-1.0, c))) / r;
}

struct Scene {
    AppState state;
    Camera camera{512, 512, 2.0f, Vector3(0, 0, 0, 1)};

    explicit Scene(double t)
    {
        state.camera = &camera;
        state.mesh.t = t;
        state.mesh.latitudinalPatches = 48;
        state.mesh.longitudinalPatches = 48;
        state.mesh.prepare(false);
    }
};

// A pixel of the 512-pixel view spans about 0.9 degrees of the sphere where
// it faces the eye; the facets of the 48 x 48 grid add less than that.
constexpr double toleranceDegrees = 1.0;

TEST(OriginPick, PixelOfAKnownOriginGivesItBack)
{
    Scene scene(0);
    const Origin origins[] = {{60, 30}, {45, -100}, {75, 170}, {20, -10}, {35, 135}};
    for (const Origin& origin : origins) {
        SCOPED_TRACE(testing::Message() << origin.latitude << ", " << origin.longitude);
        double world[3];
        exactPosition(exactSurface(EversionMethod::Corrugations, scene.state.mesh.totalStrips, 0), origin, world);
        int column = 0, row = 0;
        scene.camera.projectToPixel(Vector3(float(world[0]), float(world[1]), float(world[2]), 1), column, row);
        Origin picked;
        ASSERT_TRUE(pickOrigin(scene.state, column, row, picked));
        EXPECT_LT(degreesApart(picked, origin), toleranceDegrees) << picked.latitude << ", " << picked.longitude;
    }
}

TEST(OriginPick, CentreOfTheViewAndMisses)
{
    struct Case {
        double t;
        bool orthographic;
        bool stereo;
        double latitude;  // under the centre, which the home view sees at +z
    };
    // The right eye sits half the default separation, 0.05, to the right and
    // its window's centre looks parallel to the mono eye's.
    const double offCentre = std::acos(0.05) * 180 / std::numbers::pi;
    const Case cases[] = {
        {0, false, false, 90}, {0, true, false, 90}, {1, false, false, -90}, {0, false, true, offCentre},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "t " << c.t << " orthographic " << c.orthographic << " stereo " << c.stereo);
        Scene scene(c.t);
        scene.state.orthographic = c.orthographic;
        scene.state.stereo = c.stereo;
        Origin picked;
        // The right eye's half in stereo: its centre is a window further.
        ASSERT_TRUE(pickOrigin(scene.state, c.stereo ? 512 + 256 : 256, 256, picked));
        EXPECT_NEAR(picked.latitude, c.latitude, toleranceDegrees);
        EXPECT_FALSE(pickOrigin(scene.state, 2, 2, picked));
    }
    Scene empty(0);
    empty.state.mesh.freeGrid();
    Origin picked;
    EXPECT_FALSE(pickOrigin(empty.state, 256, 256, picked));
}

}  // namespace
