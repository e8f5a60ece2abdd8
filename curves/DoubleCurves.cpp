#include "curves/DoubleCurves.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

#include "curves/AxisPoints.h"
#include "curves/CrossingGraph.h"
#include "curves/CurveDuplicates.h"
#include "curves/CurveJoins.h"
#include "curves/CurveTracing.h"
#include "curves/MeshSelfIntersection.h"
#include "curves/MirrorCrossings.h"
#include "curves/MissedLoops.h"
#include "curves/OpenLoops.h"
#include "curves/PinchPoints.h"
#include "curves/PoleContact.h"
#include "curves/TriplePoints.h"

namespace {
constexpr int minimumSearchPatches = 24;
}

DoubleCurveSet findDoubleCurves(const DoubleCurveRequest& request)
{
    DoubleCurveSet out;
    const ExactSurface surface = exactSurface(request.method, request.around, request.t);
    const SurfaceSymmetry symmetry = surfaceSymmetry(request.method, request.around);
    // NOTE: a coarser search's faceted sheets meet in places the surface's do
    // not, and miss where they do. Over 41 times of the corrugations (8
    // strips), against a search at 96 x 96: at 12 x 12 the total length was
    // off by over 3 % at 11 times (a third short at t = 0.85: two small
    // loops missing and one cut short), and the triple points' count at 10;
    // at 24 x 24, at 5 times (at most 4 % but for 11 % at t = 0.2, where
    // loops are merging), and at 2. With 3 and 5 strips the length was off
    // at 17 and 6 times at 12 x 12, at 11 and 2 at 24 x 24. The ruled
    // method's caps part so slowly round the meeting poles that at 12 x 12
    // its curve through them at t = 0.3 (two lobes) came out in pieces that
    // ran over each other, 3.5 long where 1.9 is right; at 24 x 24 it is one
    // loop of 1.9. The search is never coarser than 24 x 24.
    const int latitudinal = std::max(minimumSearchPatches, request.latitudinalPatches);
    const int longitudinal = std::max(minimumSearchPatches, request.longitudinalPatches);
    const SearchMesh mesh = buildSearchMesh(surface, symmetry, latitudinal, longitudinal);
    const PoleContact contact = poleContact(surface);
    PairFilter filter;
    // NOTE: round the meeting point the fragments reach about 1/48 turn of
    // the sphere from the poles whatever the resolution (at 48 x 48, leaving
    // out one row there, t = 0.3 gave a spurious loop folded over itself and
    // an end left open); with three lobes or more at the middle steps, as far
    // as the caps part more slowly than their facets stray from them (24 x
    // 24, three lobes, t = 0.45: short loops over the curves and ends turned
    // back, out to 20 degrees from the poles).
    filter.polarRows = polarRowsLeftOut(surface, contact, mesh);
    filter.polesTouch = filter.polarRows > 0;
    const SearchIndex index = buildSearchIndex(mesh);
    std::vector<TrianglePair> nearMisses;
    const std::vector<MeshSegment> segments = representativeSegments(mesh, index, filter, &nearMisses);
    const CrossingGraph graph = buildCrossingGraph(mesh, segments);

    // The search's rows are pi / 2L apart on the unit sphere; the curves are
    // as dense as they are (following the ruled method's curves through the
    // meeting poles with points half as dense let them run over each other
    // again).
    const double row = std::numbers::pi / mesh.lastRow();
    TracingSettings settings;
    settings.spacing = 1.5 * row;
    settings.longestGap = 1.5 * row;
    settings.deviation = 0.1 * row;
    settings.dropHooks = filter.polarRows > 0;
    std::vector<TracedPolyline> traced = traceDoubleCurves(surface, mesh, graph, settings);
    out.curves = placeImages(symmetry, traced);
    // Ends are taken up a few rows beyond the polar rows left out of the
    // search.
    const FollowSteps steps{0.5 * settings.spacing, settings.longestGap, 2 * settings.deviation, settings.sharpestTurn};
    // Pieces that only run along another curve go before any end is joined:
    // joined to an end, they would turn it back on itself. Such pieces were
    // at most 8 rows long over the sweep of both methods at 12 x 12 to 96 x
    // 96; longer curves are not compared, which keeps the check cheap.
    std::vector<std::size_t> orbit;
    for (std::size_t k = 0; k < traced.size(); ++k)
        orbit.insert(orbit.end(), traced[k].images.size(), k);
    // Where the surface pinches (few strips), the curves that end there are
    // carried on into the pinch, before the pieces that only run along them
    // go: the search's ends lay up to 0.05 from it, and at 96 x 96 a piece
    // ran in from there and back out with its origins traded (three strips,
    // t = 0.525).
    runIntoPinches(surface, steps, out.curves);
    dropDuplicates(out.curves, orbit, 16 * row, steps.finest, 3 * row);
    // Near the meeting point the sheets part slowly (their angle's sine
    // falls with the distance), so the last 0.01 at least is a straight
    // chord.
    joinThroughPole(surface, contact, filter.polarRows + 3, row, std::max(settings.deviation, 0.01), steps,
                    out.curves);
    bridgeBreaks(surface, symmetry, 3 * row, 3 * row, steps, out.curves);
    // The curves through the corrugation method's points on the axis are
    // followed on the surface itself; what the search made of them goes,
    // down to its pieces within a row of the points. The search's ends lay
    // up to 3.5 rows from the points (eight strips, t = 0.545 to 0.595).
    const std::vector<AxisPoint> axis = axisPoints(surface, mesh);
    std::vector<TracedPolyline> followed;
    followThroughAxisPoints(surface, symmetry, axis, steps, steps.finest, 3 * row, row, 4 * row, out.curves, followed);
    // While the strips are mirror images of themselves, the curves through
    // the points where a sheet stands square to a mirror are followed on the
    // surface itself; the search's ends lay up to 2 rows from them.
    std::vector<Vec3> stars;
    for (const AxisPoint& p : axis)
        stars.push_back(p.position);
    throughMirrorCrossings(surface, symmetry, mirrorCrossings(surface, mesh), stars, steps, 2 * row, 3 * row,
                           out.curves, followed);
    // What is left open but where the surface pinches is followed round; the
    // loops that come round over it stand in for it.
    closeOpenLoops(surface, symmetry, steps, steps.finest, 3 * row, out.curves);
    // Loops the mesh passed over are looked for only away from the curves
    // found: half a spacing, about as far as a facet reaches.
    const std::vector<TracedPolyline> missed =
        missedLoops(surface, mesh, index, nearMisses, out.curves, 0.5 * settings.spacing, steps);
    for (DoubleCurve& curve : placeImages(symmetry, missed))
        out.curves.push_back(std::move(curve));
    // The triple points are looked for along every polyline traced or missed,
    // and along the ways followed, round the points they were followed through.
    traced.insert(traced.end(), missed.begin(), missed.end());
    out.triplePoints = findTriplePoints(surface, mesh, index, traced, followed);
    return out;
}
