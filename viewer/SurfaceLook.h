#pragma once
// How every front end lights the surface: the two-sided material and the
// light's place (the copies it is drawn in are in SurfaceCopy.h). Colours are
// RGBA in 0..1; the light is a world position (w = 1).
#include "geometry/mathutil.h"

struct AppState;
struct Camera;

struct SurfaceMaterial {
    float frontDiffuse[4];
    float backDiffuse[4];
    float specular[4];  // front and back
    float shininess;    // front and back
};
// The diffuse colours scale with alpha while blending is on. With a colour
// scheme other than the sides, the front is white and the back half bright,
// for the origin texture to colour.
SurfaceMaterial surfaceMaterial(const AppState& state);

// Behind the viewer, twice as far from the target as the eye.
Vector3 surfaceLightPosition(const Camera& camera);
