#include "draw/MeshDraw.h"

#include <GL/gl.h>

#include <vector>

#include "viewer/Origin.h"
#include "viewer/SurfaceLook.h"

namespace {
// The grid parameters of rows and columns, for the textured surface.
struct GridParameters {
    const float* u = nullptr;
    const float* v = nullptr;
};

template <bool Textured>
inline void sendVertex(SurfaceVertex** grid, int r, int j, const GridParameters& p)
{
    if constexpr (Textured)
        glTexCoord2f(p.u[r], p.v[j]);
    glNormal3fv(grid[r][j].normal);
    glVertex3fv(grid[r][j].position);
}

// One triangle strip along row r: the zig-zag between rows r and r + 1.
template <bool Textured>
void drawRowStrip(SurfaceVertex** grid, int r, int columns, const GridParameters& p)
{
    glBegin(GL_TRIANGLE_STRIP);
    for (int j = 0; j <= columns; ++j) {
        sendVertex<Textured>(grid, r, j, p);
        sendVertex<Textured>(grid, r + 1, j, p);
    }
    glEnd();
}

template <bool Textured>
void drawGrid(SurfaceVertex** grid, int rows, int columns, int displayMode, int hemisphere, const GridParameters& p)
{
    switch (displayMode) {
    case 0:
        glBegin(GL_POINTS);
        for (int r = 0; r <= rows; ++r)
            for (int j = 0; j <= columns; ++j)
                sendVertex<Textured>(grid, r, j, p);
        glEnd();
        break;
    case 1:
    case 2:
        for (int r = 0; r < rows; ++r)
            drawRowStrip<Textured>(grid, r, columns, p);
        break;
    case 3:
        // Cells with r + j even, so neighbouring cells alternate.
        for (int r = 0; r < rows; ++r)
            for (int j = r % 2; j < columns; j += 2) {
                glBegin(GL_TRIANGLE_STRIP);
                sendVertex<Textured>(grid, r, j, p);
                sendVertex<Textured>(grid, r + 1, j, p);
                sendVertex<Textured>(grid, r, j + 1, p);
                sendVertex<Textured>(grid, r + 1, j + 1, p);
                glEnd();
            }
        break;
    case 4:
        // The two hemispheres show complementary bands.
        for (int r = hemisphere % 2; r < rows; r += 2)
            drawRowStrip<Textured>(grid, r, columns, p);
        break;
    default:
        break;
    }
}

void loadOriginTransform(int hemisphere, int strip, int totalStrips)
{
    const OriginTextureTransform o = originTextureTransform(hemisphere, strip, totalStrips);
    // Column-major: (u, v, 0, 1) -> (s, t, 0, 1).
    const double m[16] = {o.su, o.tu, 0, 0, o.sv, o.tv, 0, 0, 0, 0, 1, 0, o.s0, o.t0, 0, 1};
    glMatrixMode(GL_TEXTURE);
    glLoadMatrixd(m);
    glMatrixMode(GL_MODELVIEW);
}
}

void drawSurface(SurfaceMesh& mesh, int displayMode, bool halfStrips, bool textured)
{
    mesh.prepare(halfStrips);

    const int rows = mesh.gridRows() - 1;
    const int columns = mesh.gridColumns() - 1;
    std::vector<float> us, vs;
    GridParameters parameters;
    if (textured) {
        gridParameters(rows + 1, columns + 1, halfStrips, us, vs);
        parameters = {us.data(), vs.data()};
    }

    // The sampled strip winds clockwise seen from its front (outer) side.
    glFrontFace(GL_CW);
    glMatrixMode(GL_MODELVIEW);
    for (int h = 0; h < mesh.hemispheres; ++h) {
        glPushMatrix();
        glRotatef(hemisphereTurnDegrees(h), 0, 1, 0);
        for (int s = 0; s < mesh.stripsShown; ++s) {
            glPushMatrix();
            glRotatef(stripTurnDegrees(h, s, mesh.totalStrips), 0, 0, 1);
            if (textured) {
                loadOriginTransform(h, s, mesh.totalStrips);
                drawGrid<true>(mesh.grid, rows, columns, displayMode, h, parameters);
            } else {
                drawGrid<false>(mesh.grid, rows, columns, displayMode, h, parameters);
            }
            glPopMatrix();
        }
        glPopMatrix();
    }
    if (textured) {
        glMatrixMode(GL_TEXTURE);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
    }
}
