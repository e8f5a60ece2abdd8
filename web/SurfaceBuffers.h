#pragma once
// The sampled grid in WebGL 2 buffers, its blocks drawn once per copy under
// the copy's modelview (SurfaceCopy.h). The grid's vertices go up once per rebuild; what is drawn
// from them depends on the display mode, as on the desktop:
//   0 every grid vertex as a point;
//   1 every edge of every strip triangle as a line (see the wire shader);
//   2 one triangle strip per row;
//   3 the cells whose row + column is even, one strip each;
//   4 every other row: even rows for the first hemisphere, odd for the second.
// Strips are separated by the fixed primitive-restart index of WebGL 2, so
// the triangles, their winding and their last (provoking) vertices are the
// desktop's. Index lists and edge lines are made on first use after a change.
//
// Needs the WebGL 2 context current for every call; one thread only.
#include <cstdint>
#include <vector>

#include "eversion/SurfaceSampler.h"

struct SurfaceBuffers {
    // Copies the grid: `blocks` blocks of rows x columns vertices, one after
    // the other in the row table.
    void upload(SurfaceVertex* const* grid, int rows, int columns, int blocks);
    // The grid parameters (u, v) of every vertex at attribute 2, for the
    // surface coloured by origin: made on first use after an upload or a
    // change of strip width, never for the plain surface.
    void useGridParameters(bool halfStrips);
    // Draws one copy in displayMode with the program and uniforms in place;
    // the wireframe needs the wire program (attributes 0..3), the others
    // position at attribute 0 and the normal at attribute 1.
    void draw(int displayMode, int hemisphere, int block);

private:
    struct Range {
        int first = 0;
        int count = 0;
    };
    void createObjects();
    void buildIndices(int displayMode);
    void buildWire();
    void pointAt(int block);

    unsigned int vertexArray = 0;
    unsigned int vertexBuffer = 0;
    unsigned int indexBuffer = 0;
    unsigned int parameterBuffer = 0;
    int parameterKey = -1;  // 0 whole strips, 1 half strips; -1 none
    unsigned int wireArray = 0;
    unsigned int wireBuffer = 0;
    int rows = 0;
    int columns = 0;
    int blocks = 0;
    int pointedBlock = 0;  // the block attributes 0 and 1 read
    int indexedMode = -1;  // display mode the index buffer holds, -1 none
    Range parts[2];        // index ranges: one per hemisphere parity
    bool wireBuilt = false;
    int wireVertices = 0;  // per block
    std::vector<SurfaceVertex> vertices;
    std::vector<std::uint32_t> indices;
    std::vector<float> wire;
};
