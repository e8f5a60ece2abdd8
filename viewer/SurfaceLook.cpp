#include "viewer/SurfaceLook.h"

#include "camera/Camera.h"
#include "viewer/AppState.h"

SurfaceMaterial surfaceMaterial(const AppState& state)
{
    const float a = state.alphaBlending ? state.alpha : 1.0f;
    if (state.look.colours != ColourScheme::Sides) {
        // The origin texture gives the colour: white in front, half bright behind.
        const float b = texturedBackBrightness * a;
        return SurfaceMaterial{{a, a, a, 1}, {b, b, b, 1}, {1, 1, 1, 1}, 50};
    }
    return SurfaceMaterial{{a, 0.9f * a, 0, 1}, {0.6f * a, 0.05f * a, 0.95f * a, 1}, {1, 1, 1, 1}, 50};
}

Vector3 surfaceLightPosition(const Camera& camera)
{
    return camera.eye + (camera.eye - camera.target);
}
