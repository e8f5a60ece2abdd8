// What the front ends draw of the double curves: found again exactly when
// the surface they lie on changes, never on a frame that changes nothing,
// and drawn as the set's points with closed curves closed.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "curves/CurveDisplay.h"
#include "viewer/SurfaceMesh.h"

namespace {
TEST(CurveDisplay, FindsTheCurvesAgainOnlyWhenTheSurfaceChanges)
{
    struct Edit {
        std::string what;
        std::function<void(SurfaceMesh&)> apply;
        bool changesSurface;
    };
    const std::vector<Edit> edits = {
        {"nothing", [](SurfaceMesh&) {}, false},
        {"strips shown", [](SurfaceMesh& m) { m.stripsShown = 3; }, false},
        {"hemispheres shown", [](SurfaceMesh& m) { m.hemispheres = 1; }, false},
        {"time", [](SurfaceMesh& m) { m.t = 0.45; }, true},
        {"total strips", [](SurfaceMesh& m) { m.totalStrips = 7; }, true},
        {"latitudinal patches", [](SurfaceMesh& m) { m.latitudinalPatches = 14; }, true},
        {"longitudinal patches", [](SurfaceMesh& m) { m.longitudinalPatches = 14; }, true},
        {"method", [](SurfaceMesh& m) { m.setMethod(EversionMethod::Ruled); }, true},
        {"lobes", [](SurfaceMesh& m) { m.setLobes(3); }, true},  // on the ruled method, set below
    };
    for (const Edit& edit : edits) {
        SurfaceMesh mesh;
        mesh.t = 0.4;
        if (edit.what == "lobes")
            mesh.setMethod(EversionMethod::Ruled);
        CurveDisplay display;
        display.refresh(mesh);
        ASSERT_EQ(display.revision, 1) << edit.what;
        edit.apply(mesh);
        display.refresh(mesh);
        EXPECT_EQ(display.revision, edit.changesSurface ? 2 : 1) << edit.what;
    }
}

TEST(CurveDisplay, LinesAreTheSetsPointsWithClosedCurvesClosed)
{
    SurfaceMesh mesh;
    mesh.t = 0.4;
    CurveDisplay display;
    display.refresh(mesh);
    ASSERT_FALSE(display.set.curves.empty());
    ASSERT_EQ(display.lines.size(), display.set.curves.size());
    for (std::size_t k = 0; k < display.lines.size(); ++k) {
        const DoubleCurve& curve = display.set.curves[k];
        const std::vector<float>& line = display.lines[k].points;
        ASSERT_EQ(line.size(), 3 * (curve.points.size() + (curve.closed ? 1 : 0))) << "curve " << k;
        for (std::size_t i = 0; i < line.size(); ++i)
            EXPECT_EQ(line[i], static_cast<float>(curve.points[(i / 3) % curve.points.size()].position[i % 3]));
    }
    EXPECT_EQ(display.markers.size(), 3 * display.set.triplePoints.size());
}
}
