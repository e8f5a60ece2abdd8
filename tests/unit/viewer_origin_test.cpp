// The origin of every surface point: the map from grid places to the
// latitude and longitude of the t = 0 sphere, its texture form and inverse,
// and the lines built on it (graticule and tracks) against the sampled mesh.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <unordered_map>
#include <vector>

#include "eversion/Eversion.h"
#include "viewer/OriginLines.h"
#include "viewer/SurfaceCopy.h"
#include "viewer/SurfaceMesh.h"

namespace {
constexpr double pi = 3.141592653589793;
constexpr double degree = pi / 180;

// The copy layout as the renderers' matrices lay it out (a turn of
// copyTurnDegrees about z, then of copyFlipDegrees about y), with the
// strip's angle taken exactly rather than as the float the renderers get.
void placeCopy(const double p[3], int h, int s, int n, double out[3])
{
    const SurfaceCopy copy = surfaceCopyOf(EversionMethod::Corrugations, n, h, s);
    const double exact = (h == 0 ? -s : s + 1) * 360.0 / n;
    EXPECT_NEAR(copyTurnDegrees(copy), exact, 1e-4);
    const double a = exact * degree;
    const double x = p[0] * std::cos(a) - p[1] * std::sin(a);
    const double y = p[0] * std::sin(a) + p[1] * std::cos(a);
    const double b = copyFlipDegrees(copy) * degree;
    out[0] = x * std::cos(b) + p[2] * std::sin(b);
    out[1] = y;
    out[2] = -x * std::sin(b) + p[2] * std::cos(b);
}

double longitudeGap(double a, double b)
{
    return std::fabs(std::remainder(a - b, 360.0));
}

// Every vertex of the mesh's shown copies, placed, found again by position.
struct PlacedVertices {
    static long key(double x) { return std::lround(std::floor(x * 100)); }
    static long cell(const double p[3]) { return (key(p[0]) * 1000 + key(p[1])) * 1000 + key(p[2]); }
    std::unordered_map<long, std::vector<std::array<double, 3>>> cells;

    explicit PlacedVertices(const SurfaceMesh& m)
    {
        for (int h = 0; h < m.hemispheres; ++h)
            for (int s = 0; s < m.stripsShown; ++s)
                for (int r = 0; r < m.gridRows(); ++r)
                    for (int j = 0; j < m.gridColumns(); ++j) {
                        const float* f = m.grid[r][j].position;
                        const double local[3] = {f[0], f[1], f[2]};
                        std::array<double, 3> w;
                        placeCopy(local, h, s, m.totalStrips, w.data());
                        cells[cell(w.data())].push_back(w);
                    }
    }
    // Distance to the nearest placed vertex (searching the neighbouring cells).
    double nearest(const float q[3]) const
    {
        double best = 1e9;
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                for (int dz = -1; dz <= 1; ++dz) {
                    const double p[3] = {q[0] + dx * 0.01, q[1] + dy * 0.01, q[2] + dz * 0.01};
                    const auto found = cells.find(cell(p));
                    if (found == cells.end())
                        continue;
                    for (const auto& w : found->second)
                        best = std::fmin(best, std::hypot(w[0] - q[0], w[1] - q[1], w[2] - q[2]));
                }
        return best;
    }
};
}

