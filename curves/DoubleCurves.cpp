#include "curves/DoubleCurves.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "curves/CrossingGraph.h"
#include "curves/CurveJoins.h"
#include "curves/CurveTracing.h"
#include "curves/MeshSelfIntersection.h"
#include "curves/PoleContact.h"
#include "curves/TriplePoints.h"

namespace {
constexpr int minimumSearchPatches = 12;
}

DoubleCurveSet findDoubleCurves(const DoubleCurveRequest& request)
{
    DoubleCurveSet out;
    const ExactSurface surface = exactSurface(request.method, request.around, request.t);
    const SurfaceSymmetry symmetry = surfaceSymmetry(request.method, request.around);
    // NOTE: below 12 patches a hemisphere or a strip the faceted sheets meet in
    // places the surface's do not, and chains join curves that are apart
    // (8 x 8 at t = 0.3 gave one curve for nine); the search is never
    // coarser than that.
    const int latitudinal = std::max(minimumSearchPatches, request.latitudinalPatches);
    const int longitudinal = std::max(minimumSearchPatches, request.longitudinalPatches);
    const SearchMesh mesh = buildSearchMesh(surface, symmetry, latitudinal, longitudinal);
    PairFilter filter;
    filter.northPole = mesh.vertex(0, 0);
    filter.southPole = mesh.vertex(mesh.lastRow(), 0);
    filter.polesTouch = request.method == EversionMethod::Ruled && !surface.ruled.unfolding;
    const SearchIndex index = buildSearchIndex(mesh);
    const std::vector<MeshSegment> segments = representativeSegments(mesh, index, filter);
    const CrossingGraph graph = buildCrossingGraph(mesh, segments);

    // The mesh's rows are pi / 2L apart on the unit sphere.
    const double row = std::numbers::pi / (2 * latitudinal);
    TracingSettings settings;
    settings.spacing = 1.5 * row;
    settings.longestGap = 1.5 * row;
    settings.deviation = 0.1 * row;
    const std::vector<TracedPolyline> traced = traceDoubleCurves(surface, mesh, graph, settings);
    out.curves = placeImages(symmetry, traced);
    // The polar fans left out of the search reach about two rows from the
    // poles' meeting point.
    const FollowSteps steps{0.5 * settings.spacing, settings.longestGap, 2 * settings.deviation, settings.sharpestTurn};
    // Near the meeting point the sheets part slowly (their angle's sine
    // falls with the distance), so the last 0.01 is a straight chord.
    joinThroughPole(surface, poleContact(surface), 4 * row, std::max(settings.deviation, 0.01), steps, out.curves);
    bridgeBreaks(surface, 3 * row, 3 * row, steps, out.curves);
    out.triplePoints = findTriplePoints(surface, mesh, index, traced);
    return out;
}
