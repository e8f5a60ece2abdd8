// The view link's state half: reading a view out of the viewer's state and
// setting it back. Kept apart from the codec, which needs nothing but the
// standard library, so that the fuzzer builds the codec on its own.
#include <algorithm>
#include <cmath>

#include "camera/Camera.h"
#include "viewer/AppState.h"
#include "viewer/ViewLink.h"

ViewLink captureView(const AppState& state)
{
    ViewLink view;
    const SurfaceMesh& mesh = state.mesh;
    view.t = mesh.t;
    view.timeStepDenominator = static_cast<int>(std::lround(1 / state.deltaT));
    view.totalStrips = mesh.totalStrips;
    view.stripsShown = mesh.stripsShown;
    view.hemispheres = mesh.hemispheres;
    view.halfStrips = state.halfStrips;
    view.latitudinalPatches = mesh.latitudinalPatches;
    view.longitudinalPatches = mesh.longitudinalPatches;
    view.displayMode = state.displayMode;
    view.smoothShading = state.smoothShading;
    view.alphaBlending = state.alphaBlending;
    view.alpha = state.alpha;
    view.cullingEnabled = state.cullingEnabled;
    view.cullBackFaces = state.cullBackFaces;
    view.showWorldAxes = state.showWorldAxes;
    view.showCameraTarget = state.showCameraTarget;
    view.showText = state.showText;
    view.stereo = state.stereo;
    view.stereoDistance = state.stereoDistance;
    const OriginLook& look = state.look;
    view.colours = look.colours;
    view.bands = look.bands;
    view.bandCount = look.bandCount;
    view.graticuleDegrees = look.graticuleDegrees;
    view.trackCount = static_cast<int>(std::min<std::size_t>(look.tracks.size(), linkMaxTracks));
    std::copy(look.tracks.begin(), look.tracks.begin() + view.trackCount, view.tracks);
    view.orthographic = state.orthographic;
    view.method = mesh.method;
    view.lobes = mesh.lobes;
    view.lunesShown = mesh.lunesShown;
    view.doubleCurves = state.doubleCurves;
    if (const Camera* camera = state.camera) {
        view.hasCamera = true;
        const Vector3* frame[3] = {&camera->eye, &camera->target, &camera->up};
        float* out[3] = {view.eye, view.target, view.up};
        for (int i = 0; i < 3; ++i) {
            out[i][0] = frame[i]->x;
            out[i][1] = frame[i]->y;
            out[i][2] = frame[i]->z;
        }
    }
    return view;
}

void applyView(const ViewLink& view, AppState& state)
{
    SurfaceMesh& mesh = state.mesh;
    mesh.freeGrid();
    mesh.dirty = true;
    mesh.t = view.t;
    state.deltaT = 1.0 / view.timeStepDenominator;
    mesh.totalStrips = view.totalStrips;
    mesh.stripsShown = std::clamp(view.stripsShown, 1, view.totalStrips);
    mesh.hemispheres = view.hemispheres;
    mesh.method = view.method;
    mesh.lobes = std::clamp(view.lobes, minLobes, maxLobes);
    mesh.lunesShown = std::clamp(view.lunesShown, 1, mesh.lobes);
    state.doubleCurves = view.doubleCurves;
    state.halfStrips = view.halfStrips;
    mesh.latitudinalPatches = view.latitudinalPatches;
    mesh.longitudinalPatches = view.longitudinalPatches;
    state.displayMode = view.displayMode;
    state.smoothShading = view.smoothShading;
    state.alphaBlending = view.alphaBlending;
    state.alpha = view.alpha;
    state.cullingEnabled = view.cullingEnabled;
    state.cullBackFaces = view.cullBackFaces;
    state.showWorldAxes = view.showWorldAxes;
    state.showCameraTarget = view.showCameraTarget;
    state.showText = view.showText;
    state.stereo = view.stereo;
    state.stereoDistance = view.stereoDistance;
    OriginLook& look = state.look;
    // A scheme without its picture would draw nothing sensible.
    const ColourScheme colours =
        view.colours == ColourScheme::Image && !look.image ? ColourScheme::Sides : view.colours;
    if (colours != look.colours || view.bands != look.bands || view.bandCount != look.bandCount) {
        look.colours = colours;
        look.bands = view.bands;
        look.bandCount = view.bandCount;
        look.touch();
    }
    look.graticuleDegrees = view.graticuleDegrees;
    if (view.graticuleDegrees > 0)
        look.lastGraticuleDegrees = view.graticuleDegrees;
    look.tracks.assign(view.tracks, view.tracks + view.trackCount);
    state.orthographic = view.orthographic;
    if (view.hasCamera && state.camera) {
        state.camera->eye = Vector3(view.eye[0], view.eye[1], view.eye[2], 1);
        state.camera->target = Vector3(view.target[0], view.target[1], view.target[2], 1);
        state.camera->up = Vector3(view.up[0], view.up[1], view.up[2], 1);
    }
}
