#pragma once
// The lines drawn on the surface by origin: the graticule (lines of constant
// origin latitude and longitude) and the tracks of chosen points through the
// whole eversion. Every point is an exact evaluation of the eversion at its
// grid place (Origin.h), turned into its copy's place in world coordinates,
// never an interpolation of the sampled grid. Pure; positions narrowed to
// float for drawing, three a point.
#include <vector>

#include "viewer/OriginLook.h"

struct SurfaceMesh;

// Points joined in order.
struct Polyline {
    std::vector<float> points;  // x, y, z, x, y, z, ...
};

// Segments across a whole strip on a line of latitude, and from pole to
// equator on a line of longitude.
constexpr int graticuleSegmentsAcross = 48;
constexpr int graticuleSegmentsAlong = 64;
// A track is evaluated at t = k / trackSegments for k = 0 .. trackSegments;
// every stage starts on one of these times.
constexpr int trackSegments = 400;

// The graticule every `degrees` (latitudes and longitudes that are multiples
// of it, the poles left out) on the shown copies of the mesh at its time:
// its hemispheres, strips shown and strip width (half strips).
std::vector<Polyline> graticuleLines(const SurfaceMesh& mesh, bool halfStrips, double degrees);

// The path of the point of `origin` from t = 0 to t = 1 with totalStrips.
Polyline trackLine(const Origin& origin, int totalStrips);

// Where that point is at time t.
void trackPoint(const Origin& origin, int totalStrips, double t, float out[3]);
