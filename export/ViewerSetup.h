#pragma once
// The viewer's state as the exporter's options describe it: the same
// AppState, camera and frame code the desktop viewer runs, so that a picture
// with the defaults is the viewer's start-up frame.
#include <memory>

#include "camera/Camera.h"
#include "export/ExportSettings.h"
#include "viewer/AppState.h"

// Surface fields only (time, strips, hemispheres, patches, half strips).
void configureSurface(const ExportSettings& settings, AppState& state);

// Everything a picture needs, including a camera in the home view for the
// whole picture (each stereo eye gets half the width, as in the viewer) and
// then turned by --orbit. The state refers to `camera`, which must outlive it.
void configureView(const ExportSettings& settings, AppState& state, std::unique_ptr<Camera>& camera);

// Moves the surface to time t; the next frame or rebuild samples it anew.
void setSurfaceTime(AppState& state, double t);

// One step of the viewer's rotation animation (F6).
void turnCameraOneStep(AppState& state);

// Draws one whole frame into the current context and waits for it.
void drawViewerFrame(AppState& state);
