#include "curves/CurveTracing.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

#include "curves/CurveLift.h"
#include "curves/TracePoint.h"

namespace {
// Halvings of one gap at most: a gap is split into 16 pieces at most.
constexpr int deepestSplit = 4;
// A gap whose mesh polyline is this much longer than its chord bends between
// its ends.
constexpr double detour = 1.15;

// How far the curve strays from the chord between p and q, estimated from
// its tangents there (both along the way from p to q) as for a circular arc;
// without bound if it turns back (a hairpin can be as deep as it likes).
double strayFromChord(const TracePoint& p, const TracePoint& q)
{
    const Vec3 chord = q.position - p.position;
    const double c = length(chord);
    if (!(c > 0))
        return 0;
    const Vec3 u = chord * (1 / c);
    const double cp = dot(p.tail, u), cq = dot(q.tail, u);
    if (cp <= 0 || cq <= 0)
        return std::numeric_limits<double>::infinity();
    const double sp = length(cross(p.tail, u)), sq = length(cross(q.tail, u));
    return 0.25 * c * std::fmax(sp, sq);
}

// Whether the gap from x to y (tangents along the way) needs points between:
// it is long, or the curve strays from its chord or turns back there, or the
// mesh's polyline between is much longer than the chord. A turn back is
// split down to a quarter of the deviation: the hairpin beyond may be deep.
bool needsSplit(const TracePoint& x, const TracePoint& y, double meshLength, const TracingSettings& settings)
{
    const double gap = distance(x.position, y.position);
    if (gap > settings.longestGap)
        return true;
    const double stray = strayFromChord(x, y);
    if (std::isinf(stray))
        return gap > 0.25 * settings.deviation;
    return gap > settings.deviation && (stray > settings.deviation || meshLength > detour * gap);
}

// Runs body(i) for i in [0, count) on every thread, each index once.
template <class Body>
void parallelFor(long count, Body&& body)
{
#if defined(_OPENMP)
#pragma omp parallel for schedule(dynamic, 4) if (count > 8)
#endif
    for (long i = 0; i < count; ++i)
        body(i);
}

// A mesh crossing between two refined points, placed in the gap's frame.
struct Waypoint {
    Vec3 position;  // on the mesh
    Vec3 edgeSide, triangleSide;
};

double pathLength(const Vec3& from, const std::vector<Waypoint>& way, std::size_t begin, std::size_t end,
                  const Vec3& to)
{
    double sum = 0;
    Vec3 at = from;
    for (std::size_t k = begin; k < end; ++k) {
        sum += distance(at, way[k].position);
        at = way[k].position;
    }
    return sum + distance(at, to);
}

// The origins halfway between p and q by cubic Hermite interpolation in the
// space of origin pairs, where the curve is smooth even where its image in
// space turns sharply. The tangents at p and q both run from p towards q.
// Also returns the chord there (radians).
double hermiteMiddle(const TracePoint& p, const TracePoint& q, Vec3& a, Vec3& b)
{
    const auto norm = [](const Vec3& x, const Vec3& y) { return std::sqrt(dot(x, x) + dot(y, y)); };
    const double chord = norm(q.ua - p.ua, q.ub - p.ub);
    const double np = norm(p.ta, p.tb), nq = norm(q.ta, q.tb);
    if (!(np > 0 && nq > 0)) {
        a = normalized(p.ua + q.ua);
        b = normalized(p.ub + q.ub);
        return chord;
    }
    const Vec3 pa = p.ta * (1 / np), pb = p.tb * (1 / np), qa = q.ta * (1 / nq), qb = q.tb * (1 / nq);
    // The span of an arc with this chord and this turn.
    const double bend = std::acos(std::fmax(-1.0, std::fmin(1.0, dot(pa, qa) + dot(pb, qb))));
    const double span = chord * (bend > 1e-3 ? (bend / 2) / std::sin(bend / 2) : 1);
    a = normalized((p.ua + q.ua) * 0.5 + (pa - qa) * (span / 8));
    b = normalized((p.ub + q.ub) * 0.5 + (pb - qb) * (span / 8));
    return chord;
}

// Marks a gap the curve is not known to cross in a straight line.
TracePoint breakMark()
{
    TracePoint p{};
    p.position.x = std::numeric_limits<double>::quiet_NaN();
    return p;
}

bool isBreak(const TracePoint& p)
{
    return std::isnan(p.position.x);
}

struct GapSplitter {
    const ExactSurface& surface;
    const TracingSettings& settings;
    const std::vector<Waypoint>& way;

