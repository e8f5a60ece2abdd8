// The parts the double curves are made with: the chart of origins at the
// poles and the seam, the exact crossings that chain into closed polylines,
// the grid of boxes they are found with, how far a facet strays, the lift of
// a fundamental piece round its holonomy or folds, Newton's method for double
// and triple points, the excursions and end hooks dropped from a polyline,
// curves joined end to end, pieces that only repeat another curve, and what
// a line followed through the star points leaves of the search's curves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "curves/CrossingGraph.h"
#include "curves/CurveDuplicates.h"
#include "curves/CurveJoins.h"
#include "curves/CurveLift.h"
#include "curves/DoubleCurves.h"
#include "curves/GapFilling.h"
#include "curves/SheetChart.h"
#include "curves/SheetNewton.h"
#include "curves/StarWays.h"
#include "curves/TriangleGrid.h"

namespace {
// A surface of the eversion: method, strips or lobes, time.
struct SurfaceCase {
    EversionMethod method;
    int around;
    double t;
};

Vec3 at(const ExactSurface& s, const Origin& o)
{
    const Jet4Vec p = exactPoint(s, o);
    return {p.x.value, p.y.value, p.z.value};
}

TracePoint pointAt(double x, double y)
{
    TracePoint p{};
    p.position = {x, y, 0};
    return p;
}

DoubleCurve line(std::initializer_list<double> xs, double y)
{
    DoubleCurve c;
    for (const double x : xs)
        c.points.push_back({{x, y, 0}, {0, 10 * x}, {20, 10 * x}});
    return c;
}
}

TEST(SheetChart, MovesAlongEastAndNorthAreTheSurfaceDerivativesAnywhere)
{
    // Central differences along the chart's own moves, at the seam of
    // longitudes and a hair from each pole, where longitude says nothing.
    const ExactSurface s = exactSurface(EversionMethod::Corrugations, 8, 0.45);
    const double h = 1e-6;
    for (const Origin o : {Origin{20, 179.9999}, Origin{-35, -180}, Origin{89.9999, 30}, Origin{-89.9999, -60}}) {
        const SheetJet j = sheetJet(s, unitOfOrigin(o));
        EXPECT_LT(distance(unitOfOrigin(originOfUnit(j.unit)), j.unit), 1e-15);
        const Vec3 de = (sheetJet(s, moveOnSphere(j, h, 0)).position - sheetJet(s, moveOnSphere(j, -h, 0)).position) * (0.5 / h);
        const Vec3 dn = (sheetJet(s, moveOnSphere(j, 0, h)).position - sheetJet(s, moveOnSphere(j, 0, -h)).position) * (0.5 / h);
        EXPECT_LT(distance(de, j.alongEast), 1e-5 * (1 + length(j.alongEast))) << o.latitude << " " << o.longitude;
        EXPECT_LT(distance(dn, j.alongNorth), 1e-5 * (1 + length(j.alongNorth))) << o.latitude << " " << o.longitude;
    }
    // At a pole itself the chart steps off it along the meridian it is given.
    const SheetJet pole = sheetJet(s, {0, 0, 1});
    EXPECT_NEAR(angleBetween(pole.unit, {0, 0, 1}), chartPoleGap, 1e-15);
}

// The exact crossings of a closed mesh: every crossing ends exactly two
// segments, so the crossing graph has no end that stops, with and without
// the symmetry, at times with mirror images meeting in degenerate places.
TEST(MeshSelfIntersection, EveryCrossingEndsTwoSegmentsSoNoChainStops)
{
    const SurfaceCase cases[] = {{EversionMethod::Corrugations, 8, 0.5},
                                 {EversionMethod::Corrugations, 8, 0.9},
                                 {EversionMethod::Corrugations, 3, 0.7},
                                 {EversionMethod::Corrugations, 5, 0.3}};
    for (const SurfaceCase& c : cases) {
        const ExactSurface s = exactSurface(c.method, c.around, c.t);
        for (const bool symmetric : {true, false}) {
            const SearchMesh mesh = symmetric ? buildSearchMesh(s, surfaceSymmetry(c.method, c.around), 12, 12)
                                              : buildSearchMesh(s, trivialSymmetry(), 12, 12 * c.around);
            const CrossingGraph graph =
                buildCrossingGraph(mesh, representativeSegments(mesh, buildSearchIndex(mesh), PairFilter{}));
            ASSERT_FALSE(graph.paths.empty()) << c.t;
            for (const CrossingPath& p : graph.paths) {
                EXPECT_NE(p.startEnd, PathEnd::Stops) << c.t << " symmetric " << symmetric;
                EXPECT_NE(p.finishEnd, PathEnd::Stops) << c.t << " symmetric " << symmetric;
            }
        }
    }
}

