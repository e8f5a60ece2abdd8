#pragma once
// Draws the sampled surface with fixed-function OpenGL: the one-strip grid of
// the mesh replayed under rotations, once per shown strip of each shown
// hemisphere, in the display mode asked for (0 points, 1 wireframe, 2 strips,
// 3 checkerboard, 4 alternate rows). Rebuilds the grid first when it is
// stale. The caller sets colour, lighting, blending and culling; needs a
// current OpenGL context.
#include "viewer/SurfaceMesh.h"

void drawSurface(SurfaceMesh& mesh, int displayMode, bool halfStrips);
