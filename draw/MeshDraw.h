#pragma once
// Draws the sampled surface with fixed-function OpenGL: the grid blocks of
// the mesh replayed under rotations, once per copy (SurfaceCopy.h), in the
// display mode asked for (0 points, 1 wireframe, 2 strips,
// 3 checkerboard, 4 alternate rows). Rebuilds the grid first when it is
// stale. The caller sets colour, lighting, blending and culling; needs a
// current OpenGL context.
//
// With `textured`, each vertex also carries its grid parameters (u, v) as
// texture coordinates and each copy loads its own origin transform (see
// Origin.h) into the texture matrix, so the bound origin texture colours the
// surface by origin; the texture matrix is left at the identity. Without it
// no texture call is made at all.
#include "viewer/SurfaceMesh.h"

// With `seamFree` the copies are turned on the CPU (SeamFreeSurface.h) and
// drawn under the current matrix, so that their shared edges meet exactly.
void drawSurface(SurfaceMesh& mesh, int displayMode, bool halfStrips, bool textured = false, bool seamFree = false);