// Boxes of every size over a grid, against brute force: a query visits every
// box that overlaps it, once, and the early-stopping query finds one exactly
// when brute force does.
TEST(TriangleGrid, AQueryFindsEveryOverlappingBoxOnceAndStopsAtOne)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> where(-1, 1), size(0, 0.3);
    const auto box = [&] {
        const Vec3 low{where(random), where(random), where(random)};
        return Box{low, low + Vec3{size(random), size(random), size(random)}};
    };
    std::vector<Box> boxes(500);
    for (Box& b : boxes)
        b = box();
    const TriangleGrid grid = buildTriangleGrid(boxes, static_cast<std::uint32_t>(boxes.size()));
    std::vector<std::uint32_t> stamps(boxes.size(), 0);
    for (std::uint32_t query = 1; query <= 200; ++query) {
        const Box q = box();
        std::vector<int> visits(boxes.size(), 0);
        grid.forEachOverlapping(boxes, q, stamps, query, [&](std::uint32_t a) { ++visits[a]; });
        const std::uint32_t wanted = query % boxes.size();
        for (std::uint32_t a = 0; a < boxes.size(); ++a)
            ASSERT_EQ(visits[a], overlap(q, boxes[a]) ? 1 : 0) << query << " " << a;
        EXPECT_EQ(grid.anyOverlapping(boxes, q, [&](std::uint32_t a) { return a == wanted; }), overlap(q, boxes[wanted]));
    }
}

// A way thinned keeps its last point, no chord longer than asked, and every
// dropped point within the deviation of the chord that skips it; a way
// bending at every point keeps them all.
TEST(StarWays, AThinnedWayStaysWithinItsDeviation)
{
    const TracePoint start = pointAt(0, 0);
    std::vector<TracePoint> way;
    for (int k = 1; k <= 200; ++k)
        way.push_back(pointAt(0.01 * k, 0.2 * std::sin(0.05 * k)));
    const std::vector<TracePoint> all = way;
    constexpr double deviation = 1e-3, longest = 0.3;
    thinWay(start, deviation, longest, way);
    ASSERT_LT(way.size(), all.size());
    EXPECT_EQ(distance(way.back().position, all.back().position), 0);
    Vec3 from = start.position;
    std::size_t next = 0;
    for (const TracePoint& kept : way) {
        EXPECT_LE(distance(from, kept.position), longest);
        for (; distance(all[next].position, kept.position) != 0; ++next)
            EXPECT_LE(segmentDistance(all[next].position, from, kept.position), deviation);
        from = kept.position;
        ++next;
    }
    std::vector<TracePoint> zigzag;
    for (int k = 1; k <= 20; ++k)
        zigzag.push_back(pointAt(0.01 * k, k % 2 ? 0.01 : 0));
    thinWay(start, deviation, longest, zigzag);
    EXPECT_EQ(zigzag.size(), 20u);
}

