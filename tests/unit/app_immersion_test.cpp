// The eversion is a regular homotopy: at every moment the sampled surface is
// an immersion (its tangents never become parallel away from the pole) and
// the copies of the one sampled strip close up into a sphere without gaps.
//
// The sweep covers 1,001 times from 0 to 1 with the viewer's default grid
// (12 x 12 patches, 8 strips): about 182,000 stage evaluations for the
// tangents plus the same again for the mesh rebuilds they are checked
// against, about 0.2 s in Release.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "viewer/SurfaceMesh.h"
#include "eversion/Eversion.h"

namespace {

constexpr int timeSteps = 1000;
constexpr int strips = 8;
constexpr int patches = 12;
constexpr double pi = 3.141592653589793;

// Smallest |Pu x Pv| (area stretch of the (u, v) parametrisation) accepted
// off the pole row. The sweep's minimum is 0.113 (at t = 0.767, u = 5/12,
// v = 3/4; printed by the test); a fold or a pinch drives it to zero, so a
// bound at about a quarter of that flags any collapse while leaving room for
// harmless changes of shape.
constexpr double minimumAreaStretch = 0.03;

// Positions (below 2 in size) and unit normals are stored as floats, where
// an ulp is at most 2.4e-7. A seam point compared after a rotation carries
// the rounding of both copies plus the rotation's mixing of two coordinates:
// within 2 ulps. The construction itself closes the seams to double rounding.
constexpr double seamTolerance = 5e-7;

struct Stage {
    double start;
    StageFunction function;
};

// The viewer's schedule, latest stage first: a time equal to a start time
// belongs to the stage that starts there.
const Stage schedule[] = {{0.93, stageSmooth}, {0.6, stageRelease}, {0.23, stageTwist},
                          {0.1, stagePushThrough}, {0.0, stageCorrugate}};

struct StageAtTime {
    StageFunction function;
    double fraction;
};

StageAtTime stageAt(double t)
{
    double end = 1.0;
    for (const Stage& stage : schedule) {
        if (stage.start <= t)
            return {stage.function, (t - stage.start) / (end - stage.start)};
        end = stage.start;
    }
    return {nullptr, 0};
}

struct Vec {
    double x, y, z;
};

Vec cross(Vec a, Vec b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double length(Vec a)
{
    return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
}

double distance(Vec a, Vec b)
{
    return length({a.x - b.x, a.y - b.y, a.z - b.z});
}

// Rotations as the viewer draws the copies (glRotatef about z, then the half
// turn about y for the second hemisphere); angles in turns.
Vec rotateZ(Vec p, double turns)
{
    const double c = std::cos(2 * pi * turns);
    const double s = std::sin(2 * pi * turns);
    return {c * p.x - s * p.y, s * p.x + c * p.y, p.z};
}

Vec halfTurnAboutY(Vec p)
{
    return {-p.x, p.y, -p.z};
}

Vec position(const SurfaceVertex& vertex)
{
    return {vertex.position[0], vertex.position[1], vertex.position[2]};
}

Vec normal(const SurfaceVertex& vertex)
{
    return {vertex.normal[0], vertex.normal[1], vertex.normal[2]};
}

struct Worst {
    double value = 1e300;
    double t = 0, u = 0, v = 0;
};

// Evaluates the grid the way the sampler does (pole rows moved a hair off
// the pole) and keeps the smallest |Pu x Pv| off the pole row. The vertices
// made from these evaluations are returned so that they can be matched
// against the application's own rebuild.
std::vector<SurfaceVertex> sampleWithTangents(double t, Worst& worst, int& poleRows)
{
    const StageAtTime stage = stageAt(t);
    std::vector<SurfaceVertex> vertices((patches + 1) * (patches + 1));
    for (int i = 0; i <= patches; ++i) {
        double u = double(i) / patches;
        const Jet4Vec probe = stage.function(Jet8(u, 1, 0), Jet8(0, 0, 1), stage.fraction, strips);
        if (length({probe.x.dv, probe.y.dv, probe.z.dv}) == 0) {
            u = u < 1 ? u + 1e-9 : u - 1e-9;
            ++poleRows;
        }
        for (int j = 0; j <= patches; ++j) {
            const double v = double(j) / patches;
            const Jet4Vec p = stage.function(Jet8(u, 1, 0), Jet8(v, 0, 1), stage.fraction, strips);
            makeSurfaceVertex(p, vertices[i * (patches + 1) + j]);
            if (i == 0)
                continue;
            const double stretch = length(cross({p.x.du, p.y.du, p.z.du}, {p.x.dv, p.y.dv, p.z.dv}));
            if (stretch < worst.value)
                worst = {stretch, t, u, v};
        }
    }
    return vertices;
}

bool sameBits(const SurfaceVertex& a, const SurfaceVertex& b)
{
    for (int k = 0; k < 3; ++k)
        if (a.position[k] != b.position[k] || a.normal[k] != b.normal[k])
            return false;
    return true;
}

SurfaceVertex transformed(const SurfaceVertex& vertex, bool secondHemisphere, double turnsAboutZ)
{
    Vec p = rotateZ(position(vertex), turnsAboutZ);
    Vec n = rotateZ(normal(vertex), turnsAboutZ);
    if (secondHemisphere) {
        p = halfTurnAboutY(p);
        n = halfTurnAboutY(n);
    }
    return {{float(p.x), float(p.y), float(p.z)}, {float(n.x), float(n.y), float(n.z)}};
}

}  // namespace

TEST(Immersion, SurfaceStaysRegularAndClosedThroughoutTheEversion)
{
    Worst worst;
    double worstEquator = 0;
    double worstEquatorNormal = 0;
    double worstStripSeam = 0;
    double worstStripSeamNormal = 0;
    int poleRows = 0;
    int mismatches = 0;

    for (int k = 0; k <= timeSteps; ++k) {
        const double t = double(k) / timeSteps;
        SurfaceMesh mesh;
        mesh.t = t;
        mesh.rebuild(false);
        ASSERT_EQ(mesh.gridRows(), patches + 1);
        const std::vector<SurfaceVertex> grid = sampleWithTangents(t, worst, poleRows);

        // The tangents above belong to exactly the surface the viewer draws.
        for (int i = 0; i <= patches; ++i)
            for (int j = 0; j <= patches; ++j)
                if (!sameBits(mesh.grid[i][j], grid[i * (patches + 1) + j]))
                    ++mismatches;

        // Neighbouring strips: a strip turns by -v/8 turn about z across its
        // width, so its v = 1 edge is its v = 0 edge turned by -1/8 turn,
        // which is where hemisphere 0 draws the next strip (k = -(s + 1)).
        // Positions and normals must both continue.
        for (int i = 0; i <= patches; ++i) {
            const SurfaceVertex& last = mesh.grid[i][patches];
            const SurfaceVertex next = transformed(mesh.grid[i][0], false, -1.0 / strips);
            worstStripSeam = std::max(worstStripSeam, distance(position(last), position(next)));
            worstStripSeamNormal = std::max(worstStripSeamNormal, distance(normal(last), normal(next)));
        }

        // The equator rows of both hemispheres, as drawn: strip s of
        // hemisphere 0 turned by -s/8 turn about z, strip s of hemisphere 1
        // by (s + 1)/8 and then half a turn about y. The half turn mirrors
        // the sense of v, so column j of the second ring lands on column
        // 12 - j of the first: the two rings are one ring, point for point,
        // with the same normals (the hemispheres join smoothly). Pairing by
        // index rather than by nearest point stays valid where the ring
        // passes through itself.
        for (int s = 0; s < strips; ++s)
            for (int j = 0; j <= patches; ++j) {
                const SurfaceVertex a = transformed(mesh.grid[patches][patches - j], false, -double(s) / strips);
                const SurfaceVertex b = transformed(mesh.grid[patches][j], true, double(s + 1) / strips);
                worstEquator = std::max(worstEquator, distance(position(a), position(b)));
                worstEquatorNormal = std::max(worstEquatorNormal, distance(normal(a), normal(b)));
            }
    }

    std::printf("min |Pu x Pv| off the pole row: %.6g at t = %.3f, u = %.6f, v = %.6f\n", worst.value, worst.t,
                worst.u, worst.v);
    std::printf("strip seam gap %.3g (normals %.3g); equator gap %.3g (normals %.3g); pole rows moved: %d\n",
                worstStripSeam, worstStripSeamNormal, worstEquator, worstEquatorNormal, poleRows);

    EXPECT_EQ(mismatches, 0) << "the replicated sampling differs from the mesh rebuild";
    EXPECT_GT(worst.value, minimumAreaStretch)
        << "at t = " << worst.t << ", u = " << worst.u << ", v = " << worst.v;
    EXPECT_LT(worstStripSeam, seamTolerance);
    EXPECT_LT(worstStripSeamNormal, seamTolerance);
    EXPECT_LT(worstEquator, seamTolerance);
    EXPECT_LT(worstEquatorNormal, seamTolerance);
    // Only the pole row u = 0 degenerates, at every one of the times.
    EXPECT_EQ(poleRows, timeSteps + 1);
}