    // The points from p to q along the curve, followed step by step: for the
    // gaps a midpoint cannot split, such as a hairpin deeper than its ends
    // are apart. First the way p's tangent points, then the other way, each
    // for twice the length of the mesh's polyline between (`meshLength`) and
    // a longest gap; nothing is appended if neither gets there.
    bool follow(const TracePoint& p, const TracePoint& q, double meshLength, std::vector<TracePoint>& out) const
    {
        const std::size_t mark = out.size();
        const double chord = distance(p.position, q.position);
        const double farthest = 2 * meshLength + settings.longestGap;
        const FollowSteps steps{0.5 * std::fmin(settings.longestGap, chord), settings.longestGap,
                                0.5 * settings.deviation, settings.sharpestTurn};
        for (const double way : {1.0, -1.0}) {
            double travelled = 0;
            Vec3 last = p.position;
            const bool arrived = followCurve(surface, turnedBy(p, way), steps, [&](const TracePoint& at, const double& step) {
                travelled += distance(last, at.position);
                last = at.position;
                const Vec3 ahead = q.position - at.position;
                return (length(ahead) <= 1.5 * step && dot(ahead, at.tail) > 0) || travelled > farthest;
            }, out);
            if (arrived && distance(last, q.position) <= 1.5 * settings.longestGap && travelled <= farthest)
                return true;
            out.resize(mark);
        }
        return false;
    }

