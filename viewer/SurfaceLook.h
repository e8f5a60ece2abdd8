#pragma once
// How every front end lights and lays out the surface: the two-sided
// material, the light's place, and the turn of each drawn copy of the sampled
// strip. Colours are RGBA in 0..1; the light is a world position (w = 1);
// turns are in degrees, as a rotation call of the graphics interface takes
// them, about y for the hemisphere and then about z for the strip.
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

// Hemisphere h (0 or 1) is the first one turned half a turn about y.
inline float hemisphereTurnDegrees(int h)
{
    return static_cast<float>(180.0 * h);
}

// Strip s of hemisphere h. The second hemisphere is mirrored by its half turn
// about y, so its strips are laid out in the opposite sense about z.
inline float stripTurnDegrees(int h, int s, int totalStrips)
{
    const int k = h == 0 ? -s : s + 1;
    return static_cast<float>(k * 360.0 / totalStrips);
}
