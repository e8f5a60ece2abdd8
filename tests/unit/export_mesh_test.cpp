// The welded export mesh against the geometry it must have: a closed sphere
// (every edge in two triangles, consistently wound, V - E + F = 2) whenever
// the whole surface is shown, on the unit sphere at both ends of the
// eversion with the front side outside first and inside last, and built
// from exactly the viewer's samples.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

#include "viewer/SurfaceWeld.h"
#include "viewer/SurfaceMesh.h"

namespace {
// Samples are floats of unit size, rotated in double: a few float ulps.
constexpr double positionTolerance = 1e-6;
// The pole rows sit 1e-9 in u off the pole, so even they are on the sphere
// to float precision.
constexpr double sphereTolerance = 1e-6;

struct Case {
    double t;
    int strips, latitude, longitude;
};

IndexedMesh build(const Case& c, SurfaceMesh& mesh, int shown = -1, int hemispheres = 2, bool half = false)
{
    mesh.t = c.t;
    mesh.totalStrips = c.strips;
    mesh.stripsShown = shown < 0 ? c.strips : shown;
    mesh.hemispheres = hemispheres;
    mesh.latitudinalPatches = c.latitude;
    mesh.longitudinalPatches = c.longitude;
    mesh.rebuild(half);
    return weldSurface(mesh, half).mesh;
}

const float* at(const std::vector<float>& v, std::size_t i) { return &v[3 * i]; }
double dot(const float* a, const float* b) { return double(a[0]) * b[0] + double(a[1]) * b[1] + double(a[2]) * b[2]; }

// Twice the area of a triangle.
double doubleArea(const IndexedMesh& m, std::size_t f)
{
    const float* a = at(m.positions, m.indices[3 * f]);
    const float* b = at(m.positions, m.indices[3 * f + 1]);
    const float* c = at(m.positions, m.indices[3 * f + 2]);
    const double u[3] = {double(b[0]) - a[0], double(b[1]) - a[1], double(b[2]) - a[2]};
    const double v[3] = {double(c[0]) - a[0], double(c[1]) - a[1], double(c[2]) - a[2]};
    const double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
    return std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
}
}

TEST(ExportMesh, WholeSurfaceIsAClosedSphereAtEveryTime)
{
    // Odd and even strip and patch counts: the equator weld pairs columns
    // running in opposite senses, which an off-by-one would tear.
    const Case cases[] = {{0, 8, 12, 12}, {1, 8, 12, 12}, {0.5, 8, 12, 12}, {0.3, 5, 7, 5},
                          {0.75, 3, 2, 2}, {0.15, 1, 4, 3},  {0.95, 11, 9, 16}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "t " << c.t << " strips " << c.strips << " patches " << c.latitude
                                          << "x" << c.longitude);
        SurfaceMesh surface;
        const IndexedMesh m = build(c, surface);
        const MeshTopology topology = analyseTopology(m.indices);
        EXPECT_TRUE(topology.closedManifold()) << topology.boundaryEdges << " boundary, " << topology.overfullEdges
                                               << " overfull, " << topology.misorientedEdges << " misoriented";
        EXPECT_EQ(topology.euler(), 2);
        EXPECT_EQ(topology.vertices, m.vertexCount());
        // Two poles plus a ring per row below them and the shared equator.
        EXPECT_EQ(m.vertexCount(), 2u + std::size_t(c.strips) * c.longitude * (2 * c.latitude - 1));
        for (std::size_t f = 0; f < m.triangleCount(); ++f)
            ASSERT_GT(doubleArea(m, f), 1e-12) << "triangle " << f;
        for (std::size_t v = 0; v < m.vertexCount(); ++v)
            ASSERT_NEAR(dot(at(m.normals, v), at(m.normals, v)), 1.0, 1e-5) << "vertex " << v;
    }
}

