// What each display mode sends to OpenGL, read back through feedback mode
// (the real Mesa pipeline reports every primitive after transformation).
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "draw/MeshDraw.h"
#include "viewer/SurfaceMesh.h"

namespace {
struct Primitive {
    GLenum kind;                                // GL_POINT_TOKEN, GL_LINE_TOKEN or GL_POLYGON_TOKEN
    std::vector<std::array<float, 3>> vertices;  // window coordinates
};

// The surface fits in [-2, 2]^3; an orthographic view maps it onto the
// 512 x 512 window without clipping anything.
void setOrthoView()
{
    glViewport(0, 0, 512, 512);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-2, 2, -2, 2, -2, 2);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
}

std::vector<Primitive> feedback(SurfaceMesh& mesh, int displayMode)
{
    setOrthoView();
    if (displayMode == 1)
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    std::vector<GLfloat> buffer(1 << 22);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    drawSurface(mesh, displayMode, false);
    const GLint used = glRenderMode(GL_RENDER);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    EXPECT_GT(used, 0) << "feedback buffer overflow or nothing drawn";

    std::vector<Primitive> primitives;
    for (GLint i = 0; i < used;) {
        const GLenum token = static_cast<GLenum>(buffer[i++]);
        auto vertex = [&] {
            std::array<float, 3> v{buffer[i], buffer[i + 1], buffer[i + 2]};
            i += 3;
            return v;
        };
        if (token == GL_POINT_TOKEN) {
            primitives.push_back({GL_POINT_TOKEN, {vertex()}});
        } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
            auto a = vertex();
            primitives.push_back({GL_LINE_TOKEN, {a, vertex()}});
        } else if (token == GL_POLYGON_TOKEN) {
            const int n = static_cast<int>(buffer[i++]);
            Primitive p{GL_POLYGON_TOKEN, {}};
            for (int k = 0; k < n; ++k)
                p.vertices.push_back(vertex());
            primitives.push_back(p);
        } else {
            ADD_FAILURE() << "unexpected feedback token " << token;
            break;
        }
    }
    return primitives;
}

size_t countKind(const std::vector<Primitive>& primitives, GLenum kind)
{
    size_t n = 0;
    for (const Primitive& p : primitives)
        n += p.kind == kind;
    return n;
}

// Maps window coordinates back to the grid node (row, column) they came
// from; only meaningful with one strip of one hemisphere (no rotation).
std::pair<int, int> gridNode(const SurfaceMesh& mesh, const std::array<float, 3>& w)
{
    double best = 1e30;
    std::pair<int, int> node{-1, -1};
    for (int r = 0; r < mesh.gridRows(); ++r)
        for (int j = 0; j < mesh.gridColumns(); ++j) {
            const float* p = mesh.grid[r][j].position;
            const double dx = (p[0] + 2) / 4 * 512 - w[0];
            const double dy = (p[1] + 2) / 4 * 512 - w[1];
            const double dz = (-p[2] + 2) / 4 - w[2];  // ortho depth runs along -z
            const double d = dx * dx + dy * dy + 1e4 * dz * dz;
            if (d < best) {
                best = d;
                node = {r, j};
            }
        }
    return node;
}

// The cell (row, column) a triangle of the grid belongs to. Pole-row nodes
// all sit on one point, so the column is read from the nodes below them.
std::pair<int, int> cellOf(const SurfaceMesh& mesh, const Primitive& triangle)
{
    int row = 1 << 30, column = 1 << 30;
    for (const auto& v : triangle.vertices) {
        const auto [r, j] = gridNode(mesh, v);
        row = std::min(row, r);
        if (r > 0)
            column = std::min(column, j);
    }
    return {row, column};
}
}

TEST(SurfaceDraw, EveryModeSendsTheExpectedPrimitivesForAllStripsAndHemispheres)
{
    SurfaceMesh mesh;  // defaults: 12 x 12 patches, 8 strips, 2 hemispheres
    const size_t copies = 16;
    EXPECT_EQ(countKind(feedback(mesh, 0), GL_POINT_TOKEN), copies * 13 * 13);
    // Triangle strips over 12 rows of 12 cells: two triangles per cell.
    const size_t cellTriangles = copies * 12 * 12 * 2;
    EXPECT_EQ(countKind(feedback(mesh, 2), GL_POLYGON_TOKEN), cellTriangles);
    EXPECT_EQ(countKind(feedback(mesh, 1), GL_LINE_TOKEN), cellTriangles * 3);
    EXPECT_EQ(countKind(feedback(mesh, 3), GL_POLYGON_TOKEN), cellTriangles / 2);
    EXPECT_EQ(countKind(feedback(mesh, 4), GL_POLYGON_TOKEN), cellTriangles / 2);

    GLint frontFace = 0;
    glGetIntegerv(GL_FRONT_FACE, &frontFace);
    EXPECT_EQ(frontFace, GL_CW);
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);  // every push has its pop

    mesh.stripsShown = 3;
    mesh.hemispheres = 1;
    EXPECT_EQ(countKind(feedback(mesh, 0), GL_POINT_TOKEN), 3u * 13 * 13);
}

TEST(SurfaceDraw, CheckerboardAndAlternateRowsPickTheirCells)
{
    SurfaceMesh mesh;
    mesh.t = 0.3;  // a corrugated, twisted moment: grid nodes are far apart
    mesh.stripsShown = 1;
    mesh.hemispheres = 1;
    mesh.rebuild(false);

    std::map<std::pair<int, int>, int> checker;
    for (const Primitive& p : feedback(mesh, 3))
        ++checker[cellOf(mesh, p)];
    EXPECT_EQ(checker.size(), 72u);
    for (const auto& [cell, triangles] : checker) {
        EXPECT_EQ((cell.first + cell.second) % 2, 0) << cell.first << "," << cell.second;
        EXPECT_EQ(triangles, 2);
    }

    std::set<int> rows;
    for (const Primitive& p : feedback(mesh, 4))
        rows.insert(cellOf(mesh, p).first);
    EXPECT_EQ(rows, (std::set<int>{0, 2, 4, 6, 8, 10}));  // hemisphere 0 shows the even rows
}

TEST(SurfaceDraw, SecondHemisphereIsTheFirstTurnedHalfAboutY)
{
    SurfaceMesh mesh;
    mesh.stripsShown = 1;
    const std::vector<Primitive> both = feedback(mesh, 0);
    ASSERT_EQ(both.size(), 2u * 13 * 13);
    // Point k of hemisphere 1 is grid point k turned by 360 / 8 degrees about
    // z (its strip slot) and then by half a turn about y.
    const double angle = 2 * 3.141592653589793 / 8;
    for (size_t k = 0; k < 13 * 13; ++k) {
        const float* p = mesh.grid[k / 13][k % 13].position;
        const double qx = p[0] * std::cos(angle) - p[1] * std::sin(angle);
        const double qy = p[0] * std::sin(angle) + p[1] * std::cos(angle);
        const double x = -qx, y = qy, z = -p[2];
        const auto& w = both[13 * 13 + k].vertices[0];
        EXPECT_NEAR(w[0], (x + 2) / 4 * 512, 1e-3);
        EXPECT_NEAR(w[1], (y + 2) / 4 * 512, 1e-3);
        EXPECT_NEAR(w[2], (-z + 2) / 4, 1e-6);
    }
}
