#include "draw/MeshDraw.h"

#include <GL/gl.h>

#include <vector>

#include "viewer/Origin.h"
#include "viewer/SeamFreeSurface.h"
#include "viewer/SurfaceCopy.h"

namespace {
// The grid parameters of rows and columns, for the textured surface.
struct GridParameters {
    const float* u = nullptr;
    const float* v = nullptr;
};

template <bool Textured>
inline void sendVertex(SurfaceVertex* const* grid, int r, int j, const GridParameters& p)
{
    if constexpr (Textured)
        glTexCoord2f(p.u[r], p.v[j]);
    glNormal3fv(grid[r][j].normal);
    glVertex3fv(grid[r][j].position);
}

// One triangle strip along row r: the zig-zag between rows r and r + 1.
template <bool Textured>
void drawRowStrip(SurfaceVertex* const* grid, int r, int columns, const GridParameters& p)
{
    glBegin(GL_TRIANGLE_STRIP);
    for (int j = 0; j <= columns; ++j) {
        sendVertex<Textured>(grid, r, j, p);
        sendVertex<Textured>(grid, r + 1, j, p);
    }
    glEnd();
}

template <bool Textured>
void drawGrid(SurfaceVertex* const* grid, int rows, int columns, int displayMode, int hemisphere, const GridParameters& p)
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

void loadOriginTransform(const SurfaceCopy& copy)
{
    const OriginTextureTransform o = copyTextureTransform(copy);
    // Column-major: (u, v, 0, 1) -> (s, t, 0, 1).
    const double m[16] = {o.su, o.tu, 0, 0, o.sv, o.tv, 0, 0, 0, 0, 1, 0, o.s0, o.t0, 0, 1};
    glMatrixMode(GL_TEXTURE);
    glLoadMatrixd(m);
    glMatrixMode(GL_MODELVIEW);
}
}

void drawSurface(SurfaceMesh& mesh, int displayMode, bool halfStrips, bool textured, bool seamFree)
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
    SeamFreeSurface seams;
    std::vector<SurfaceVertex> turned;
    std::vector<SurfaceVertex*> turnedRows;
    if (seamFree) {
        seams.build(mesh, halfStrips);
        turned.resize(static_cast<size_t>(rows + 1) * (columns + 1));
        for (int r = 0; r <= rows; ++r)
            turnedRows.push_back(turned.data() + static_cast<size_t>(r) * (columns + 1));
    }

    // The sampled strip winds clockwise seen from its front (outer) side.
    glFrontFace(GL_CW);
    glMatrixMode(GL_MODELVIEW);
    // Copies come hemisphere by hemisphere: each hemisphere's turn about y
    // is pushed once and each copy's turn about z inside it. Seam-free
    // copies come turned already.
    const int copies = surfaceCopyCount(mesh);
    int openHemisphere = -1;
    for (int i = 0; i < copies; ++i) {
        const SurfaceCopy copy = surfaceCopy(mesh, i);
        SurfaceVertex* const* grid = mesh.block(copy.block);
        if (seamFree) {
            seams.fillCopy(mesh, i, turned.data());
            grid = turnedRows.data();
        } else {
            if (copy.hemisphere != openHemisphere) {
                if (openHemisphere >= 0)
                    glPopMatrix();
                glPushMatrix();
                glRotatef(copyFlipDegrees(copy), 0, 1, 0);
                openHemisphere = copy.hemisphere;
            }
            glPushMatrix();
            glRotatef(copyTurnDegrees(copy), 0, 0, 1);
        }
        if (textured) {
            loadOriginTransform(copy);
            drawGrid<true>(grid, rows, columns, displayMode, copy.hemisphere, parameters);
        } else {
            drawGrid<false>(grid, rows, columns, displayMode, copy.hemisphere, parameters);
        }
        if (!seamFree)
            glPopMatrix();
    }
    if (openHemisphere >= 0)
        glPopMatrix();
    if (textured) {
        glMatrixMode(GL_TEXTURE);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
    }
}
