#pragma once
// The lines drawn on the surface by origin: the graticule (lines of constant
// origin latitude and longitude) and the tracks of chosen points through the
// whole eversion. Every point is an exact evaluation of the eversion at its
// grid place (Origin.h), turned into its copy's place in world coordinates,
// never an interpolation of the sampled grid. Pure; positions narrowed to
// float for drawing, three a point.
#include <vector>

#include "eversion/EversionMethod.h"
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

// The surface's fill is pushed back in depth by this much while lines are
// drawn on it, so that lines evaluated on the exact surface win over the
// surface's flat facets: glPolygonOffset(factor, units) in every renderer.
constexpr float lineOffsetFactor = 1.0f;
constexpr float lineOffsetUnits = 64.0f;

// The graticule every `degrees` (latitudes and longitudes that are multiples
// of it, the poles left out) on the shown copies of the mesh at its time:
// its hemispheres, strips shown and strip width (half strips).
std::vector<Polyline> graticuleLines(const SurfaceMesh& mesh, bool halfStrips, double degrees);

// The path of the point of `origin` from t = 0 to t = 1 in the method with
// `around` strips or lobes.
Polyline trackLine(const Origin& origin, EversionMethod method, int around);

// Where that point is at time t.
void trackPoint(const Origin& origin, EversionMethod method, int around, double t, float out[3]);

// The lines of the last frame, made again only when what they show has
// changed (the time, method, strips or lobes, hemispheres, strip width,
// spacing or tracks).
struct OriginLineSet {
    std::vector<Polyline> graticule;
    std::vector<Polyline> tracks;
    std::vector<float> markers;  // each track's point at the mesh's time

    void refresh(const SurfaceMesh& mesh, bool halfStrips, const OriginLook& look);

private:
    double t = -1;
    EversionMethod method = EversionMethod::Corrugations;
    int around = 0, shown = 0, hemispheres = 0;
    bool halfStrips = false;
    double degrees = 0;
    EversionMethod trackMethod = EversionMethod::Corrugations;
    int trackAround = 0;
    std::vector<Origin> trackOrigins;
};