    // The refined points between p and q, in order, guided by the waypoints
    // [begin, end) between them; the tangents of p and q run from p to q.
    // Where a piece of the gap can be neither split nor followed, the curve is
    // not known to run straight across it: a break (breakMark) is put there.
    void split(const TracePoint& p, const TracePoint& q, std::size_t begin, std::size_t end, int depth,
               std::vector<TracePoint>& out) const
    {
        const double chord = distance(p.position, q.position);
        DoubleSolution s;
        bool found = false;
        std::size_t middle = begin;
        Vec3 heading = q.tail + p.tail;
        if (begin < end) {
            // The waypoint halfway along the mesh's polyline.
            const double half = 0.5 * pathLength(p.position, way, begin, end, q.position);
            double along = distance(p.position, way[begin].position);
            while (middle + 1 < end && along + distance(way[middle].position, way[middle + 1].position) < half) {
                along += distance(way[middle].position, way[middle + 1].position);
                ++middle;
            }
            found = solveDoublePoint(surface, way[middle].edgeSide, way[middle].triangleSide, s) &&
                    distance(s.a.position, way[middle].position) < settings.longestGap;
            heading = (middle + 1 < end ? way[middle + 1].position : q.position) -
                      (middle > begin ? way[middle - 1].position : p.position);
        }
        if (!found) {
            Vec3 a, b;
            const double span = hermiteMiddle(p, q, a, b);
            // Refused if Newton's method moved the origins farther than the
            // gap spans, or the point farther than the gap is long: to
            // another branch rather than to this one's middle.
            found = solveDoublePoint(surface, a, b, s) &&
                    (std::hypot(angleBetween(a, s.a.unit), angleBetween(b, s.b.unit)) < span ||
                     distance(s.a.position, s.start) < chord);
            middle = begin + (end - begin) / 2;
        }
        if (!found) {
            if (!follow(p, q, pathLength(p.position, way, begin, end, q.position), out))
                out.push_back(breakMark());
            return;
        }
        const TracePoint m = orientedAlong(alignedWith(p, fromSolution(s)), heading);
        const auto more = [&](const TracePoint& x, const TracePoint& y, std::size_t b, std::size_t e) {
            return needsSplit(x, y, b < e ? pathLength(x.position, way, b, e, y.position) : 0, settings);
        };
        // Halved so often that the halves still need more: followed instead.
        const auto onward = [&](const TracePoint& x, const TracePoint& y, std::size_t b, std::size_t e) {
            if (!more(x, y, b, e))
                return;
            if (depth + 1 < deepestSplit)
                split(x, y, b, e, depth + 1, out);
            else if (!follow(x, y, pathLength(x.position, way, b, e, y.position), out))
                out.push_back(breakMark());
        };
        const std::size_t after = begin < end ? std::min(middle + 1, end) : end;
        onward(p, m, begin, std::min(middle, end));
        out.push_back(m);
        onward(m, q, after, end);
    }
};

struct NodeState {
    bool chosen = false;
    bool refined = false;
    TracePoint point;  // a on the crossing's edge side, b on its triangle's
};

void refineNodes(const ExactSurface& surface, const SearchMesh& mesh, const CrossingGraph& graph,
                 const std::vector<std::uint32_t>& list, std::vector<NodeState>& nodes)
{
    parallelFor(static_cast<long>(list.size()), [&](long i) {
        const Crossing& c = graph.nodes[list[i]];
        DoubleSolution s;
        if (solveDoublePoint(surface, crossingEdgeOrigin(mesh, c), crossingTriangleOrigin(mesh, c), s)) {
            nodes[list[i]].point = fromSolution(s);
            nodes[list[i]].refined = true;
        }
    });
}

// Chooses crossings about `spacing` apart along each path; a path too short
// to be thinned keeps them all.
std::vector<std::uint32_t> chooseNodes(const SearchMesh& mesh, const CrossingGraph& graph, double spacing,
                                       std::vector<NodeState>& nodes)
{
    std::vector<std::uint32_t> chosen;
    for (const CrossingPath& path : graph.paths) {
        std::vector<Vec3> at(path.nodes.size());
        double total = 0;
        for (std::size_t i = 0; i < path.nodes.size(); ++i) {
            at[i] = applySymmetry(mesh.symmetry, path.frames[i], crossingPosition(mesh, graph.nodes[path.nodes[i]]));
            if (i > 0)
                total += distance(at[i - 1], at[i]);
        }
        const bool all = total < 4 * spacing;
        double since = 0;
        for (std::size_t i = 0; i < path.nodes.size(); ++i) {
            if (i > 0)
                since += distance(at[i - 1], at[i]);
            if (i == 0 || all || since >= spacing) {
                nodes[path.nodes[i]].chosen = true;
                chosen.push_back(path.nodes[i]);
                since = 0;
            }
        }
    }
    return chosen;
}

// For every chosen crossing that failed, the next unchosen one along its
// path instead.
std::vector<std::uint32_t> replaceFailures(const CrossingGraph& graph, std::vector<NodeState>& nodes)
{
    std::vector<std::uint32_t> again;
    for (const CrossingPath& path : graph.paths)
        for (std::size_t i = 0; i < path.nodes.size(); ++i) {
            const NodeState& n = nodes[path.nodes[i]];
            if (!n.chosen || n.refined)
                continue;
            if (i + 1 < path.nodes.size() && !nodes[path.nodes[i + 1]].chosen) {
                nodes[path.nodes[i + 1]].chosen = true;
                again.push_back(path.nodes[i + 1]);
            }
        }
    return again;
}

// Drops the excursions where a polyline runs back over itself: where the mesh
// near a hairpin's tip is too coarse to order the crossings, the chain can
// visit them in an order that goes up one arm, down, up again and down the
// other. An excursion starts and ends within `near` of each other, turns
// back in between, and every point of it lies within `near` of the rest of
// the polyline, so dropping it loses nothing. Each turn back drops the
// widest such excursions round it, all judged on the polyline as it is (in
// a loop, round its end too), so the result has the polyline's symmetry.
// Returns whether each point is kept.
std::vector<char> withoutExcursions(const std::vector<TracePoint>& line, bool closed, double near)
{
    constexpr long widest = 32;
    const long n = static_cast<long>(line.size());
    std::vector<char> kept(line.size(), 1);
    if (n < 4)
        return kept;
    // Index i of the polyline, wrapped in a loop; -1 past an open end.
    const auto index = [&](long i) -> long {
        if (closed)
            return ((i % n) + n) % n;
        return i < 0 || i >= n ? -1 : i;
    };
    const auto at = [&](long i) { return line[static_cast<std::size_t>(index(i))].position; };
    const long span = std::min(widest, n / 2);
    for (long k = 0; k < n; ++k) {
        if (index(k - 1) < 0 || index(k + 1) < 0)
            continue;
        const Vec3 u = at(k) - at(k - 1), v = at(k + 1) - at(k);
        if (!(dot(u, v) < -0.5 * length(u) * length(v)))
            continue;
        // All the widest windows, so that the choice does not depend on
        // which way the polyline runs.
        bool done = false;
        for (long width = span; width >= 2 && !done; --width)
            for (long i = k - width + 1; i < k; ++i) {
                const long j = i + width;
                if (index(i) < 0 || index(j) < 0 || distance(at(i), at(j)) > near)
                    continue;
                bool covered = true;
                for (long m = i + 1; m < j && covered; ++m) {
                    double best = 1e300;
                    // The chords outside the window, and the one across it.
                    for (long c = i - span; c <= j + span - 1; ++c) {
                        if (c > i && c < j)
                            continue;
                        const long d = c == i ? j : c + 1;
                        if (index(c) < 0 || index(d) < 0)
                            continue;
                        const Vec3 a = at(c), e = at(d) - a;
                        const double l = dot(e, e);
                        const double s = l > 0 ? std::fmin(1.0, std::fmax(0.0, dot(at(m) - a, e) / l)) : 0;
                        best = std::fmin(best, distance(at(m), a + e * s));
                    }
                    covered = best <= near;
                }
                if (covered) {
                    for (long m = i + 1; m < j; ++m)
                        kept[static_cast<std::size_t>(index(m))] = 0;
                    done = true;
                }
            }
    }
    return kept;
}

// One refined crossing of a lifted polyline, and where in the lift it is.
struct Visit {
    std::size_t step;
    TracePoint point;
};

// A gap between two consecutive visits as the group sees it: from the lower
// path index to the other, whose frame is given relative to the first's.
// Every image of the gap has the same key, so it is split once.
struct GapKey {
    std::size_t path;
    int from, to, relative;
    auto tie() const { return std::make_tuple(path, from, to, relative); }
    bool operator<(const GapKey& o) const { return tie() < o.tie(); }
    bool operator==(const GapKey& o) const { return tie() == o.tie(); }
};

GapKey gapKey(const SurfaceSymmetry& symmetry, std::size_t path, const LiftStep& p, const LiftStep& q,
              bool& reversed)
{
    const int forward = symmetry.compose(symmetry.inverse(p.frame), q.frame);
    const int backward = symmetry.inverse(forward);
    reversed = q.index < p.index || (q.index == p.index && backward < forward);
    return reversed ? GapKey{path, q.index, p.index, backward} : GapKey{path, p.index, q.index, forward};
}

struct GapTask {
    GapKey key;
    std::vector<LiftStep> inside;  // the lift's steps between, from `from`, frames relative to it
    // The refined points before `from` and after `to` along the polyline, in
    // the frame of `from`'s node, where there are such: they tell which way
    // the curve runs through the two.
    bool hasBefore = false, hasAfter = false;
    Vec3 before, after;
};
}