// Ways joined straight on through the points: arm j goes on by arm j ^ 1.
// Two points joined by two curves make one loop through both; a curve that
// comes back into its own point makes a loop of its own.
TEST(StarWays, WaysJoinStraightOnThroughThePoints)
{
    const auto at = [](double x) { return pointAt(x, 0); };
    // Point A has arms 0 and 1, point B arms 2 and 3; A's arm 0 comes into
    // B's arm 2 and B's arm 3 into A's arm 1.
    const std::vector<TracePoint> starts{at(0.1), at(-0.1), at(0.9), at(1.1)};
    std::vector<ArmWay> ways(4);
    ways[0] = {{at(0.5), at(0.9)}, 2};
    ways[2] = {{at(0.5), at(0.1)}, 0};
    ways[3] = {{at(2), at(-0.1)}, 1};
    ways[1] = {{at(2), at(1.1)}, 3};
    const std::vector<WayCurve> made = joinWays(starts, ways);
    ASSERT_EQ(made.size(), 1u);
    EXPECT_TRUE(made[0].closed);
    std::vector<double> xs;
    for (const TracePoint& p : made[0].points)
        xs.push_back(p.position.x);
    // Through B both its arms' starts, either side of it, and back at A the
    // chord from arm 1's start to arm 0's closes the loop.
    EXPECT_EQ(xs, (std::vector<double>{0.1, 0.5, 0.9, 1.1, 2, -0.1}));
    // One point whose curve leaves by arm 0 and comes back by arm 1; where
    // both arms start at the point itself, it is there once.
    const std::vector<TracePoint> one{at(0.1), at(-0.1)};
    const std::vector<WayCurve> loop = joinWays(one, {{{at(1), at(-0.1)}, 1}, {{at(1), at(0.1)}, 0}});
    ASSERT_EQ(loop.size(), 1u);
    EXPECT_TRUE(loop[0].closed);
    const std::vector<WayCurve> atItself = joinWays({at(0), at(0)}, {{{at(1), at(0)}, 1}, {{at(1), at(0)}, 0}});
    ASSERT_EQ(atItself.size(), 1u);
    EXPECT_TRUE(atItself[0].closed);
    EXPECT_EQ(atItself[0].points.size(), 2u);
    // The same point with both ways ending in a pinch: one open curve from
    // the first pinch straight through the point into the second, made once.
    const std::vector<WayCurve> between = joinWays(one, {{{at(0.5)}, -1, true}, {{at(-0.5)}, -1, true}});
    ASSERT_EQ(between.size(), 1u);
    EXPECT_FALSE(between[0].closed);
    xs.clear();
    for (const TracePoint& p : between[0].points)
        xs.push_back(p.position.x);
    EXPECT_EQ(xs, (std::vector<double>{0.5, 0.1, -0.1, -0.5}));
}

// The triple points' search is given each representative way's first
// stretch: as far as the reach from its start and one point on (the chord
// that leaves the reach), every image, and nothing of the arms whose ways
// are others' turned.
TEST(StarWays, TheWaysNearTheirPointsStopAPointPastTheReach)
{
    const auto at = [](double x) { return pointAt(x, 0); };
    const SurfaceSymmetry symmetry = surfaceSymmetry(EversionMethod::Corrugations, 8);
    const std::vector<TracePoint> starts{at(0), at(1), at(5)};
    std::vector<ArmWay> ways(3);
    ways[0].points = {at(0.1), at(0.2), at(0.3), at(0.4)};
    ways[1].points = {at(1.05)};
    ways[2].points = {at(5.1), at(5.3)};
    const ArmOrbits orbits{{0, 1, 0}, {0, 0, 3}};
    std::vector<TracedPolyline> near;
    addWaysNearTheirPoints(symmetry, starts, orbits, ways, 0.15, near);
    ASSERT_EQ(near.size(), 2u);
    const std::vector<std::vector<double>> xs{{0, 0.1, 0.2}, {1, 1.05}};
    for (std::size_t k = 0; k < near.size(); ++k) {
        std::vector<double> x;
        for (const TracePoint& p : near[k].points)
            x.push_back(p.position.x);
        EXPECT_EQ(x, xs[k]);
        EXPECT_FALSE(near[k].closed);
        EXPECT_EQ(near[k].images.size(), static_cast<std::size_t>(symmetry.order()));
    }
}

