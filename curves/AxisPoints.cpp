#include "curves/AxisPoints.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

#include "curves/CurveJoins.h"
#include "curves/MirrorCrossings.h"
#include "curves/SheetChart.h"
#include "curves/SheetNewton.h"
#include "curves/StarWays.h"

namespace {
// Images of one point or origin closer than this are one (they are placed
// by the same turns to within rounding).
constexpr double sameImage = 1e-9;
// Newton's method on x = y = 0 has converged below this (world units).
constexpr double onAxis = 1e-13;
// Facets near the axis are split no finer than this (radians of the t = 0
// sphere) in looking for its points.
constexpr double axisFinest = 1e-4;

double shadowSide(const Vec3& a, const Vec3& b)
{
    return a.x * b.y - a.y * b.x;
}

// Whether the triangle's shadow on the xy plane covers the axis.
bool coversAxis(const Vec3& a, const Vec3& b, const Vec3& c)
{
    const double s0 = shadowSide(a, b), s1 = shadowSide(b, c), s2 = shadowSide(c, a);
    return (s0 >= 0 && s1 >= 0 && s2 >= 0) || (s0 <= 0 && s1 <= 0 && s2 <= 0);
}

double segmentFromAxis(const Vec3& a, const Vec3& b)
{
    const double dx = b.x - a.x, dy = b.y - a.y, across = dx * dx + dy * dy;
    const double s = across > 0 ? std::clamp(-(a.x * dx + a.y * dy) / across, 0.0, 1.0) : 0.0;
    return std::hypot(a.x + s * dx, a.y + s * dy);
}

// How far the triangle's shadow on the xy plane lies from the axis.
double shadowFromAxis(const Vec3& a, const Vec3& b, const Vec3& c)
{
    if (coversAxis(a, b, c))
        return 0;
    return std::fmin(segmentFromAxis(a, b), std::fmin(segmentFromAxis(b, c), segmentFromAxis(c, a)));
}

// Where to start Newton's method for the axis points within a triangle of
// origins, with its exact points. The facets' shadows are linear, but where
// a pair of points is born (the sheet folds over the axis, t = 0.5) both lie
// within one facet, whose shadow need not cover the axis at all: eight
// strips, t = 0.5, a pair 0.006 apart that 24 and 48 patches passed over.
// So a triangle whose shadow lies nearer the axis than its edges' midpoints
// stray from their chords' is split in four, down to `finest` radians, and
// its shadow is believed only once the strays are small beside it.
void axisStarts(const ExactSurface& surface, const Vec3 (&u)[3], const Vec3 (&p)[3], double finest,
                double leastAcross, std::vector<Vec3>& starts)
{
    // The poles stay on the axis, so a facet at one is always near it; such a
    // facet is only tried where its shadow covers the axis.
    if (std::any_of(std::begin(u), std::end(u), [&](const Vec3& c) { return std::hypot(c.x, c.y) < leastAcross; })) {
        if (coversAxis(p[0], p[1], p[2]))
            starts.push_back(normalized(u[0] + u[1] + u[2]));
        return;
    }
    Vec3 um[3], pm[3];
    double stray = 0;
    for (int i = 0; i < 3; ++i) {
        const int k = (i + 1) % 3;
        um[i] = normalized(u[i] + u[k]);
        pm[i] = sheetJet(surface, um[i]).position;
        const Vec3 off = pm[i] - (p[i] + p[k]) * 0.5;
        stray = std::fmax(stray, std::hypot(off.x, off.y));
    }
    const double away = shadowFromAxis(p[0], p[1], p[2]);
    if (away > 2 * stray)
        return;
    // The shadow's inradius: twice its area over its perimeter.
    const double area = std::fabs(shadowSide(p[1] - p[0], p[2] - p[0]));
    const double perimeter = std::hypot(p[1].x - p[0].x, p[1].y - p[0].y) + std::hypot(p[2].x - p[1].x, p[2].y - p[1].y) +
                             std::hypot(p[0].x - p[2].x, p[0].y - p[2].y);
    const bool linear = perimeter > 0 && 8 * stray <= area / perimeter;
    // A triangle left near the axis is tried even where its shadow misses
    // it: a point on a shared edge may fall just outside both facets'
    // shadows by rounding.
    if (linear || distance(u[0], u[1]) <= finest) {
        starts.push_back(normalized(u[0] + u[1] + u[2]));
        return;
    }
    const Vec3 corners[4][3] = {{u[0], um[0], um[2]}, {um[0], u[1], um[1]}, {um[2], um[1], u[2]}, {um[0], um[1], um[2]}};
    const Vec3 points[4][3] = {{p[0], pm[0], pm[2]}, {pm[0], p[1], pm[1]}, {pm[2], pm[1], p[2]}, {pm[0], pm[1], pm[2]}};
    for (int c = 0; c < 4; ++c)
        axisStarts(surface, corners[c], points[c], finest, leastAcross, starts);
}

// The origin near `from` whose point lies on the axis, at least
// `leastAcross` radians from the poles; false if Newton's method does not get
// there. It crawls into a pole (on the axis, where the derivatives fail), so
// it gives up on reaching one.
bool solveOnAxis(const ExactSurface& surface, Vec3 from, double leastAcross, Vec3& origin)
{
    Vec3 u = from;
    for (int k = 0; k < 24; ++k) {
        if (std::hypot(u.x, u.y) < leastAcross)
            return false;
        const SheetJet j = sheetJet(surface, u);
        if (std::hypot(j.position.x, j.position.y) <= onAxis) {
            origin = j.unit;
            return true;
        }
        const double a = j.alongEast.x, b = j.alongNorth.x, c = j.alongEast.y, d = j.alongNorth.y;
        const double det = a * d - b * c;
        if (!(std::fabs(det) > 1e-14))
            return false;
        const double e = -(d * j.position.x - b * j.position.y) / det;
        const double n = -(a * j.position.y - c * j.position.x) / det;
        // A step of more than a few degrees has left the facet's
        // neighbourhood.
        if (!(std::hypot(e, n) < 0.1))
            return false;
        u = moveOnSphere(j, e, n);
    }
    return false;
}

// An arm of a star: its point, the two sheets, and the curve's point there
// with its tangent leading out along the arm. Arms 2k and 2k + 1 are the
// two ways out along one curve.
struct Arm {
    std::size_t point = 0;
    int i = 0, j = 0;
    TracePoint start;
};

struct Arms {
    std::vector<Arm> arms;
    std::vector<std::size_t> first;  // per point, its first arm; one more entry at the end

