#include "export/ViewerSetup.h"

#include <GL/gl.h>

#include "draw/CameraGL.h"
#include "draw/FrameRenderer.h"
#include "viewer/Interaction.h"

void configureSurface(const ExportSettings& s, AppState& state)
{
    SurfaceMesh& mesh = state.mesh;
    mesh.freeGrid();
    mesh.t = s.time;
    applySurfaceOptions(s.surface, state);
    mesh.totalStrips = s.strips;
    if (s.surface.method == EversionMethod::Ruled)
        mesh.lunesShown = s.stripsShown;
    else
        mesh.stripsShown = s.stripsShown;
    mesh.hemispheres = s.hemispheres;
    mesh.latitudinalPatches = s.latitudinalPatches;
    mesh.longitudinalPatches = s.longitudinalPatches;
    mesh.dirty = true;
    state.halfStrips = s.halfStrips;
}

void configureView(const ExportSettings& s, AppState& state, std::unique_ptr<Camera>& camera)
{
    configureSurface(s, state);
    state.displayMode = s.displayMode;
    state.smoothShading = !s.flat;
    state.alphaBlending = s.alphaBlending;
    state.alpha = s.alpha;
    state.cullingEnabled = s.cull != 0;
    state.cullBackFaces = s.cull != 2;
    state.showWorldAxes = s.axes;
    state.showCameraTarget = s.target;
    state.showText = s.text;
    state.stereo = s.stereo;
    state.stereoDistance = s.stereoDistance;
    state.look = s.look;
    state.orthographic = s.orthographic;
    // Pictures have no pinholes between the copies.
    state.seamFree = true;

    // As at the viewer's start-up: the camera is made for the whole window,
    // then the window size lays out the views.
    camera = std::make_unique<Camera>(s.width, s.height, 2.0f, Vector3(0, 0, 0, 1));
    state.camera = camera.get();
    reshapeViews(state, s.width, s.height);
    if (s.orbitX != 0 || s.orbitY != 0) {
        // One Alt + left drag from the middle of the view.
        const float x = static_cast<float>(camera->windowWidth / 2);
        const float y = static_cast<float>(camera->windowHeight / 2);
        camera->orbit(x, y, x + s.orbitX, y + s.orbitY);
    }
}

void setSurfaceTime(AppState& state, double t)
{
    state.mesh.freeGrid();
    state.mesh.t = t;
    state.mesh.dirty = true;
}

void turnCameraOneStep(AppState& state)
{
    // The timer's own tick with only the rotation on, so the step is the
    // viewer's to the bit.
    const bool eversion = state.animateEversion, rotation = state.animateRotation;
    state.animateEversion = false;
    state.animateRotation = true;
    timerTick(state);
    state.animateEversion = eversion;
    state.animateRotation = rotation;
}

void drawViewerFrame(AppState& state)
{
    if (state.camera)
        applyViewport(*state.camera);
    renderFrame(state);
    glFinish();
}
