#include "app/SurfaceMesh.h"

#include <GL/gl.h>

#include "eversion/Eversion.h"
#include "geometry/check.h"

namespace {
// Stage start times of the eversion schedule.
constexpr double corrugateStart = 0.0;
constexpr double pushStart = 0.1;
constexpr double twistStart = 0.23;
constexpr double releaseStart = 0.6;
constexpr double smoothStart = 0.93;
}

SurfaceMesh::~SurfaceMesh()
{
    freeGrid();
    dirty = true;
}

// The size of the block is remembered at allocation, so freeing never depends
// on counts that an edit may already have changed.
void SurfaceMesh::freeGrid()
{
    if (!grid)
        return;
    rowTable.reset();
    vertices.reset();
    grid = nullptr;
    allocatedRows = allocatedColumns = 0;
}

void SurfaceMesh::rebuild(bool halfStrips)
{
    if (t < 0)
        t = 0;
    if (t > 1)
        t = 1;
    if (latitudinalPatches < 2)
        latitudinalPatches = 2;
    if (longitudinalPatches < 2)
        longitudinalPatches = 2;

    freeGrid();
    allocatedRows = latitudinalPatches + 1;
    allocatedColumns = longitudinalPatches + 1;
    vertices = std::make_unique<SurfaceVertex[]>(static_cast<size_t>(allocatedRows) * allocatedColumns);
    rowTable = std::make_unique<SurfaceVertex*[]>(allocatedRows);
    for (int r = 0; r < allocatedRows; ++r)
        rowTable[r] = vertices.get() + static_cast<size_t>(r) * allocatedColumns;
    grid = rowTable.get();

    evaluateEversion(grid, t, totalStrips, 0.0, latitudinalPatches, 1.0, 0.0, longitudinalPatches,
                     halfStrips ? 0.5 : 1.0, corrugateStart, pushStart, twistStart, releaseStart,
                     smoothStart);
    dirty = false;
}

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

void SurfaceMesh::drawSurface(int displayMode, bool halfStrips)
{
    if (dirty) {
        freeGrid();
        rebuild(halfStrips);
    }
    consistencyCheck(!dirty, 298, "main.cpp");

    // The sampled strip winds clockwise seen from its front (outer) side.
    glFrontFace(GL_CW);
    glMatrixMode(GL_MODELVIEW);
    for (int h = 0; h < hemispheres; ++h) {
        glPushMatrix();
        glRotatef(static_cast<float>(180.0 * h), 0, 1, 0);
        for (int s = 0; s < stripsShown; ++s) {
            glPushMatrix();
            // The second hemisphere is mirrored by the half turn about y, so
            // its strips are laid out in the opposite sense about z.
            const int k = h == 0 ? -s : s + 1;
            glRotatef(static_cast<float>(k * 360.0 / totalStrips), 0, 0, 1);
            drawGrid(grid, gridRows() - 1, gridColumns() - 1, displayMode, h);
            glPopMatrix();
        }
        glPopMatrix();
    }
}

void SurfaceMesh::increaseTime(double amount)
{
    if (t < 1) {
        freeGrid();
        t += amount;
        dirty = true;
    }
}

void SurfaceMesh::decreaseTime(double amount)
{
    if (t > 0) {
        freeGrid();
        t -= amount;
        dirty = true;
    }
}

void SurfaceMesh::addStrip()
{
    freeGrid();
    ++totalStrips;
    ++stripsShown;
    dirty = true;
}

void SurfaceMesh::removeStrip()
{
    if (totalStrips > 1) {
        freeGrid();
        --totalStrips;
        if (stripsShown > 1)
            --stripsShown;
        dirty = true;
    }
}

void SurfaceMesh::addLatitudinalPatch()
{
    freeGrid();
    ++latitudinalPatches;
    dirty = true;
}

void SurfaceMesh::addLongitudinalPatch()
{
    freeGrid();
    ++longitudinalPatches;
    dirty = true;
}

void SurfaceMesh::toggleHemispheres()
{
    hemispheres = hemispheres == 2 ? 1 : hemispheres + 1;
}