// The search's curves along a made line go; one that runs partly along it
// and partly elsewhere keeps what runs elsewhere, open; a loop elsewhere
// stays; and the made line is added.
TEST(StarWays, WhatRunsElsewhereOfACurvePartlyAlongAMadeLineStays)
{
    const auto traced = [](const CurvePoint& p) {
        TracePoint t = pointAt(p.position[0], p.position[1]);
        t.a = p.a;
        t.b = p.b;
        t.ua = unitOfOrigin(p.a);
        t.ub = unitOfOrigin(p.b);
        return t;
    };
    WayCurve made;
    for (const CurvePoint& p : line({0.0, 0.2, 0.4, 0.6, 0.8, 1.0}, 0).points)
        made.points.push_back(traced(p));
    DoubleCurve partly = line({0.3, 0.5, 0.7}, 0);
    for (const CurvePoint& p : line({0.7, 0.8, 0.9}, 0.5).points)
        partly.points.push_back(p);
    DoubleCurve loop = line({2.0, 2.1, 2.2}, 0);
    loop.closed = true;
    std::vector<DoubleCurve> curves{line({0.1, 0.3, 0.5}, 0), partly, loop};
    replaceAlong({made}, [](std::size_t, std::size_t) { return false; }, 0.01, 0.1, curves);
    ASSERT_EQ(curves.size(), 3u);
    EXPECT_TRUE(curves[0].closed);
    ASSERT_EQ(curves[1].points.size(), 3u);
    EXPECT_FALSE(curves[1].closed);
    for (const CurvePoint& p : curves[1].points)
        EXPECT_EQ(p.position[1], 0.5);
    EXPECT_EQ(curves[2].points.size(), made.points.size());
}

// Boxes of no size in a plane (the points on a mirror) once made cells
// 1e-5 wide, 10^9 of them, and a search took minutes.
TEST(TriangleGrid, PointsInAPlaneMakeFewCells)
{
    std::vector<Box> boxes;
    for (int k = 0; k < 16; ++k) {
        const Vec3 p{0.5 * std::cos(k * 0.4), 0.5 * std::sin(k * 0.4), 0};
        boxes.push_back({p, p});
    }
    const TriangleGrid grid = buildTriangleGrid(boxes, static_cast<std::uint32_t>(boxes.size()));
    EXPECT_LE(grid.start.size(), 64u * 8u * boxes.size() + 1);
    EXPECT_TRUE(grid.anyOverlapping(boxes, {{0.49, -0.01, -0.01}, {0.51, 0.01, 0.01}}, [](std::uint32_t a) { return a == 0; }));
}

// How far a facet may stray from the surface, as the search for loops that
// pass between facets takes it: the exact surface at a facet's middle origin
// lies within that of the facet's middle.
TEST(MeshSelfIntersection, NoFacetStraysFartherThanItsEstimate)
{
    // The ruled surfaces' halfway model bends unevenly over a facet: there a
    // middle lay up to 1.19 times as far (48 x 48).
    constexpr double unevenBend = 1.25;
    const SurfaceCase cases[] = {{EversionMethod::Corrugations, 8, 0.3},
                                 {EversionMethod::Corrugations, 8, 0.75},
                                 {EversionMethod::Ruled, 2, 0.3},
                                 {EversionMethod::Ruled, 2, 0.5}};
    for (const SurfaceCase& c : cases) {
        const ExactSurface s = exactSurface(c.method, c.around, c.t);
        const SearchMesh mesh = buildSearchMesh(s, surfaceSymmetry(c.method, c.around), 24, 24);
        const SearchIndex index = buildSearchIndex(mesh);
        for (int t = 0; t < mesh.domainTriangles; ++t) {
            const auto& v = mesh.triangles[t];
            const Vec3 middle = (mesh.positions[v[0]] + mesh.positions[v[1]] + mesh.positions[v[2]]) * (1.0 / 3);
            const double stray = distance(at(s, originOfUnit(index.domainMiddles[t])), middle);
            ASSERT_LE(stray, unevenBend * index.domainStray[t]) << c.t << " triangle " << t;
        }
    }
}