std::vector<TracedPolyline> traceDoubleCurves(const ExactSurface& surface, const SearchMesh& mesh,
                                              const CrossingGraph& graph, const TracingSettings& settings)
{
    const SurfaceSymmetry& symmetry = mesh.symmetry;
    std::vector<NodeState> nodes(graph.nodes.size());
    refineNodes(surface, mesh, graph, chooseNodes(mesh, graph, settings.spacing, nodes), nodes);
    refineNodes(surface, mesh, graph, replaceFailures(graph, nodes), nodes);
    const auto estimate = [&](const CrossingPath& path, const LiftStep& step) {
        return applySymmetry(symmetry, step.frame, crossingPosition(mesh, graph.nodes[path.nodes[step.index]]));
    };

    // Each path's polyline through its refined crossings, sheets named by
    // continuity, and the gaps that need points between.
    struct Polyline {
        Lift lift;
        std::vector<Visit> visits;
        bool closed = false;
        std::vector<char> splits;  // per visit: whether the gap after it is split
    };
    std::vector<Polyline> polylines(graph.paths.size());
    std::vector<GapTask> tasks;
    for (std::size_t k = 0; k < graph.paths.size(); ++k) {
        const CrossingPath& path = graph.paths[k];
        Polyline& line = polylines[k];
        line.lift = liftPath(symmetry, path);
        const std::vector<LiftStep>& steps = line.lift.steps;
        for (std::size_t i = 0; i < steps.size(); ++i) {
            const NodeState& n = nodes[path.nodes[steps[i].index]];
            if (!n.refined)
                continue;
            TracePoint p = mapped(symmetry, steps[i].frame, n.point);
            if (!line.visits.empty()) {
                p = alignedWith(line.visits.back().point, p);
                // Two crossings refined onto the same point.
                if (distance(line.visits.back().point.position, p.position) <= 1e-9)
                    continue;
            }
            line.visits.push_back({i, p});
        }
        const std::size_t count = line.visits.size();
        line.closed = line.lift.closed && count > 2;
        line.splits.assign(count, 0);
        const auto at = [&](std::size_t i) { return line.visits[i % count].point.position; };
        // The tangents at the ends of the gap after visit i, along the
        // polyline: the way it comes into the first and leaves the second
        // (not the chord between, which a hairpin turns back on).
        const auto leaving = [&](std::size_t i) {
            const bool first = !line.closed && i == 0;
            return orientedAlong(line.visits[i].point, first ? at(i + 1) - at(i) : at(i) - at(i + count - 1));
        };
        const auto arriving = [&](std::size_t i) {
            const bool last = !line.closed && i + 2 >= count;
            return orientedAlong(line.visits[(i + 1) % count].point, last ? at(i + 1) - at(i) : at(i + 2) - at(i + 1));
        };
        for (std::size_t i = 0; i + 1 < count || (line.closed && i < count); ++i) {
            const std::size_t first = line.visits[i].step, last = line.visits[(i + 1) % count].step;
            // The mesh's polyline between, round the end of a loop if need be.
            std::vector<std::size_t> between;
            for (std::size_t s = (first + 1) % steps.size(); s != last; s = (s + 1) % steps.size())
                between.push_back(s);
            double meshLength = 0;
            Vec3 from = at(i);
            for (const std::size_t s : between) {
                const Vec3 e = estimate(path, steps[s]);
                meshLength += distance(from, e);
                from = e;
            }
            meshLength += distance(from, at(i + 1));
            if (needsSplit(leaving(i), arriving(i), meshLength, settings)) {
                GapTask task;
                bool reversed;
                task.key = gapKey(symmetry, k, steps[first], steps[last], reversed);
                const bool hasBefore = line.closed || i > 0, hasAfter = line.closed || i + 2 < count;
                const int base = symmetry.inverse(steps[reversed ? last : first].frame);
                if (reversed)
                    std::reverse(between.begin(), between.end());
                for (const std::size_t s : between)
                    task.inside.push_back({steps[s].index, symmetry.compose(base, steps[s].frame), 1});
                const Vec3 before = applySymmetry(symmetry, base, at(i + count - 1));
                const Vec3 after = applySymmetry(symmetry, base, at(i + 2));
                task.hasBefore = reversed ? hasAfter : hasBefore;
                task.hasAfter = reversed ? hasBefore : hasAfter;
                task.before = reversed ? after : before;
                task.after = reversed ? before : after;
                tasks.push_back(std::move(task));
                line.splits[i] = 1;
            }
        }
    }
    std::stable_sort(tasks.begin(), tasks.end(), [](const GapTask& x, const GapTask& y) { return x.key < y.key; });
    tasks.erase(std::unique(tasks.begin(), tasks.end(), [](const GapTask& x, const GapTask& y) { return x.key == y.key; }),
                tasks.end());

    // Each task's points, from its lower index to the other, in the frame of
    // the lower index's node.
    std::vector<std::vector<TracePoint>> inner(tasks.size());
    parallelFor(static_cast<long>(tasks.size()), [&](long t) {
        const GapTask& task = tasks[t];
        const CrossingPath& path = graph.paths[task.key.path];
        std::vector<Waypoint> way;
        for (const LiftStep& s : task.inside) {
            const Crossing c = mapCrossing(mesh, s.frame, graph.nodes[path.nodes[s.index]]);
            way.push_back({crossingPosition(mesh, c), crossingEdgeOrigin(mesh, c), crossingTriangleOrigin(mesh, c)});
        }
        TracePoint p = nodes[path.nodes[task.key.from]].point;
        TracePoint q = alignedWith(p, mapped(symmetry, task.key.relative, nodes[path.nodes[task.key.to]].point));
        // Both tangents along the way from p to q: from the neighbours on the
        // polyline, else from the mesh.
        p = orientedAlong(p, task.hasBefore ? p.position - task.before
                                            : (way.empty() ? q.position : way.front().position) - p.position);
        q = orientedAlong(q, task.hasAfter ? task.after - q.position
                                           : q.position - (way.empty() ? p.position : way.back().position));
        GapSplitter{surface, settings, way}.split(p, q, 0, way.size(), 0, inner[t]);
    });

    std::vector<TracedPolyline> traced;
    for (std::size_t k = 0; k < polylines.size(); ++k) {
        const Polyline& line = polylines[k];
        const std::size_t count = line.visits.size();
        if (count < 2)
            continue;
        const std::vector<LiftStep>& steps = line.lift.steps;
        std::vector<TracePoint> full;
        // The lift's first pass along its path; the rest are its images under
        // the polyline's stabilizer.
        const std::size_t firstPass = graph.paths[k].nodes.size();
        std::size_t fundamental = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const Visit& v = line.visits[i];
            if (fundamental == 0 && v.step >= firstPass)
                fundamental = full.size() + 1;
            full.push_back(v.point);
            if (!line.splits[i])
                continue;
            bool reversed;
            const LiftStep& p = steps[v.step];
            const LiftStep& q = steps[line.visits[(i + 1) % count].step];
            const GapKey key = gapKey(symmetry, k, p, q, reversed);
            const auto found = std::lower_bound(tasks.begin(), tasks.end(), key,
                                                [](const GapTask& x, const GapKey& y) { return x.key < y; });
            const std::vector<TracePoint>& points = inner[found - tasks.begin()];
            const int frame = reversed ? q.frame : p.frame;
            for (std::size_t j = 0; j < points.size(); ++j) {
                const TracePoint& m = points[reversed ? points.size() - 1 - j : j];
                if (isBreak(m))
                    full.push_back(m);
                else
                    full.push_back(alignedWith(full.back(), mapped(symmetry, frame, m)));
            }
        }
        if (fundamental == 0)
            fundamental = full.size();
        // Excursions are looked for between breaks only.
        if (std::find_if(full.begin(), full.end(), isBreak) == full.end()) {
            const std::vector<char> kept = withoutExcursions(full, line.closed, settings.deviation);
            std::vector<TracePoint> clean;
            std::size_t keptBefore = 0;
            for (std::size_t i = 0; i < full.size(); ++i)
                if (kept[i]) {
                    clean.push_back(full[i]);
                    keptBefore += i < fundamental;
                }
            full = std::move(clean);
            fundamental = keptBefore;
        }
        const std::vector<int> images = liftImages(symmetry, line.lift);
        const auto broken = std::find_if(full.begin(), full.end(), isBreak);
        if (broken == full.end()) {
            traced.push_back({std::move(full), line.closed, images, fundamental});
            continue;
        }
        // Open pieces between the breaks; a loop's last piece runs on into
        // its first.
        std::vector<TracePoint> piece;
        std::vector<TracePoint> head(full.begin(), broken);
        for (auto p = broken + 1; p != full.end(); ++p) {
            if (!isBreak(*p)) {
                piece.push_back(*p);
                continue;
            }
            if (piece.size() >= 2)
                traced.push_back({std::move(piece), false, images, 0});
            piece.clear();
        }
        if (line.closed)
            piece.insert(piece.end(), head.begin(), head.end());
        else if (head.size() >= 2)
            traced.push_back({std::move(head), false, images, 0});
        if (piece.size() >= 2)
            traced.push_back({std::move(piece), false, images, 0});
    }
    return traced;
}

std::vector<DoubleCurve> placeImages(const SurfaceSymmetry& symmetry, const std::vector<TracedPolyline>& traced)
{
    std::vector<DoubleCurve> curves;
    for (const TracedPolyline& line : traced)
        for (const int g : line.images) {
            DoubleCurve curve;
            curve.closed = line.closed;
            curve.points.reserve(line.points.size());
            for (const TracePoint& p : line.points) {
                const TracePoint q = mapped(symmetry, g, p);
                curve.points.push_back({{q.position.x, q.position.y, q.position.z}, q.a, q.b});
            }
            curves.push_back(std::move(curve));
        }
    return curves;
}