    // The arm at point q on the sheets ua and ub (either order, each within
    // the angle whose cosine is `close`) leading along `direction`; -1 if
    // none.
    long find(const std::vector<AxisPoint>& points, std::size_t q, const Vec3& ua, const Vec3& ub,
              const Vec3& direction, double close) const
    {
        const std::vector<Vec3>& s = points[q].sheets;
        for (std::size_t k = first[q]; k < first[q + 1]; ++k)
            if (sameTwoSheets({s[arms[k].i], s[arms[k].j]}, {ua, ub}, close) && dot(arms[k].start.tail, direction) > 0)
                return static_cast<long>(k);
        return -1;
    }
};

// The first point within `radius` of `at`; -1 if none.
long pointNear(const std::vector<AxisPoint>& points, const Vec3& at, double radius)
{
    for (std::size_t q = 0; q < points.size(); ++q)
        if (distance(points[q].position, at) <= radius)
            return static_cast<long>(q);
    return -1;
}

long findPoint(const std::vector<AxisPoint>& points, const Vec3& at)
{
    return pointNear(points, at, sameImage);
}

Arms armsOf(const ExactSurface& surface, const std::vector<AxisPoint>& points)
{
    Arms a;
    for (std::size_t q = 0; q < points.size(); ++q) {
        a.first.push_back(a.arms.size());
        const std::vector<Vec3>& s = points[q].sheets;
        for (int i = 0; i < static_cast<int>(s.size()); ++i)
            for (int j = i + 1; j < static_cast<int>(s.size()); ++j) {
                DoubleSolution solution;
                // Sheets that touch there give no curve through the point.
                if (!solveDoublePoint(surface, s[i], s[j], solution) ||
                    distance(solution.a.position, points[q].position) > sameImage)
                    continue;
                const TracePoint p = fromSolution(solution);
                a.arms.push_back({q, i, j, p});
                a.arms.push_back({q, i, j, turnedBy(p, -1)});
            }
    }
    a.first.push_back(a.arms.size());
    return a;
}

// Follows the curve out along `arm` until it comes into a point along an
// arm there. Near a point the steps are at most a quarter of the distance to
// it, but not below a tenth of a row: the sheets there are nearly level and
// cross at small angles, and a curve of two of them can pass close by
// another of the same two. Heading into a point along one of its arms,
// within 0.4 row of it, the follow has arrived: the curve's last chord runs
// into the point.
// NOTE: eight strips, 12 x 12: with steps of half the distance, a follow
// crossed over to another curve in a step of 0.021 some 0.045 from a point
// (the chord's middle lay 0.076 from the curve), and the ways between points
// did not agree each way round (t = 0.5 and 0.575); nor did they, at 48 x 48,
// arriving within 0.8 row (t = 0.575). As here, they agreed from t = 0.475
// to 0.575 with 5 and 8 strips at 12, 48 and 96 patches, in 40 % fewer steps
// than with steps down to a thousandth of a row. Where two points lie closer
// together than that, it arrives within twice their distance: a pair just
// born (eight strips, t = 0.5: 0.006 apart, a tenth of a row at 12 x 12)
// has loops through both, which with the row's steps crossed over.
ArmWay followArm(const ExactSurface& surface, const std::vector<AxisPoint>& points, const Arms& arms,
                  const Arm& arm, const FollowSteps& steps, double closest)
{
    constexpr double nearPoint = 0.25;
    const double arrival = std::fmin(2 * steps.finest, 2 * closest);
    const double floorStep = nearPoint * arrival;
    const double arriving = std::cos(0.05);
    ArmWay segment;
    FollowSteps fine = steps;
    fine.finest = 1e-3 * steps.finest;
    double travelled = 0;
    Vec3 last = arm.start.position;
    long into = -1;
    const auto stop = [&](const TracePoint& p, double& step) {
        travelled += distance(last, p.position);
        last = p.position;
        for (std::size_t q = 0; q < points.size(); ++q) {
            const Vec3 ahead = points[q].position - p.position;
            const double d = length(ahead);
            step = std::fmin(step, std::fmax(nearPoint * d, floorStep));
            if (d <= std::fmin(arrival, 1.5 * step) && travelled > 0 && dot(ahead, p.tail) > 0) {
                into = arms.find(points, q, p.ua, p.ub, p.position - points[q].position, arriving);
                if (into >= 0)
                    return true;
            }
        }
        return false;
    };
    // The longest way between two points is 8.4 long (eight strips, t = 0.5);
    // a follow gives up after 4,096 steps.
    fine.first = floorStep;
    if (!followInRuns(surface, arm.start, fine, stop, segment.points) || into < 0)
        return {};
    const TracePoint& in = arms.arms[static_cast<std::size_t>(into)].start;
    const TracePoint& previous = segment.points.empty() ? arm.start : segment.points.back();
    segment.points.push_back(orientedAlong(alignedWith(previous, in), in.position - last));
    segment.arrival = into;
    return segment;
}

}

