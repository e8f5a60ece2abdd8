#pragma once
// The whole view as a short text, for links: the URL fragment of the web page
// ("t=0.375&dt=256&strips=8&...&cam=ex,ey,ez,tx,ty,tz,ux,uy,uz") and any front
// end that takes a view on its command line.
//
// Units and storage: t in turns of the eversion (0 sphere, 1 everted), the
// time step as the whole number N of delta_t = 1/N, alpha and the eye
// distance as the heads-up text shows them, the camera's eye, target and up
// in world units. Floats are written with 9 significant digits and t with 17,
// so a decoded link reproduces the encoded state bit for bit and the same
// browser draws the same frame.
//
// Decoding never fails: it starts from a base view (usually the current one)
// and repairs field by field. A number out of range is clamped, a field that
// is not a number, not finite, repeated (the first one counts), unknown or
// over-long is ignored; each repaired or ignored field is named once in a
// single warning line. The camera is taken only when all nine numbers are
// finite and describe a proper frame. Pure: no I/O, no globals; safe on any
// bytes of any length.
//
// The look by origin travels too: the colour scheme by name (a picture does
// not: a link naming the image scheme keeps it only where the base view
// already shows a picture, else falls back to the sides with the warning),
// the bands as "latitude,N", "longitude,N" or "none", the graticule spacing
// in degrees (0 off), the tracks as "LAT,LON;LAT,LON" (degrees, at most
// linkMaxTracks, an empty value for none) and the orthographic view. So do
// the eversion's method by name ("corrugations" or "ruled"), the ruled
// method's lobes and the lunes of them shown, and whether the double curves
// are drawn.
#include <cstddef>
#include <string>
#include <string_view>

#include "eversion/EversionMethod.h"
#include "viewer/Origin.h"
#include "viewer/OriginLook.h"

struct AppState;

// Most tracks a link carries, and the longest text of them.
constexpr int linkMaxTracks = 16;
constexpr std::size_t linkMaxTracksLength = 1024;
constexpr int linkMaxBands = 180;

struct ViewLink {
    double t = 0;
    int timeStepDenominator = 256;  // delta_t = 1 / this; a power of two in [1, 8192]
    int totalStrips = 8;
    int stripsShown = 8;
    int hemispheres = 2;
    bool halfStrips = false;
    int latitudinalPatches = 12;
    int longitudinalPatches = 12;
    int displayMode = 2;
    bool smoothShading = true;
    bool alphaBlending = false;
    float alpha = 0.3f;
    bool cullingEnabled = false;
    bool cullBackFaces = true;
    bool showWorldAxes = false;
    bool showCameraTarget = false;
    bool showText = true;
    bool stereo = false;
    float stereoDistance = 0.1f;
    bool hasCamera = false;  // false: the camera is left as it is
    float eye[3] = {0, 0, 0};
    float target[3] = {0, 0, 0};
    float up[3] = {0, 1, 0};
    ColourScheme colours = ColourScheme::Sides;
    BandKind bands = BandKind::None;
    int bandCount = 8;               // 2 .. linkMaxBands
    double graticuleDegrees = 0;     // 0 off, else 1 .. 90
    int trackCount = 0;
    Origin tracks[linkMaxTracks];    // degrees, latitude -90..90, longitude -180..180
    bool orthographic = false;
    EversionMethod method = EversionMethod::Corrugations;
    int lobes = 2;       // the ruled method's, 2 .. 5
    int lunesShown = 2;  // 1 .. lobes
    bool doubleCurves = false;
};

// Limits a link may set; larger surfaces are reachable with the keys only, so
// a link can never ask a phone for a frame it cannot draw.
constexpr int linkMaxStrips = 64;
constexpr int linkMaxPatches = 256;
constexpr int linkMaxDenominator = 8192;
// Longest field value read; a longer one is ignored, not truncated.
constexpr std::size_t linkMaxValueLength = 160;

ViewLink captureView(const AppState& state);
// Sets the state to the view; the grid is rebuilt on the next frame. The
// caller lays the views out again when stereo changed. The image scheme is
// set only when the state has a picture. Tracks beyond linkMaxTracks (the
// command line takes more) are not captured.
void applyView(const ViewLink& view, AppState& state);

std::string encodeViewLink(const ViewLink& view);
// A leading '#' is skipped. `warning` receives one line naming the fields
// repaired or ignored, or is cleared when every field was taken as written.
ViewLink decodeViewLink(std::string_view fragment, const ViewLink& base, std::string& warning);