TEST(Origin, GridPlacesMapToTheLatitudeAndLongitudeOfTheirSpherePoint)
{
    for (const int n : {1, 3, 8, 13})
        for (const double vMax : {1.0, 0.5})  // whole and half strips
            for (int h = 0; h < 2; ++h)
                for (int s = 0; s < n; ++s)
                    for (int i = 0; i <= 10; ++i)
                        for (int j = 0; j <= 7; ++j) {
                            const double u = i / 10.0, v = vMax * j / 7;
                            const Jet4Vec p = stageCorrugate(Jet8(u, 1, 0), Jet8(v, 0, 1), 0, n);
                            const double local[3] = {p.x.value, p.y.value, p.z.value};
                            double w[3];
                            placeCopy(local, h, s, n, w);
                            const Origin o = gridOrigin(u, v, h, s, n);
                            SCOPED_TRACE(testing::Message() << "n " << n << " h " << h << " s " << s << " u " << u
                                                            << " v " << v);
                            EXPECT_NEAR(o.latitude, std::atan2(w[2], std::hypot(w[0], w[1])) / degree, 1e-12);
                            if (i > 0) {  // the pole has every longitude
                                EXPECT_LT(longitudeGap(o.longitude, std::atan2(w[1], w[0]) / degree), 1e-12);
                            }
                            EXPECT_GE(o.longitude, -180);
                            EXPECT_LT(o.longitude, 180);

                            // The texture transform addresses the same place.
                            const OriginTextureTransform m = originTextureTransform(h, s, n);
                            const double ts = m.su * u + m.sv * v + m.s0, tt = m.tu * u + m.tv * v + m.t0;
                            EXPECT_NEAR(tt, (90 - o.latitude) / 180, 1e-12);
                            if (i > 0) {
                                EXPECT_LT(longitudeGap(ts * 360 - 180, o.longitude), 1e-9);
                            }

                            // And the inverse finds a place of the same origin.
                            const GridPlace back = placeOfOrigin(o, n);
                            const Origin again = gridOrigin(back.u, back.v, back.hemisphere, back.strip, n);
                            EXPECT_NEAR(again.latitude, o.latitude, 1e-9);
                            if (i > 0) {
                                EXPECT_LT(longitudeGap(again.longitude, o.longitude), 1e-9);
                            }
                            EXPECT_GE(back.v, 0);
                            EXPECT_LE(back.v, 1);
                        }
}

TEST(Origin, GraticulePointsLieOnTheSampledSurface)
{
    // 15-degree lines fall on rows and columns of this grid: latitudes on
    // rows u = k / 6, the line samples along a meridian on rows k / 64, and
    // across a strip of 45 degrees on columns k / 48.
    SurfaceMesh mesh;
    mesh.latitudinalPatches = 192;
    mesh.longitudinalPatches = 48;
    for (const double t : {0.0, 0.05, 0.3, 0.45, 0.7, 0.97, 1.0}) {
        mesh.t = t;
        mesh.dirty = true;
        mesh.prepare(false);
        const PlacedVertices placed(mesh);
        const std::vector<Polyline> lines = graticuleLines(mesh, false, 15);
        // Six parallels (75 .. 15 and the equator) on each of 16 copies; in
        // each hemisphere 24 meridians, the 7 on inner strip borders twice.
        EXPECT_EQ(lines.size(), 16u * 6 + 2 * (24 + 7));
        double worst = 0;
        for (const Polyline& line : lines)
            for (size_t k = 0; k < line.points.size(); k += 3)
                worst = std::fmax(worst, placed.nearest(&line.points[k]));
        EXPECT_LT(worst, 1e-6) << "t = " << t;
    }
}

TEST(Origin, GraticuleLinesAtTheStartAreParallelsAndMeridians)
{
    SurfaceMesh mesh;
    mesh.totalStrips = 5;
    mesh.stripsShown = 3;
    for (const Polyline& line : graticuleLines(mesh, true, 30)) {
        ASSERT_GE(line.points.size(), 6u);
        const float* a = &line.points[0];
        const float* b = &line.points[line.points.size() - 3];
        const bool parallel = std::fabs(a[2] - b[2]) < 1e-6;
        for (size_t k = 0; k < line.points.size(); k += 3) {
            const float* p = &line.points[k];
            EXPECT_NEAR(std::hypot(p[0], p[1], p[2]), 1, 1e-6);
            const double latitude = std::asin(std::fmin(1, p[2])) / degree;
            if (parallel) {
                EXPECT_NEAR(std::remainder(latitude, 30), 0, 1e-4);
            } else if (std::hypot(p[0], p[1]) > 1e-3) {
                EXPECT_NEAR(std::remainder(std::atan2(p[1], p[0]) / degree, 30), 0, 1e-4);
            }
        }
    }
}

