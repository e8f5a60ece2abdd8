#include "draw/MeshDraw.h"

#include <GL/gl.h>

#include "viewer/SurfaceLook.h"

namespace {
inline void sendVertex(const SurfaceVertex& vertex)
{
    glNormal3fv(vertex.normal);
    glVertex3fv(vertex.position);
}

// One triangle strip along row r: the zig-zag between rows r and r + 1.
void drawRowStrip(SurfaceVertex** grid, int r, int columns)
{
    glBegin(GL_TRIANGLE_STRIP);
    for (int j = 0; j <= columns; ++j) {
        sendVertex(grid[r][j]);
        sendVertex(grid[r + 1][j]);
    }
    glEnd();
}

void drawGrid(SurfaceVertex** grid, int rows, int columns, int displayMode, int hemisphere)
{
    switch (displayMode) {
    case 0:
        glBegin(GL_POINTS);
        for (int r = 0; r <= rows; ++r)
            for (int j = 0; j <= columns; ++j)
                sendVertex(grid[r][j]);
        glEnd();
        break;
    case 1:
    case 2:
        for (int r = 0; r < rows; ++r)
            drawRowStrip(grid, r, columns);
        break;
    case 3:
        // Cells with r + j even, so neighbouring cells alternate.
        for (int r = 0; r < rows; ++r)
            for (int j = r % 2; j < columns; j += 2) {
                glBegin(GL_TRIANGLE_STRIP);
                sendVertex(grid[r][j]);
                sendVertex(grid[r + 1][j]);
                sendVertex(grid[r][j + 1]);
                sendVertex(grid[r + 1][j + 1]);
                glEnd();
            }
        break;
    case 4:
        // The two hemispheres show complementary bands.
        for (int r = hemisphere % 2; r < rows; r += 2)
            drawRowStrip(grid, r, columns);
        break;
    default:
        break;
    }
}
}

void drawSurface(SurfaceMesh& mesh, int displayMode, bool halfStrips)
{
    mesh.prepare(halfStrips);

    // The sampled strip winds clockwise seen from its front (outer) side.
    glFrontFace(GL_CW);
    glMatrixMode(GL_MODELVIEW);
    for (int h = 0; h < mesh.hemispheres; ++h) {
        glPushMatrix();
        glRotatef(hemisphereTurnDegrees(h), 0, 1, 0);
        for (int s = 0; s < mesh.stripsShown; ++s) {
            glPushMatrix();
            glRotatef(stripTurnDegrees(h, s, mesh.totalStrips), 0, 0, 1);
            drawGrid(mesh.grid, mesh.gridRows() - 1, mesh.gridColumns() - 1, displayMode, h);
            glPopMatrix();
        }
        glPopMatrix();
    }
}

