// The exact surface, evaluated at an origin, against the drawn one: at every
// vertex of the welded mesh, for both methods, all strips or lobes and both
// hemispheres, it is the vertex's own point. The lines drawn by origin, the
// tracks and the double curves therefore lie on the surface that is shown.
#include <gtest/gtest.h>

#include <string>

#include "viewer/ExactSurface.h"
#include "viewer/SurfaceMesh.h"
#include "viewer/SurfaceWeld.h"

namespace {
// Float samples of unit size against a double evaluation; the pole rows
// of the corrugations sit 1e-9 off the pole.
constexpr double samePoint = 1e-5;

struct Case {
    EversionMethod method;
    int around;
    double t;
};

class ExactAtVertices : public testing::TestWithParam<Case> {};

TEST_P(ExactAtVertices, EveryWeldedVertexIsTheExactPointOfItsOrigin)
{
    const Case c = GetParam();
    SurfaceMesh mesh;
    mesh.setMethod(c.method);
    if (c.method == EversionMethod::Ruled)
        mesh.setLobes(c.around);
    else
        mesh.totalStrips = mesh.stripsShown = c.around;
    mesh.t = c.t;
    mesh.rebuild(false);
    const IndexedMesh welded = weldSurface(mesh, false).mesh;
    const ExactSurface surface = exactSurface(mesh);
    for (std::size_t v = 0; v < welded.vertexCount(); ++v) {
        const Origin origin{welded.origins[2 * v], welded.origins[2 * v + 1]};
        double exact[3];
        exactPosition(surface, origin, exact);
        for (int i = 0; i < 3; ++i)
            ASSERT_NEAR(welded.positions[3 * v + i], exact[i], samePoint)
                << "vertex " << v << " at " << origin.latitude << ", " << origin.longitude;
    }
}

INSTANTIATE_TEST_SUITE_P(BothMethods, ExactAtVertices,
                         testing::Values(Case{EversionMethod::Corrugations, 8, 0.3},
                                         Case{EversionMethod::Corrugations, 5, 0.75},
                                         Case{EversionMethod::Ruled, 2, 0.2},
                                         Case{EversionMethod::Ruled, 3, 0.5},
                                         Case{EversionMethod::Ruled, 4, 0.95}),
                         [](const testing::TestParamInfo<Case>& info) {
                             return std::string(methodName(info.param.method)) + std::to_string(info.param.around) +
                                    "_t" + std::to_string(static_cast<int>(info.param.t * 100));
                         });
}