TEST(Origin, TrackMarkersFollowTheSampledPointOfTheirOrigin)
{
    SurfaceMesh mesh;
    mesh.latitudinalPatches = 10;
    mesh.longitudinalPatches = 6;
    mesh.totalStrips = 7;
    // Origins on grid vertices of several copies; the pole row is left out,
    // as the sampler moves it a hair off the pole.
    const GridPlace places[] = {{0, 0, 0.3, 0.5}, {0, 6, 1.0, 1.0 / 6}, {1, 2, 0.7, 0}, {1, 4, 0.1, 1}};
    for (const double t : {0.0, 0.08, 0.2, 0.41, 0.6, 0.8, 0.95, 1.0}) {
        mesh.t = t;
        mesh.dirty = true;
        mesh.prepare(false);
        for (const GridPlace& p : places) {
            const Origin o = gridOrigin(p.u, p.v, p.hemisphere, p.strip, mesh.totalStrips);
            float marker[3];
            trackPoint(o, EversionMethod::Corrugations, mesh.totalStrips, t, marker);
            const float* f =
                mesh.grid[std::lround(p.u * 10)][std::lround(p.v * 6)].position;
            const double local[3] = {f[0], f[1], f[2]};
            double expected[3];
            placeCopy(local, p.hemisphere, p.strip, mesh.totalStrips, expected);
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(marker[c], expected[c], 1e-6) << "t " << t << " origin " << o.latitude << ", "
                                                          << o.longitude;
            // At the ends: the sphere point of the origin, then its antipode.
            const double sphere[3] = {std::cos(o.latitude * degree) * std::cos(o.longitude * degree),
                                      std::cos(o.latitude * degree) * std::sin(o.longitude * degree),
                                      std::sin(o.latitude * degree)};
            if (t == 0 || t == 1) {
                for (int c = 0; c < 3; ++c)
                    EXPECT_NEAR(marker[c], (t == 0 ? 1 : -1) * sphere[c], 1e-6);
            }
        }
    }
    // The line is the marker at t = k / trackSegments.
    const Origin o{-20, 130};
    const Polyline line = trackLine(o, EversionMethod::Corrugations, 7);
    ASSERT_EQ(line.points.size(), 3u * (trackSegments + 1));
    for (const int k : {0, 37, 92, 240, 372, trackSegments}) {
        float p[3];
        trackPoint(o, EversionMethod::Corrugations, 7, static_cast<double>(k) / trackSegments, p);
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(line.points[3 * k + c], p[c]);
    }
}

TEST(Origin, TextureHoldsTheSchemeColoursAndEveryOtherBand)
{
    OriginLook look;
    look.colours = ColourScheme::Latitude;
    look.bands = BandKind::Longitude;
    look.bandCount = 6;
    const Picture texture = originTexture(look);
    ASSERT_EQ(texture.width, 2 * texture.height);
    long drawn = 0;
    for (int row = 0; row < texture.height; row += 37)
        for (int column = 0; column < texture.width; ++column) {
            const unsigned char* texel = &texture.rgba[(static_cast<size_t>(row) * texture.width + column) * 4];
            float rgb[3];
            latitudeColour(90 - (row + 0.5) * 180 / texture.height, rgb);
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(texel[c], rgb[c] * 255, 0.51);
            // Bands of 60 degrees of longitude from -180: the first drawn.
            const double longitude = -180 + (column + 0.5) * 360 / texture.width;
            EXPECT_EQ(texel[3], static_cast<int>(std::floor((longitude + 180) / 60)) % 2 == 0 ? 255 : 0);
            drawn += texel[3] != 0;
        }
    EXPECT_EQ(drawn * 2, static_cast<long>(texture.width) * ((texture.height + 36) / 37));
}
