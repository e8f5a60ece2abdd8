#include "curves/DoubleCurves.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "curves/CrossingGraph.h"
#include "curves/CurveTracing.h"
#include "curves/MeshSelfIntersection.h"
#include "curves/PoleContact.h"

DoubleCurveSet findDoubleCurves(const DoubleCurveRequest& request)
{
    DoubleCurveSet out;
    const ExactSurface surface = exactSurface(request.method, request.around, request.t);
    const SurfaceSymmetry symmetry = surfaceSymmetry(request.method, request.around);
    const int latitudinal = std::max(2, request.latitudinalPatches);
    const int longitudinal = std::max(2, request.longitudinalPatches);
    const SearchMesh mesh = buildSearchMesh(surface, symmetry, latitudinal, longitudinal);
    PairFilter filter;
    filter.northPole = mesh.vertex(0, 0);
    filter.southPole = mesh.vertex(mesh.lastRow(), 0);
    filter.polesTouch = request.method == EversionMethod::Ruled && !surface.ruled.unfolding;
    const CrossingGraph graph = buildCrossingGraph(mesh, representativeSegments(mesh, filter));

    // The mesh's rows are pi / 2L apart on the unit sphere.
    const double row = std::numbers::pi / (2 * latitudinal);
    TracingSettings settings;
    settings.spacing = 0.5 * row;
    settings.longestGap = row;
    settings.deviation = 0.02 * row;
    out.curves = traceDoubleCurves(surface, mesh, graph, settings);
    // The polar fans left out of the search reach about two rows from the
    // poles' meeting point.
    const FollowSteps steps{0.5 * settings.spacing, settings.longestGap, 2 * settings.deviation, settings.sharpestTurn};
    joinThroughPole(surface, poleContact(surface), 4 * row, settings.deviation, steps, out.curves);
    return out;
}