std::vector<AxisPoint> axisPoints(const ExactSurface& surface, const SearchMesh& mesh)
{
    if (surface.method != EversionMethod::Corrugations)
        return {};
    const SurfaceSymmetry& symmetry = mesh.symmetry;
    // The origins in the fundamental domain whose points are on the axis,
    // away from the poles: their n turned copies are sheets apart.
    const double leastAcross = minimumSeparation / (2 * std::sin(std::numbers::pi / symmetry.around));
    // The facets whose shadow lies within their longest edge of the axis
    // are looked into.
    // NOTE: eight strips, 12 x 12: 0.8 M instructions a search at t = 0.4
    // (no point) and 4.6 M at t = 0.75, 1 to 2 % of it; splitting the facets
    // at the poles too, down to `leastAcross`, cost 5 M at t = 0.4.
    std::vector<Vec3> starts;
    for (int t = 0; t < mesh.domainTriangles; ++t) {
        const auto& v = mesh.triangles[static_cast<std::size_t>(t)];
        const Vec3 &p0 = mesh.positions[v[0]], &p1 = mesh.positions[v[1]], &p2 = mesh.positions[v[2]];
        const double edge = std::fmax(distance(p0, p1), std::fmax(distance(p1, p2), distance(p2, p0)));
        if (shadowFromAxis(p0, p1, p2) > edge)
            continue;
        const Vec3 u[3] = {mesh.originUnit(v[0]), mesh.originUnit(v[1]), mesh.originUnit(v[2])};
        const Vec3 p[3] = {sheetJet(surface, u[0]).position, sheetJet(surface, u[1]).position,
                           sheetJet(surface, u[2]).position};
        axisStarts(surface, u, p, axisFinest, leastAcross, starts);
    }
    std::vector<Vec3> found;
    for (const Vec3& start : starts) {
        Vec3 origin;
        if (!solveOnAxis(surface, start, leastAcross, origin))
            continue;
        if (std::none_of(found.begin(), found.end(), [&](const Vec3& f) { return distance(f, origin) <= 1e-7; }))
            found.push_back(origin);
    }
    // Each point once, with every sheet through it.
    std::vector<AxisPoint> points;
    for (const Vec3& origin : found) {
        const Vec3 at = sheetJet(surface, origin).position;
        for (int g = 0; g < symmetry.order(); ++g) {
            const Vec3 p = applySymmetry(symmetry, g, at), sheet = applySymmetry(symmetry, g, origin);
            long q = findPoint(points, p);
            if (q < 0) {
                points.push_back({{0, 0, p.z}, {}});
                q = static_cast<long>(points.size()) - 1;
            }
            std::vector<Vec3>& sheets = points[static_cast<std::size_t>(q)].sheets;
            if (std::none_of(sheets.begin(), sheets.end(), [&](const Vec3& s) { return distance(s, sheet) <= 1e-7; }))
                sheets.push_back(sheet);
        }
    }
    std::sort(points.begin(), points.end(),
              [](const AxisPoint& x, const AxisPoint& y) { return x.position.z < y.position.z; });
    return points;
}

