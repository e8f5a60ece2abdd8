// The drawn surfaces against each other, for both methods: the seam-free
// copies are their blocks turned into place (as a graphics interface would
// turn them) and share every seam sample with the welded mesh to the last
// bit, so neighbouring copies meet exactly; and every welded vertex is the
// exact surface's point of its origin, so the lines drawn by origin, the
// tracks and the double curves lie on the surface that is shown. The cheaper
// first-order exact point, which the double-curve search refines with, is the
// full one's value and tangents to the last bit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "viewer/ExactSurface.h"
#include "viewer/SeamFreeSurface.h"
#include "viewer/SurfaceCopy.h"
#include "viewer/SurfaceMesh.h"
#include "viewer/SurfaceWeld.h"

namespace {
// Float samples of unit size turned in double and rounded once: a few ulps.
constexpr double turnTolerance = 1e-6;
// Float samples (up to a few units from the centre) against a double
// evaluation; the corrugations' pole rows sit 1e-9 off the pole.
constexpr double samePoint = 1e-5;

struct Case {
    EversionMethod method;
    int around;  // strips or lobes
    double t;
    bool halfStrips;
    int hemispheres;
};

void build(SurfaceMesh& mesh, const Case& c)
{
    mesh.setMethod(c.method);
    if (c.method == EversionMethod::Ruled)
        mesh.setLobes(c.around);
    else
        mesh.totalStrips = mesh.stripsShown = c.around;
    mesh.hemispheres = c.hemispheres;
    mesh.t = c.t;
    mesh.rebuild(c.halfStrips);
}

class DrawnSurface : public testing::TestWithParam<Case> {};

TEST_P(DrawnSurface, SeamFreeCopiesAreTheTurnedBlocksAndShareTheWeldsVertices)
{
    const Case c = GetParam();
    SurfaceMesh mesh;
    build(mesh, c);
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

TEST_P(DrawnSurface, EveryWeldedVertexIsTheExactPointOfItsOrigin)
{
    const Case c = GetParam();
    SurfaceMesh mesh;
    build(mesh, c);
    const IndexedMesh welded = weldSurface(mesh, c.halfStrips).mesh;
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

INSTANTIATE_TEST_SUITE_P(
    BothMethods, DrawnSurface,
    testing::Values(Case{EversionMethod::Corrugations, 8, 0.375, false, 2},
                    Case{EversionMethod::Corrugations, 8, 0.6, true, 2},
                    Case{EversionMethod::Corrugations, 5, 0.75, false, 1},
                    Case{EversionMethod::Ruled, 2, 0.5, false, 2},  // the poles meet in space, apart on the sphere
                    Case{EversionMethod::Ruled, 3, 0.3, true, 2},
                    Case{EversionMethod::Ruled, 4, 0.95, false, 1}),
    [](const testing::TestParamInfo<Case>& info) {
        const Case& c = info.param;
        return std::string(methodName(c.method)) + std::to_string(c.around) + "_t" +
               std::to_string(static_cast<int>(std::lround(c.t * 1000))) + (c.halfStrips ? "_half" : "") +
               (c.hemispheres == 1 ? "_north" : "");
    });

// Newton's steps must land where the drawn surface is: any rounding
// difference between the two paths would move double curves off it.
TEST(ExactSurface, FirstOrderPointIsTheFullPointsValueAndTangentsToTheBit)
{
    struct Surface {
        EversionMethod method;
        int around;
    };
    const Surface surfaces[] = {{EversionMethod::Corrugations, 8}, {EversionMethod::Corrugations, 5},
                                {EversionMethod::Corrugations, 3}, {EversionMethod::Ruled, 2},
                                {EversionMethod::Ruled, 4}};
    // Every corrugation stage at its start, inside it and at the very end.
    const double times[] = {0, 0.05, 0.1, 0.17, 0.23, 0.4, 0.6, 0.75, 0.93, 0.97, 1};
    const auto same = [](double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; };
    for (const Surface& c : surfaces)
        for (const double t : times) {
            const ExactSurface surface = exactSurface(c.method, c.around, t);
            // Both poles, both hemispheres, and a longitude step that falls
            // on no strip border.
            for (int i = 0; i <= 24; ++i)
                for (int j = 0; j < 29; ++j) {
                    const Origin origin{-90.0 + 7.5 * i, -180.0 + 360.0 * j / 29};
                    const Jet4Vec full = exactPoint(surface, origin);
                    const Jet3Vec cheap = exactPointFirstOrder(surface, origin);
                    const Jet4* f[] = {&full.x, &full.y, &full.z};
                    const Jet3* r[] = {&cheap.x, &cheap.y, &cheap.z};
                    for (int k = 0; k < 3; ++k)
                        ASSERT_TRUE(same(f[k]->value, r[k]->value) && same(f[k]->du, r[k]->du) &&
                                    same(f[k]->dv, r[k]->dv))
                            << methodName(c.method) << " " << c.around << " t " << t << " at " << origin.latitude
                            << ", " << origin.longitude << " coordinate " << k;
                }
        }
}
}
