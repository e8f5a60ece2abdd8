#include "curves/CurveTracing.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <tuple>

#include "curves/CurveLift.h"
#include "curves/GapFilling.h"

namespace {
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
    // Two points closer than a fifth of a row are the remnant of a chain cut
    // short where curves cross or sheets nearly coincide (it lies on a curve
    // found whole), not a curve; so is an open polyline that stays that near
    // its first point once its end hooks are gone.
    const auto near = [&](const TracePoint& p, const TracePoint& q) {
        return distance(p.position, q.position) < 2 * settings.deviation;
    };
    const auto remnant = [&](const std::vector<TracePoint>& p) {
        return p.size() < 2 || (p.size() == 2 && near(p[0], p[1]));
    };
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
    std::vector<std::size_t> between;  // one gap's lift steps at a time
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
            between.clear();
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
                task.inside.reserve(between.size());
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
    // The first task of each key, in the keys' order.
    // NOTE: the indices are sorted rather than the tasks: at 48 x 48
    // patches, t = 0.75, moving the tasks about cost traceDoubleCurves
    // 1.5 M instructions more (90.8 M against 89.4 M).
    {
        std::vector<std::uint32_t> order(tasks.size());
        for (std::size_t t = 0; t < tasks.size(); ++t)
            order[t] = static_cast<std::uint32_t>(t);
        std::stable_sort(order.begin(), order.end(),
                         [&](std::uint32_t x, std::uint32_t y) { return tasks[x].key < tasks[y].key; });
        std::vector<GapTask> distinct;
        for (std::size_t t = 0; t < order.size(); ++t)
            if (t == 0 || !(tasks[order[t]].key == tasks[order[t - 1]].key))
                distinct.push_back(std::move(tasks[order[t]]));
        tasks = std::move(distinct);
    }

    // Each task's points, from its lower index to the other, in the frame of
    // the lower index's node.
    std::vector<std::vector<TracePoint>> inner(tasks.size());
    parallelFor(static_cast<long>(tasks.size()), [&](long t) {
        const GapTask& task = tasks[t];
        const CrossingPath& path = graph.paths[task.key.path];
        std::vector<Waypoint> way;
        way.reserve(task.inside.size());
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
        fillGap(surface, settings, way, p, q, inner[t]);
    });

    std::vector<TracedPolyline> traced;
    std::vector<std::pair<std::size_t, bool>> taskOf;
    for (std::size_t k = 0; k < polylines.size(); ++k) {
        const Polyline& line = polylines[k];
        const std::size_t count = line.visits.size();
        if (count < 2)
            continue;
        const std::vector<LiftStep>& steps = line.lift.steps;
        // The task that filled the gap after each visit, and whether it
        // runs the other way; the points all told, to reserve them.
        taskOf.assign(count, {0, false});
        std::size_t total = count;
        for (std::size_t i = 0; i < count; ++i) {
            if (!line.splits[i])
                continue;
            bool reversed;
            const GapKey key = gapKey(symmetry, k, steps[line.visits[i].step],
                                      steps[line.visits[(i + 1) % count].step], reversed);
            const auto found = std::lower_bound(tasks.begin(), tasks.end(), key,
                                                [](const GapTask& x, const GapKey& y) { return x.key < y; });
            taskOf[i] = {static_cast<std::size_t>(found - tasks.begin()), reversed};
            total += inner[taskOf[i].first].size();
        }
        std::vector<TracePoint> full;
        full.reserve(total);
        // The lift's first pass along its path; the rest are its images under
        // the polyline's stabilizer.
        const std::size_t firstPass = graph.paths[k].nodes.size();
        std::size_t fundamental = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const Visit& v = line.visits[i];
            if (fundamental == 0 && v.step >= firstPass)
                fundamental = full.size() + 1;
            full.push_back(full.empty() ? v.point : alignedWith(full.back(), v.point));
            if (!line.splits[i])
                continue;
            const bool reversed = taskOf[i].second;
            const LiftStep& p = steps[v.step];
            const LiftStep& q = steps[line.visits[(i + 1) % count].step];
            const std::vector<TracePoint>& points = inner[taskOf[i].first];
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
        // Excursions and end hooks are looked for between breaks only.
        const bool whole = std::none_of(full.begin(), full.end(), isBreak);
        if (whole) {
            const std::vector<char> kept = withoutExcursions(full, line.closed, settings.deviation);
            std::vector<TracePoint> clean;
            clean.reserve(full.size());
            std::size_t keptBefore = 0;
            for (std::size_t i = 0; i < full.size(); ++i)
                if (kept[i]) {
                    clean.push_back(full[i]);
                    keptBefore += i < fundamental;
                }
            full = std::move(clean);
            fundamental = keptBefore;
            if (!line.closed && settings.dropHooks) {
                const std::size_t front = dropEndHooks(full, settings.deviation);
                fundamental = fundamental > front ? fundamental - front : 0;
                if (std::all_of(full.begin(), full.end(), [&](const TracePoint& p) { return near(full[0], p); }))
                    continue;
            }
        }
        if (remnant(full))
            continue;
        const std::vector<int> images = liftImages(symmetry, line.lift);
        if (whole) {
            traced.push_back({std::move(full), line.closed, images, fundamental});
            continue;
        }
        const auto broken = std::find_if(full.begin(), full.end(), isBreak);
        // Open pieces between the breaks; a loop's last piece runs on into
        // its first.
        std::vector<TracePoint> piece;
        std::vector<TracePoint> head(full.begin(), broken);
        for (auto p = broken + 1; p != full.end(); ++p) {
            if (!isBreak(*p)) {
                piece.push_back(*p);
                continue;
            }
            if (!remnant(piece))
                traced.push_back({std::move(piece), false, images, 0});
            piece.clear();
        }
        if (line.closed)
            for (const TracePoint& p : head)
                piece.push_back(piece.empty() ? p : alignedWith(piece.back(), p));
        else if (!remnant(head))
            traced.push_back({std::move(head), false, images, 0});
        if (!remnant(piece))
            traced.push_back({std::move(piece), false, images, 0});
    }
    return traced;
}

std::vector<DoubleCurve> placeImages(const SurfaceSymmetry& symmetry, const std::vector<TracedPolyline>& traced)
{
    std::vector<std::pair<const TracedPolyline*, int>> placements;
    for (const TracedPolyline& line : traced)
        for (const int g : line.images)
            placements.push_back({&line, g});
    std::vector<DoubleCurve> curves(placements.size());
    parallelFor(static_cast<long>(placements.size()), [&](long k) {
        const auto& [line, g] = placements[k];
        DoubleCurve& curve = curves[k];
        curve.closed = line->closed;
        curve.points.reserve(line->points.size());
        for (const TracePoint& p : line->points) {
            const TracePoint q = mapped(symmetry, g, p);
            curve.points.push_back({{q.position.x, q.position.y, q.position.z}, q.a, q.b});
        }
    });
    return curves;
}