// A path of three nodes in the dihedral group of order 8 (n = 4), all in the
// first node's frame, so that a fold's element is its half turn as it is:
// its lift and stabilizer for each way its ends can go.
TEST(CurveLift, APieceComesRoundItsHolonomyOrBackAcrossItsFolds)
{
    const SurfaceSymmetry g = surfaceSymmetry(EversionMethod::Corrugations, 4);
    struct Case {
        PathEnd start, finish;
        int holonomy, startFold, finishFold;
        std::size_t steps, stabilizer, images;
        bool closed;
    };
    const int quarter = g.element(1, false), half = g.element(2, false), flip = g.element(0, true);
    const Case cases[] = {
        {PathEnd::Closes, PathEnd::Closes, 0, 0, 0, 3, 1, 8, true},
        {PathEnd::Closes, PathEnd::Closes, quarter, 0, 0, 12, 4, 2, true},
        {PathEnd::Closes, PathEnd::Closes, half, 0, 0, 6, 2, 4, true},
        {PathEnd::Folds, PathEnd::Folds, 0, flip, flip, 6, 2, 4, true},
        {PathEnd::Folds, PathEnd::Folds, 0, flip, g.element(1, true), 24, 8, 1, true},
        {PathEnd::Stops, PathEnd::Stops, 0, 0, 0, 3, 1, 8, false},
        {PathEnd::Folds, PathEnd::Stops, 0, flip, 0, 6, 2, 4, false},
        {PathEnd::Stops, PathEnd::Folds, 0, 0, flip, 6, 2, 4, false},
    };
    for (const Case& c : cases) {
        CrossingPath path;
        path.nodes = {0, 1, 2};
        path.frames = {0, 0, 0};
        path.startEnd = c.start;
        path.finishEnd = c.finish;
        path.holonomy = c.holonomy;
        path.startFold = c.startFold;
        path.finishFold = c.finishFold;
        const Lift lift = liftPath(g, path);
        SCOPED_TRACE(testing::Message() << "ends " << static_cast<int>(c.start) << " " << static_cast<int>(c.finish)
                                        << " holonomy " << c.holonomy << " folds " << c.startFold << " " << c.finishFold);
        EXPECT_EQ(lift.steps.size(), c.steps);
        EXPECT_EQ(lift.stabilizer.size(), c.stabilizer);
        EXPECT_EQ(lift.closed, c.closed);
        EXPECT_EQ(liftImages(g, lift).size(), c.images);
        // Each step is a distinct place: the lift never comes by one twice.
        for (std::size_t i = 0; i < lift.steps.size(); ++i)
            for (std::size_t j = i + 1; j < lift.steps.size(); ++j)
                EXPECT_FALSE(lift.steps[i].index == lift.steps[j].index && lift.steps[i].frame == lift.steps[j].frame);
        // The stabilizer is a group: closed under composition.
        for (const int a : lift.stabilizer)
            for (const int b : lift.stabilizer)
                EXPECT_NE(std::find(lift.stabilizer.begin(), lift.stabilizer.end(), g.compose(a, b)), lift.stabilizer.end());
    }
}

