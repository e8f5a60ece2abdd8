// The curves found ahead of the animation are the very curves the frame
// would find, whether the step they were found for comes or another does.
#include <gtest/gtest.h>

#include <string>

#include "draw/CurvePrefetch.h"
#include "viewer/SurfaceMesh.h"

namespace {
void expectSame(const DoubleCurveSet& x, const DoubleCurveSet& y, const std::string& what)
{
    ASSERT_EQ(x.curves.size(), y.curves.size()) << what;
    for (std::size_t k = 0; k < x.curves.size(); ++k) {
        ASSERT_EQ(x.curves[k].closed, y.curves[k].closed) << what;
        ASSERT_EQ(x.curves[k].points.size(), y.curves[k].points.size()) << what;
        for (std::size_t i = 0; i < x.curves[k].points.size(); ++i)
            for (int d = 0; d < 3; ++d)
                ASSERT_EQ(x.curves[k].points[i].position[d], y.curves[k].points[i].position[d]) << what;
    }
    ASSERT_EQ(x.triplePoints.size(), y.triplePoints.size()) << what;
    for (std::size_t k = 0; k < x.triplePoints.size(); ++k)
        for (int d = 0; d < 3; ++d)
            ASSERT_EQ(x.triplePoints[k].position[d], y.triplePoints[k].position[d]) << what;
}

TEST(CurvePrefetch, ShowsWhatTheFrameWouldFindWhicheverStepComes)
{
    struct Case {
        std::string what;
        double next;       // the time found ahead
        double comes;      // the time the frame then shows
        int patchesThen;   // and its patches
    };
    for (const Case& c : {Case{"the step found ahead", 0.5, 0.5, 12}, Case{"another time", 0.5, 0.45, 12},
                          Case{"other patches", 0.5, 0.5, 13}}) {
        SurfaceMesh mesh;
        mesh.t = 0.48;
        CurveDisplay display;
        CurvePrefetch prefetch;
        prefetch.refresh(display, mesh);
        DoubleCurveRequest next = CurveDisplay::requestFor(mesh);
        next.t = c.next;
        prefetch.ahead(display, next);

        mesh.t = c.comes;
        mesh.latitudinalPatches = c.patchesThen;
        prefetch.refresh(display, mesh);
        EXPECT_EQ(display.revision, 2) << c.what;
        expectSame(display.set, findDoubleCurves(CurveDisplay::requestFor(mesh)), c.what);
        // Shown, it is not found again.
        prefetch.ahead(display, CurveDisplay::requestFor(mesh));
        prefetch.refresh(display, mesh);
        EXPECT_EQ(display.revision, 2) << c.what;
    }
}
}