TEST(ExportMesh, EndsAreTheUnitSphereFacingOutThenIn)
{
    for (double t : {0.0, 1.0}) {
        SurfaceMesh surface;
        const IndexedMesh m = build({t, 8, 12, 12}, surface);
        const double side = t == 0 ? 1 : -1;
        for (std::size_t v = 0; v < m.vertexCount(); ++v) {
            const float* p = at(m.positions, v);
            ASSERT_NEAR(std::sqrt(dot(p, p)), 1.0, sphereTolerance) << "t " << t << " vertex " << v;
            // The front normal is the radial direction, outward at the start.
            ASSERT_NEAR(dot(at(m.normals, v), p), side, 1e-4) << "t " << t << " vertex " << v;
            // And the vertex sits at its origin's sphere point, or its antipode.
            const double lat = m.origins[2 * v] * std::numbers::pi / 180, lon = m.origins[2 * v + 1] * std::numbers::pi / 180;
            ASSERT_NEAR(p[2], side * std::sin(lat), sphereTolerance);
            ASSERT_NEAR(p[0], side * std::cos(lat) * std::cos(lon), sphereTolerance);
        }
        // Counter-clockwise seen from the front: the winding agrees with the
        // normals.
        for (std::size_t f = 0; f < m.triangleCount(); ++f) {
            const float* a = at(m.positions, m.indices[3 * f]);
            const float* b = at(m.positions, m.indices[3 * f + 1]);
            const float* c = at(m.positions, m.indices[3 * f + 2]);
            const float u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
            const float w[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
            const float n[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
            ASSERT_GT(dot(n, at(m.normals, m.indices[3 * f])), 0) << "t " << t << " triangle " << f;
        }
    }
}

TEST(ExportMesh, WeldJoinsOnlyNeighbouringSamples)
{
    // A sample welded to the wrong partner pulls its triangles across the
    // surface; rotations keep lengths, so no triangle edge may be longer
    // than the longest step between neighbouring grid samples.
    struct Layout {
        Case c;
        int shown, hemispheres;
        bool half;
    } layouts[] = {{{0.5, 5, 6, 7}, 5, 2, false}, {{0.62, 8, 10, 9}, 8, 2, true}, {{0.2, 6, 5, 4}, 4, 2, false}};
    for (const Layout& l : layouts) {
        SurfaceMesh surface;
        const IndexedMesh m = build(l.c, surface, l.shown, l.hemispheres, l.half);
        double longestStep = 0;
        for (int r = 0; r < surface.gridRows(); ++r)
            for (int j = 0; j < surface.gridColumns(); ++j)
                for (auto [dr, dj] : {std::pair{1, 0}, {0, 1}, {1, 1}}) {
                    if (r + dr >= surface.gridRows() || j + dj >= surface.gridColumns())
                        continue;
                    const float* a = surface.grid[r][j].position;
                    const float* b = surface.grid[r + dr][j + dj].position;
                    const float d[3] = {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
                    longestStep = std::max(longestStep, std::sqrt(dot(d, d)));
                }
        for (std::size_t f = 0; f < m.indices.size(); f += 3)
            for (int k = 0; k < 3; ++k) {
                const float* a = at(m.positions, m.indices[f + k]);
                const float* b = at(m.positions, m.indices[f + (k + 1) % 3]);
                const float d[3] = {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
                ASSERT_LE(std::sqrt(dot(d, d)), longestStep + positionTolerance) << "triangle " << f / 3;
            }
    }
}

TEST(ExportMesh, PartialSurfacesAreOpen)
{
    struct Partial {
        int shown, hemispheres;
        bool half;
    } partials[] = {{7, 2, false}, {8, 1, false}, {8, 2, true}};
    for (const Partial& p : partials) {
        SurfaceMesh surface;
        const IndexedMesh m = build({0.4, 8, 6, 6}, surface, p.shown, p.hemispheres, p.half);
        const MeshTopology topology = analyseTopology(m.indices);
        EXPECT_GT(topology.boundaryEdges, 0u) << p.shown << " " << p.hemispheres << " " << p.half;
        EXPECT_EQ(topology.overfullEdges, 0u);
        EXPECT_EQ(topology.misorientedEdges, 0u);
    }
}

// The ruled method welds its two hemisphere blocks and its lunes the same
// way: closed at every time and lobe count, even while both poles meet in
// space, and every vertex's origin is where it sat on the sphere.
TEST(ExportMesh, RuledSurfaceIsClosedAndKnowsItsOrigins)
{
    constexpr int latitude = 7, longitude = 6;
    // Well beyond the surface's reach (it stays within about 3).
    constexpr double farOff = 10;
    for (int n = minLobes; n <= maxLobes; ++n)
        for (const double t : {0.0, 0.25, 0.5, 0.75, 1.0}) {
            SCOPED_TRACE(::testing::Message() << n << " lobes, t " << t);
            SurfaceMesh surface;
            surface.method = EversionMethod::Ruled;
            surface.setLobes(n);
            surface.t = t;
            surface.latitudinalPatches = latitude;
            surface.longitudinalPatches = longitude;
            surface.rebuild(false);
            const IndexedMesh m = weldSurface(surface, false).mesh;
            const MeshTopology topology = analyseTopology(m.indices);
            EXPECT_TRUE(topology.closedManifold());
            EXPECT_EQ(topology.euler(), 2);
            // Across a lune as many patches as eight strips have around it.
            const int across = (8 * longitude + n - 1) / n;
            EXPECT_EQ(m.vertexCount(), 2u + std::size_t(n) * across * (2 * latitude - 1));
            for (std::size_t v = 0; v < m.vertexCount(); ++v) {
                const float* p = at(m.positions, v);
                ASSERT_LT(std::sqrt(dot(p, p)), farOff);
                if (t == 0 || t == 1) {
                    const double lat = m.origins[2 * v] * std::numbers::pi / 180;
                    const double lon = m.origins[2 * v + 1] * std::numbers::pi / 180;
                    const double side = t == 0 ? 1 : -1;
                    const double sphere[3] = {side * std::cos(lat) * std::cos(lon), side * std::cos(lat) * std::sin(lon),
                                              side * std::sin(lat)};
                    for (int c = 0; c < 3; ++c)
                        ASSERT_NEAR(p[c], sphere[c], sphereTolerance) << "vertex " << v;
                }
            }
        }
}