void followThroughAxisPoints(const ExactSurface& surface, const SurfaceSymmetry& symmetry,
                             const std::vector<AxisPoint>& points, const FollowSteps& steps, double along,
                             double sheetReach, double near, double endReach, std::vector<DoubleCurve>& curves,
                             std::vector<TracedPolyline>& followed)
{
    // While the strips are mirror images of themselves (up to t = 0.23 and
    // from t = 0.6 on, whatever their number), the points lie on the mirror
    // planes, where two turned sets of sheets may meet and the points where a
    // sheet stands square to a mirror gather round them (MirrorCrossings.h
    // follows the curves then); nor does following them mend a curve the
    // search left open away from the points.
    // NOTE: eight strips, 12 to 96 patches: the ways could not replace the
    // search's curves at any time from 0.6 to 0.85, and following them cost
    // as much again as the search.
    if (points.empty() || mirroredStrips(surface) || std::any_of(points.begin(), points.end(), [&](const AxisPoint& q) {
            return static_cast<int>(q.sheets.size()) != symmetry.around;
        }))
        return;
    const auto endNear = [&](const CurvePoint& p) { return pointNear(points, positionOf(p), endReach) >= 0; };
    for (const DoubleCurve& c : curves)
        if (!c.closed && !c.points.empty() && !(endNear(c.points.front()) && endNear(c.points.back())))
            return;
    // The points are in order along the axis.
    double closest = 1e300;
    for (std::size_t q = 1; q < points.size(); ++q)
        closest = std::fmin(closest, points[q].position.z - points[q - 1].position.z);
    const Arms arms = armsOf(surface, points);
    if (arms.arms.empty())
        return;

    // The first arm of each orbit of the group stands for it: the others take
    // its way turned.
    const double exact = std::cos(1e-6);
    const auto image = [&](int g, const TracePoint& p) -> long {
        const long q = findPoint(points, applySymmetry(symmetry, g, p.position));
        return q < 0 ? -1
                     : arms.find(points, static_cast<std::size_t>(q), applySymmetry(symmetry, g, p.ua),
                                 applySymmetry(symmetry, g, p.ub), applySymmetry(symmetry, g, p.tail), exact);
    };
    ArmOrbits orbits;
    orbits.representative.resize(arms.arms.size());
    std::iota(orbits.representative.begin(), orbits.representative.end(), std::size_t{0});
    orbits.element.assign(arms.arms.size(), 0);
    for (std::size_t k = 0; k < arms.arms.size(); ++k) {
        if (orbits.representative[k] != k)
            continue;
        for (int g = 1; g < symmetry.order(); ++g) {
            const long m = image(g, arms.arms[k].start);
            if (m > static_cast<long>(k) && orbits.representative[static_cast<std::size_t>(m)] == static_cast<std::size_t>(m)) {
                orbits.representative[static_cast<std::size_t>(m)] = k;
                orbits.element[static_cast<std::size_t>(m)] = g;
            }
        }
    }
    // NOTE: eight strips, t = 0.55, 12 x 12: following every arm and asking
    // that each way agree with the way back cost 244 M instructions a
    // search, following each way from one end 214 M. From t = 0.475 to 0.595
    // with 4, 5 and 8 strips at 12 and 48 patches the curves came out the
    // same, but at t = 0.58 with five strips (48 x 48): there the way back
    // had crossed over, and the curves are now those of 96 and 192 patches.
    const auto armImage = [&](int g, std::size_t k) { return image(g, arms.arms[k].start); };
    const auto follow = [&](std::size_t c, ArmWay& way) {
        way = followArm(surface, points, arms, arms.arms[c], steps, closest);
        if (way.arrival < 0)
            return false;
        thinWay(arms.arms[c].start, 0.125 * steps.finest, steps.longest, way.points);
        return true;
    };
    std::vector<TracePoint> starts;
    for (const Arm& arm : arms.arms)
        starts.push_back(arm.start);
    std::vector<ArmWay> segments(arms.arms.size());
    if (!followFromOneEnd(symmetry, starts, orbits, follow, armImage, segments) ||
        !placeWays(symmetry, orbits, armImage, segments))
        return;
    // The search's curves that run along the new ones go, and so do the
    // pieces it left round the points.
    replaceAlong(
        joinWays(starts, segments),
        [&](std::size_t c, std::size_t i) { return pointNear(points, positionOf(curves[c].points[i]), near) >= 0; },
        along, sheetReach, curves);
    addWaysNearTheirPoints(symmetry, starts, orbits, segments, 2 * near, followed);
}
