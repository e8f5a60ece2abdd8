// The seam-free copies against the two paths they stand in for: each copy is
// its block turned into place (as a graphics interface would turn it), and
// every sample that copies share is the welded mesh's vertex to the last bit,
// so neighbouring copies meet exactly.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "viewer/SeamFreeSurface.h"
#include "viewer/SurfaceCopy.h"
#include "viewer/SurfaceMesh.h"
#include "viewer/SurfaceWeld.h"

namespace {
// Float samples of unit size turned in double and rounded once: a few ulps.
constexpr double turnTolerance = 1e-6;

struct Case {
    EversionMethod method;
    int around;  // strips or lobes
    double t;
    bool halfStrips;
    int hemispheres;
};

class SeamFree : public testing::TestWithParam<Case> {};

TEST_P(SeamFree, CopiesAreTheTurnedBlocksAndShareTheWeldsVertices)
{
    const Case c = GetParam();
    SurfaceMesh mesh;
    mesh.setMethod(c.method);
    if (c.method == EversionMethod::Ruled)
        mesh.setLobes(c.around);
    else
        mesh.totalStrips = mesh.stripsShown = c.around;
    mesh.hemispheres = c.hemispheres;
    mesh.t = c.t;
    mesh.rebuild(c.halfStrips);

    SeamFreeSurface seams;
    seams.build(mesh, c.halfStrips);
    const WeldedSurface weld = weldSurface(mesh, c.halfStrips);
    ASSERT_EQ(seams.copies, surfaceCopyCount(mesh));
    ASSERT_EQ(seams.copies, weld.copies);
    ASSERT_EQ(seams.rows, weld.rows);
    ASSERT_EQ(seams.columns, weld.columns);

    std::vector<SurfaceVertex> copy(static_cast<size_t>(seams.rows) * seams.columns);
    for (int k = 0; k < seams.copies; ++k) {
        seams.fillCopy(mesh, k, copy.data());
        const SurfaceCopy place = surfaceCopy(mesh, k);
        SurfaceVertex* const* rows = mesh.block(place.block);
        for (int r = 0; r < seams.rows; ++r)
            for (int j = 0; j < seams.columns; ++j) {
                const SurfaceVertex& v = copy[static_cast<size_t>(r) * seams.columns + j];
                const std::uint32_t welded = weld.corners[(static_cast<size_t>(k) * weld.rows + r) * weld.columns + j];
                ASSERT_EQ(std::memcmp(v.position, &weld.mesh.positions[3 * welded], sizeof v.position), 0)
                    << "copy " << k << " row " << r << " column " << j;
                const double local[3] = {rows[r][j].position[0], rows[r][j].position[1], rows[r][j].position[2]};
                double turned[3];
                turnIntoCopy(local, place, turned);
                for (int i = 0; i < 3; ++i)
                    ASSERT_NEAR(v.position[i], turned[i], turnTolerance) << "copy " << k << " row " << r;
            }
    }
}

INSTANTIATE_TEST_SUITE_P(
    BothMethods, SeamFree,
    testing::Values(Case{EversionMethod::Corrugations, 8, 0.375, false, 2},
                    Case{EversionMethod::Corrugations, 8, 0.6, true, 2},
                    Case{EversionMethod::Corrugations, 5, 0.2, false, 1},
                    Case{EversionMethod::Ruled, 2, 0.5, false, 2},   // the poles meet in space, apart on the sphere
                    Case{EversionMethod::Ruled, 3, 0.3, true, 2},
                    Case{EversionMethod::Ruled, 5, 0.9, false, 1}),
    [](const testing::TestParamInfo<Case>& info) {
        const Case& c = info.param;
        return std::string(methodName(c.method)) + std::to_string(c.around) + "_t" +
               std::to_string(static_cast<int>(std::lround(c.t * 1000))) + (c.halfStrips ? "_half" : "") +
               (c.hemispheres == 1 ? "_north" : "");
    });
}
