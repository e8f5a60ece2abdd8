#include "curves/AxisPoints.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "curves/ChordGrid.h"
#include "curves/CurveJoins.h"
#include "curves/SheetChart.h"
#include "curves/SheetNewton.h"

namespace {
// Images of one point or origin closer than this are one (they are placed
// by the same turns to within rounding).
constexpr double sameImage = 1e-9;
// Newton's method on x = y = 0 has converged below this (world units).
constexpr double onAxis = 1e-13;

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

// The origin near `from` whose point lies on the axis; false if Newton's
// method does not get there.
bool solveOnAxis(const ExactSurface& surface, Vec3 from, Vec3& origin)
{
    Vec3 u = from;
    for (int k = 0; k < 24; ++k) {
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

// Whether every strip is its own mirror image, about its middle or its
// edges: points at the same latitude and as far either side of the mirror's
// longitude at the same height and distance from the axis.
bool mirroredStrips(const ExactSurface& surface)
{
    constexpr double same = 1e-12;
    const double half = 180.0 / surface.around;
    for (const double mirror : {90.0, 90.0 - half}) {
        bool mirrored = true;
        for (const double latitude : {30.0, -50.0}) {
            double east[3], west[3];
            exactPosition(surface, {latitude, mirror + 0.3 * half}, east);
            exactPosition(surface, {latitude, mirror - 0.3 * half}, west);
            mirrored = mirrored && std::fabs(std::hypot(east[0], east[1]) - std::hypot(west[0], west[1])) <= same &&
                       std::fabs(east[2] - west[2]) <= same;
        }
        if (mirrored)
            return true;
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

// The way from an arm to the point it comes into.
struct Segment {
    std::vector<TracePoint> points;  // after the arm's point, up to and with the point it comes into
    long arrival = -1;               // the arm there that leads back along it
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
// than with steps down to a thousandth of a row.
Segment followArm(const ExactSurface& surface, const std::vector<AxisPoint>& points, const Arms& arms,
                  const Arm& arm, const FollowSteps& steps)
{
    constexpr double nearPoint = 0.25;
    const double arrival = 2 * steps.finest;
    const double floorStep = nearPoint * arrival;
    const double arriving = std::cos(0.05);
    Segment segment;
    FollowSteps fine = steps;
    fine.finest = 1e-3 * steps.finest;
    double travelled = 0;
    Vec3 last = arm.start.position;
    double carried = floorStep;  // the step, from one run of the follow to the next
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
        carried = step;
        return false;
    };
    // The longest way between two points is 8.4 long (eight strips, t = 0.5);
    // a follow gives up after 4,096 steps.
    bool arrived = false;
    TracePoint at = arm.start;
    for (int run = 0; run < 64 && !arrived; ++run) {
        const std::size_t before = segment.points.size();
        fine.first = carried;
        arrived = followCurve(surface, at, fine, stop, segment.points);
        if (!arrived && segment.points.size() - before < 64)
            break;
        at = segment.points.back();
    }
    if (!arrived || into < 0)
        return {};
    const TracePoint& in = arms.arms[static_cast<std::size_t>(into)].start;
    const TracePoint& previous = segment.points.empty() ? arm.start : segment.points.back();
    segment.points.push_back(orientedAlong(alignedWith(previous, in), in.position - last));
    segment.arrival = into;
    return segment;
}

// The way with only as many of its points as keep every chord within
// `deviation` of the points it passes over and no longer than `longest`: the
// follow's steps are far finer near the points than the curves need.
// NOTE: eight strips, t = 0.5, 12 x 12: the ways' 2,458 points made 19,664
// with their images, against the search's 5,136 for all its curves. Thinned
// to within a fortieth of a row they make 5,352, and the curves are 195.4
// long (196.9 unthinned, 197.3 at 96 x 96 unthinned, and the search's 195.0);
// within a tenth, the search's bound, 3,032 and 192.4.
void thin(const TracePoint& start, double deviation, double longest, std::vector<TracePoint>& way)
{
    std::vector<TracePoint> kept;
    Vec3 from = start.position;
    std::size_t i = 0;
    while (i < way.size()) {
        std::size_t j = i;
        while (j + 1 < way.size() && distance(from, way[j + 1].position) <= longest) {
            bool straight = true;
            for (std::size_t k = i; k <= j && straight; ++k)
                straight = segmentDistance(way[k].position, from, way[j + 1].position) <= deviation;
            if (!straight)
                break;
            ++j;
        }
        kept.push_back(way[j]);
        from = way[j].position;
        i = j + 1;
    }
    way = std::move(kept);
}

// The curves of the ways: each way, then straight on through the point it
// comes into, until the first arm comes round again.
struct Line {
    std::vector<TracePoint> points;
    bool closed = false;
};

std::vector<Line> joinWays(const Arms& arms, const std::vector<Segment>& segments)
{
    std::vector<Line> made;
    std::vector<char> used(arms.arms.size(), 0);
    for (std::size_t a0 = 0; a0 < arms.arms.size(); ++a0) {
        if (used[a0])
            continue;
        Line line;
        line.points.push_back(arms.arms[a0].start);
        for (std::size_t k = a0;;) {
            const Segment& s = segments[k];
            used[k] = used[static_cast<std::size_t>(s.arrival)] = 1;
            for (const TracePoint& p : s.points)
                line.points.push_back(alignedWith(line.points.back(), p));
            k = static_cast<std::size_t>(s.arrival) ^ 1;
            if (k == a0) {
                line.points.pop_back();
                line.closed = true;
                break;
            }
            if (used[k])
                break;
        }
        made.push_back(std::move(line));
    }
    return made;
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
    std::vector<Vec3> found;
    for (int t = 0; t < mesh.domainTriangles; ++t) {
        const auto& v = mesh.triangles[static_cast<std::size_t>(t)];
        if (!coversAxis(mesh.positions[v[0]], mesh.positions[v[1]], mesh.positions[v[2]]))
            continue;
        Vec3 origin;
        if (!solveOnAxis(surface, normalized(mesh.originUnit(v[0]) + mesh.originUnit(v[1]) + mesh.originUnit(v[2])),
                         origin) ||
            std::hypot(origin.x, origin.y) < leastAcross)
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
                             double sheetReach, double near, double endReach, std::vector<DoubleCurve>& curves)
{
    // While the strips are mirror images of themselves (up to t = 0.225 and
    // from t = 0.6 on, whatever their number), the points lie on the mirror
    // planes, where two turned sets of sheets may meet, and the curves of
    // mirrored sheets cross each other there, which following the points'
    // curves does not mend; nor does it where the search left a curve open
    // away from the points.
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
    std::vector<long> source(arms.arms.size(), -1);
    std::vector<int> element(arms.arms.size(), 0);
    std::vector<std::size_t> representatives;
    for (std::size_t k = 0; k < arms.arms.size(); ++k) {
        if (source[k] >= 0)
            continue;
        representatives.push_back(k);
        for (int g = 1; g < symmetry.order(); ++g) {
            const long m = image(g, arms.arms[k].start);
            if (m > static_cast<long>(k) && source[static_cast<std::size_t>(m)] < 0) {
                source[static_cast<std::size_t>(m)] = static_cast<long>(k);
                element[static_cast<std::size_t>(m)] = g;
            }
        }
    }
    // Each way is followed from one end only, its way back being the same
    // reversed: the arms are followed in rounds of two (the same whatever the
    // threads, so that the result does not depend on them), and an arm whose
    // way came round in an earlier way of its round is not taken further. A
    // way that comes into an arm whose way is known already crossed over to
    // another curve.
    // NOTE: eight strips, t = 0.55, 12 x 12: following every arm and asking
    // that each way agree with the way back cost 244 M instructions a
    // search, this 214 M. From t = 0.475 to 0.595 with 4, 5 and 8 strips at
    // 12 and 48 patches the curves came out the same, but at t = 0.58 with
    // five strips (48 x 48): there the way back had crossed over, and the
    // curves are now those of 96 and 192 patches.
    std::vector<Segment> segments(arms.arms.size());
    std::vector<char> known(arms.arms.size(), 0);
    // The way back from where arm c's way comes in, set as the way of its
    // orbit's followed arm; false if that arm's way is known and another.
    const auto wayBack = [&](std::size_t c) {
        const std::size_t into = static_cast<std::size_t>(segments[c].arrival);
        const std::size_t r = source[into] < 0 ? into : static_cast<std::size_t>(source[into]);
        const int back = source[into] < 0 ? 0 : symmetry.inverse(element[into]);
        Segment way;
        const std::vector<TracePoint>& there = segments[c].points;
        for (std::size_t i = there.size() - 1; i-- > 0;)
            way.points.push_back(mapped(symmetry, back, turnedBy(there[i], -1)));
        way.points.push_back(mapped(symmetry, back, turnedBy(arms.arms[c].start, -1)));
        way.arrival = image(back, arms.arms[c].start);
        if (way.arrival < 0)
            return false;
        if (known[r])
            return segments[r].arrival == way.arrival;
        segments[r] = std::move(way);
        known[r] = 1;
        return true;
    };
    constexpr std::size_t round = 2;
    for (std::size_t next = 0;;) {
        std::vector<std::size_t> batch;
        for (; batch.size() < round && next < representatives.size(); ++next)
            if (!known[representatives[next]])
                batch.push_back(representatives[next]);
        if (batch.empty())
            break;
        std::vector<Segment> ways(batch.size());
        const long count = static_cast<long>(batch.size());
#if defined(_OPENMP)
#pragma omp parallel for schedule(dynamic, 1) if (count > 1)
#endif
        for (long i = 0; i < count; ++i)
            ways[static_cast<std::size_t>(i)] =
                followArm(surface, points, arms, arms.arms[batch[static_cast<std::size_t>(i)]], steps);
        for (std::size_t i = 0; i < batch.size(); ++i) {
            const std::size_t c = batch[i];
            if (known[c])
                continue;
            if (ways[i].arrival < 0)
                return;
            thin(arms.arms[c].start, 0.125 * steps.finest, steps.longest, ways[i].points);
            segments[c] = std::move(ways[i]);
            known[c] = 1;
            if (!wayBack(c))
                return;
        }
    }
    for (std::size_t k = 0; k < arms.arms.size(); ++k) {
        if (source[k] < 0)
            continue;
        const Segment& from = segments[static_cast<std::size_t>(source[k])];
        for (const TracePoint& p : from.points)
            segments[k].points.push_back(mapped(symmetry, element[k], p));
        segments[k].arrival = image(element[k], arms.arms[static_cast<std::size_t>(from.arrival)].start);
        if (segments[k].arrival < 0)
            return;
    }
    // Each way is the other's way back; where it is not, a follow crossed
    // over to another curve.
    for (std::size_t k = 0; k < arms.arms.size(); ++k)
        if (segments[static_cast<std::size_t>(segments[k].arrival)].arrival != static_cast<long>(k))
            return;
    const std::vector<Line> made = joinWays(arms, segments);

    // The search's curves that run along the new ones go, and so do the
    // pieces it left round the points; a curve that runs partly along a new
    // one and partly elsewhere was joined to it where it should not have
    // been, or the new one was, and then all is left as it was. Loops near a
    // point, but along none of its curves, stay.
    ChordGrid chords;
    std::vector<OriginPair> chordSheets;
    for (const Line& line : made) {
        const std::size_t n = line.points.size();
        for (std::size_t i = 0; i < n && (i + 1 < n || (line.closed && n > 1)); ++i) {
            chords.add(line.points[i].position, line.points[(i + 1) % n].position);
            chordSheets.push_back({line.points[i].ua, line.points[i].ub});
        }
    }
    chords.build();
    const double close = std::cos(sheetReach);
    const auto alongNew = [&](const CurvePoint& p) {
        OriginPair sheets;
        bool named = false;
        return chords.anyNear(positionOf(p), along, [&](std::uint32_t k) {
            if (!named)
                sheets = {unitOfOrigin(p.a), unitOfOrigin(p.b)};
            named = true;
            return sameTwoSheets(sheets, chordSheets[k], close);
        });
    };
    std::vector<char> replaced(curves.size(), 0);
    for (std::size_t c = 0; c < curves.size(); ++c) {
        const std::vector<CurvePoint>& line = curves[c].points;
        bool along = false, elsewhere = false;
        for (const CurvePoint& p : line) {
            if (pointNear(points, positionOf(p), near) >= 0)
                continue;
            if (alongNew(p))
                along = true;
            else
                elsewhere = true;
            if (along && elsewhere)
                return;
        }
        if (!elsewhere && !along && curves[c].closed)
            along = std::any_of(line.begin(), line.end(), alongNew);
        replaced[c] = !elsewhere && (along || !curves[c].closed);
    }
    std::size_t c = 0;
    std::erase_if(curves, [&](const DoubleCurve&) { return replaced[c++] != 0; });
    for (const Line& line : made) {
        DoubleCurve curve;
        curve.closed = line.closed;
        for (const TracePoint& p : line.points)
            curve.points.push_back(curvePoint(p));
        curves.push_back(std::move(curve));
    }
}
