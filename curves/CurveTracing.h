#pragma once
// The mesh's double curves moved onto the exact surface.
//
// Along each fundamental piece of the crossing graph, crossings about
// `spacing` apart are chosen and refined by Newton's method (SheetNewton.h);
// a crossing that fails gives way to the next one. Each piece is lifted to
// its polyline (CurveLift.h), the gaps between its refined points are filled
// (GapFilling.h), once for each orbit of gaps under the group, excursions
// where the chain ran back over itself are dropped, and so are the hooks at
// the ends of an open polyline where the settings ask (GapFilling.h); the
// polyline is cut at the gaps that could not be filled. A piece of two
// points closer than twice `deviation`, or an open polyline that lost its
// hooks and stays that near its first point, is dropped as a remnant. A crossing is refined once for all
// the places the group puts it; the polyline's images complete the set.
//
// Deterministic; the refinements are spread over OpenMP threads.
#include <vector>

#include "curves/CrossingGraph.h"
#include "curves/DoubleCurves.h"
#include "curves/GapFilling.h"
#include "curves/TracePoint.h"
#include "viewer/ExactSurface.h"

// One polyline an orbit, and the elements whose images of it are the orbit's
// distinct polylines. A loop that elements of the group map onto itself and
// that is cut at gaps comes out as one piece for each such element, the
// pieces images of each other, each with the loop's images.
struct TracedPolyline {
    std::vector<TracePoint> points;
    bool closed = false;  // the last point joins the first
    std::vector<int> images;
    // The chords from the first `fundamental` points on, with their images
    // under the elements that map the polyline onto itself, make all its
    // chords (0: all of them are needed).
    std::size_t fundamental = 0;
};

std::vector<TracedPolyline> traceDoubleCurves(const ExactSurface& surface, const SearchMesh& mesh,
                                              const CrossingGraph& graph, const TracingSettings& settings);

// Every polyline of every orbit, in the order of the orbits and their images.
std::vector<DoubleCurve> placeImages(const SurfaceSymmetry& symmetry, const std::vector<TracedPolyline>& traced);