TEST(SheetNewton, DoubleAndTriplePointsComeBackFromEstimatesAndOneSheetDoesNot)
{
    const ExactSurface s = exactSurface(EversionMethod::Corrugations, 8, 0.5);
    DoubleCurveRequest r;
    r.t = 0.5;
    const DoubleCurveSet set = findDoubleCurves(r);
    ASSERT_FALSE(set.curves.empty());
    ASSERT_FALSE(set.triplePoints.empty());

    // A found point, its origins moved by about 0.3 degrees.
    const CurvePoint& p = set.curves.front().points.front();
    const Vec3 nudge{2e-3, -3e-3, 1e-3};
    DoubleSolution d;
    ASSERT_TRUE(solveDoublePoint(s, normalized(unitOfOrigin(p.a) + nudge), normalized(unitOfOrigin(p.b) - nudge), d));
    EXPECT_LE(d.residual, doubleTolerance);
    EXPECT_LT(distance(d.a.position, {p.position[0], p.position[1], p.position[2]}), 0.02);
    // Along the curve's tangent f(a) - f(b) stays zero to first order.
    const CurveTangent tangent = curveTangent(d);
    for (const double h : {1e-3, 1e-4}) {
        const Vec3 gap = at(s, originOfUnit(normalized(d.a.unit + tangent.alongA * h))) -
                         at(s, originOfUnit(normalized(d.b.unit + tangent.alongB * h)));
        EXPECT_LT(length(gap), 50 * h * h) << h;
    }
    // Two origins of one sheet meet trivially: refused.
    DoubleSolution same;
    EXPECT_FALSE(solveDoublePoint(s, unitOfOrigin(p.a), normalized(unitOfOrigin(p.a) + nudge), same));
    EXPECT_FALSE(probeDoublePoint(s, unitOfOrigin(p.a), normalized(unitOfOrigin(p.a) + nudge), same));
    // The probe gives up sooner, but where it converges it lands where the
    // solve does, to the bit.
    DoubleSolution probed;
    ASSERT_TRUE(probeDoublePoint(s, normalized(unitOfOrigin(p.a) + nudge), normalized(unitOfOrigin(p.b) - nudge), probed));
    EXPECT_EQ(std::memcmp(&probed.a, &d.a, sizeof(SheetJet)), 0);
    EXPECT_EQ(std::memcmp(&probed.b, &d.b, sizeof(SheetJet)), 0);

    // Triple points lie close together in places: a tenth of the nudge.
    const TriplePoint& t = set.triplePoints.front();
    TripleSolution three;
    ASSERT_TRUE(solveTriplePoint(s, normalized(unitOfOrigin(t.origins[0]) + nudge * 0.1),
                                 normalized(unitOfOrigin(t.origins[1]) - nudge * 0.1), unitOfOrigin(t.origins[2]), three));
    EXPECT_LE(three.residual, doubleTolerance);
    EXPECT_LT(distance(three.sheets[0].position, {t.position[0], t.position[1], t.position[2]}), 1e-6);
    // Taken a step a call, the solve ends where it ends in one call, to the
    // bit: the search refines its candidates that way.
    TripleNewton stepwise = startTriplePoint(s, normalized(unitOfOrigin(t.origins[0]) + nudge * 0.1),
                                             normalized(unitOfOrigin(t.origins[1]) - nudge * 0.1),
                                             unitOfOrigin(t.origins[2]));
    TripleSolution byStep;
    TripleProgress progress = TripleProgress::Going;
    int calls = 0;
    while (progress == TripleProgress::Going && calls++ < 20)
        progress = advanceTriplePoint(s, stepwise, 1, byStep);
    ASSERT_EQ(progress, TripleProgress::Solved);
    EXPECT_GT(calls, 2);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(std::memcmp(&byStep.sheets[k], &three.sheets[k], sizeof(SheetJet)), 0) << k;

    // Where the ruled method's caps touch without crossing (two lobes,
    // t = 0.2), no double point is found next to the meeting poles.
    const ExactSurface ruled = exactSurface(EversionMethod::Ruled, 2, 0.2);
    DoubleSolution touch;
    EXPECT_FALSE(solveDoublePoint(ruled, unitOfOrigin({85, 45}), unitOfOrigin({-85, -135}), touch) &&
                 distance(touch.a.position, {0, 0, ruledPoleHeight(ruled.ruled, true)}) < 0.05);
}

// Polylines along y = 0 whose middle runs back over what came before: the
// doubled part is dropped, a hairpin that is not doubled is kept, and a loop
// drops the same wherever it starts.
TEST(GapFilling, ExcursionsBackOverAPolylineAreDroppedAndHairpinsKept)
{
    const double near = 0.01;
    std::vector<TracePoint> doubled;
    for (const double x : {0.0, 0.1, 0.2, 0.3, 0.2, 0.1, 0.3001, 0.4, 0.5})
        doubled.push_back(pointAt(x, x == 0.1 && doubled.size() > 3 ? 0.002 : 0));
    const std::vector<char> kept = withoutExcursions(doubled, false, near);
    EXPECT_EQ(kept, (std::vector<char>{1, 1, 0, 0, 0, 0, 1, 1, 1}));

    std::vector<TracePoint> hairpin;
    for (const double x : {0.0, 0.1, 0.2, 0.3, 0.2, 0.1, 0.0})
        hairpin.push_back(pointAt(x, hairpin.size() > 3 ? 0.05 : 0));
    for (const char k : withoutExcursions(hairpin, false, near))
        EXPECT_TRUE(k);

    // The doubled polyline closed into a loop by a return leg at y = -1,
    // started at each point in turn.
    std::vector<TracePoint> loop = doubled;
    for (const double x : {0.5, 0.25, 0.0})
        loop.push_back(pointAt(x, -1));
    std::size_t dropped = 0;
    for (const char k : withoutExcursions(loop, true, near))
        dropped += !k;
    for (std::size_t shift = 1; shift < loop.size(); ++shift) {
        std::vector<TracePoint> turned(loop.begin() + static_cast<long>(shift), loop.end());
        turned.insert(turned.end(), loop.begin(), loop.begin() + static_cast<long>(shift));
        std::size_t again = 0;
        for (const char k : withoutExcursions(turned, true, near))
            again += !k;
        EXPECT_EQ(again, dropped) << "starting at " << shift;
    }
    EXPECT_EQ(dropped, 4u);
}

