#pragma once
// Which origin lies under a pixel: the ray from the camera through the
// pixel's centre (from the mono eye, or in stereo from the eye of the half
// the pixel is in; along the view direction when orthographic) met with
// every drawn triangle of the sampled surface, both sides, culling or not.
// The nearest hit's grid place, interpolated across its triangle, is mapped
// to its origin (Origin.h). Pixels are window pixels, rows counted downward,
// as the mouse reports them. Pure; double arithmetic on the float mesh.
#include "viewer/Origin.h"

struct AppState;

// False when the ray misses the surface or the mesh holds no grid (the
// caller prepares it first). The origin is exact at the grid points and off
// by at most the sampled facets' error between them.
bool pickOrigin(const AppState& state, int x, int y, Origin& origin);