// A polyline along y = 0 that turns back at either end: the hook goes and
// its tip stays; one that turns back farther off than `near` is kept whole.
TEST(GapFilling, EndHooksBackOverAPolylineAreDroppedTipAndAll)
{
    const double near = 0.01;
    const auto xs = [](const std::vector<TracePoint>& line) {
        std::vector<double> out;
        for (const TracePoint& p : line)
            out.push_back(p.position.x);
        return out;
    };
    std::vector<TracePoint> hooked;
    for (const double x : {0.15, 0.22, 0.0, 0.1, 0.2, 0.3, 0.4, 0.35, 0.3, 0.25})
        hooked.push_back(pointAt(x, 0));
    EXPECT_EQ(dropEndHooks(hooked, near), 2u);
    EXPECT_EQ(xs(hooked), (std::vector<double>{0.0, 0.1, 0.2, 0.3, 0.4}));

    std::vector<TracePoint> apart;
    for (const double x : {0.0, 0.1, 0.2, 0.3, 0.25})
        apart.push_back(pointAt(x, x == 0.25 ? 0.05 : 0));
    EXPECT_EQ(dropEndHooks(apart, near), 0u);
    EXPECT_EQ(apart.size(), 5u);
}

// A piece along a longer curve goes only on the same two sheets, and its
// whole orbit with it; a piece longer than asked about stays.
TEST(CurveDuplicates, APieceAlongACurveOnItsSheetsGoesWithItsOrbit)
{
    const DoubleCurve curve = line({0.0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8}, 0);
    const DoubleCurve along = line({0.25, 0.3, 0.35}, 0.001);
    const DoubleCurve elsewhere = line({0.25, 0.3, 0.35}, 1);  // the piece's image
    DoubleCurve otherSheets = along;
    for (CurvePoint& p : otherSheets.points)
        p.b.latitude = -40;
    std::vector<DoubleCurve> curves = {curve, along, elsewhere, otherSheets};
    dropDuplicates(curves, {0, 1, 1, 2}, 1.0, 0.01, 0.1);
    ASSERT_EQ(curves.size(), 2u);
    EXPECT_EQ(curves[0].points.size(), curve.points.size());
    EXPECT_EQ(curves[1].points[0].b.latitude, -40);

    curves = {curve, along};
    dropDuplicates(curves, {0, 1}, 0.05, 0.01, 0.1);
    EXPECT_EQ(curves.size(), 2u);
}

TEST(CurveJoins, EndsJoinInChainsAndAChainBackToItsStartIsALoop)
{
    // Three pieces of one loop, each given end to end the wrong way once.
    const std::vector<DoubleCurve> pieces = {line({0.0, 0.1}, 0), line({0.3, 0.2}, 0), line({0.4, 0.5}, 0)};
    std::vector<std::vector<CurvePoint>> tails(6);
    std::vector<long> partner(6, -1);
    const auto link = [&](long a, long b) {
        partner[a] = b;
        partner[b] = a;
    };
    link(1, 3);  // last of the first to last of the second
    link(2, 4);  // first of the second to first of the third
    tails[1] = line({0.15}, 0).points;
    std::vector<DoubleCurve> joined = joinEnds(pieces, tails, partner);
    ASSERT_EQ(joined.size(), 1u);
    EXPECT_FALSE(joined[0].closed);
    std::vector<double> xs;
    for (const CurvePoint& p : joined[0].points)
        xs.push_back(p.position[0]);
    EXPECT_EQ(xs, (std::vector<double>{0.0, 0.1, 0.15, 0.2, 0.3, 0.4, 0.5}));

    link(5, 0);  // and round to the start
    joined = joinEnds(pieces, tails, partner);
    ASSERT_EQ(joined.size(), 1u);
    EXPECT_TRUE(joined[0].closed);
    EXPECT_EQ(joined[0].points.size(), 7u);
    // A piece with no join stays as it was.
    const std::vector<DoubleCurve> alone = joinEnds(pieces, std::vector<std::vector<CurvePoint>>(6), std::vector<long>(6, -1));
    ASSERT_EQ(alone.size(), 3u);
    EXPECT_EQ(alone[1].points[0].position[0], 0.3);
}
