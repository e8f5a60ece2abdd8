#include "curves/MissedLoops.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <utility>

#include "curves/ChordGrid.h"
#include "curves/PinchPoints.h"
#include "curves/SheetNewton.h"

namespace {
// Whether p comes within `reach` of the closed polyline through `loop`.
bool nearLoop(const Vec3& p, const std::vector<Vec3>& loop, double reach)
{
    for (std::size_t i = 0; i < loop.size(); ++i)
        if (segmentDistance(p, loop[i], loop[(i + 1) % loop.size()]) <= reach)
            return true;
    return false;
}

Vec3 middle(const SearchMesh& mesh, std::uint32_t t)
{
    const auto& v = mesh.triangles[t];
    return (mesh.positions[v[0]] + mesh.positions[v[1]] + mesh.positions[v[2]]) * (1.0 / 3);
}

struct Seed {
    std::uint32_t a = 0, b = 0;
    bool found = false;
    DoubleSolution solution;
};
}

std::vector<TracedPolyline> missedLoops(const ExactSurface& surface, const SearchMesh& mesh, const SearchIndex& index,
                                        const std::vector<TrianglePair>& nearMisses,
                                        const std::vector<DoubleCurve>& found, double clearance, const FollowSteps& steps)
{
    const SurfaceSymmetry& symmetry = mesh.symmetry;
    const std::uint32_t domain = static_cast<std::uint32_t>(mesh.domainTriangles);
    if (nearMisses.empty())
        return {};
    const ChordGrid known = chordGridOf(found);
    // Whether a curve found passes within the clearance of each domain
    // triangle's middle; the group maps the curves onto themselves, so the
    // same holds for the triangle's images.
    std::vector<char> nearFound(domain, 0), asked(domain, 0);
    for (const TrianglePair& p : nearMisses)
        asked[p.a] = asked[p.b % domain] = 1;
    for (std::uint32_t t = 0; t < domain; ++t)
        nearFound[t] = asked[t] && known.near(middle(mesh, t), clearance);
    std::vector<Seed> seeds;
    for (const TrianglePair& p : nearMisses)
        if (!nearFound[p.a] && !nearFound[p.b % domain]) {
            Seed s;
            s.a = p.a;
            s.b = p.b;
            seeds.push_back(s);
        }
    // Of the pairs in one cell of space twice the clearance wide, between the
    // same two cells of the sphere four rows wide, the first stands for all:
    // their estimates lead Newton's method alike.
    // NOTE: ruled, two lobes, t = 0.5, 24 x 24: of 2,531 pairs that came
    // near, 363 were tried, and none met.
    {
        const double cell = 4 * std::numbers::pi / (2 * mesh.hemisphereRows);
        const auto rounded = [](const Vec3& v, double size) {
            return std::array<long long, 3>{std::llround(v.x / size), std::llround(v.y / size), std::llround(v.z / size)};
        };
        std::vector<std::pair<std::array<long long, 9>, std::size_t>> keys;
        for (std::size_t k = 0; k < seeds.size(); ++k) {
            const Seed& s = seeds[k];
            const auto p = rounded((middle(mesh, s.a) + middle(mesh, s.b)) * 0.5, 2 * clearance);
            const auto oa = rounded(index.domainMiddles[s.a], cell);
            const auto ob = rounded(applySymmetry(symmetry, mesh.elementOf(s.b), index.domainMiddles[s.b % domain]), cell);
            keys.push_back({{p[0], p[1], p[2], oa[0], oa[1], oa[2], ob[0], ob[1], ob[2]}, k});
        }
        std::sort(keys.begin(), keys.end());
        std::vector<char> kept(seeds.size(), 0);
        for (std::size_t i = 0; i < keys.size(); ++i)
            if (i == 0 || keys[i].first != keys[i - 1].first)
                kept[keys[i].second] = 1;
        std::vector<Seed> first;
        for (std::size_t k = 0; k < seeds.size(); ++k)
            if (kept[k])
                first.push_back(seeds[k]);
        seeds = std::move(first);
    }

    // Newton's method from the pair's middles; a point it finds near the
    // pair and away from the curves found is a seed of a missed curve.
    const long count = static_cast<long>(seeds.size());
#if defined(_OPENMP)
#pragma omp parallel for schedule(dynamic, 4) if (count > 8)
#endif
    for (long k = 0; k < count; ++k) {
        Seed& s = seeds[k];
        const std::uint32_t tb = s.b % domain;
        const Vec3 estimate = (middle(mesh, s.a) + middle(mesh, s.b)) * 0.5;
        s.found = probeDoublePoint(surface, index.domainMiddles[s.a],
                                   applySymmetry(symmetry, mesh.elementOf(s.b), index.domainMiddles[tb]), s.solution) &&
                  distance(s.solution.a.position, estimate) <= 2 * clearance &&
                  !known.near(s.solution.a.position, clearance);
    }

    // Each seed not on a loop kept already is followed round; the loops are
    // kept with their distinct images.
    std::vector<TracedPolyline> loops;
    std::vector<std::vector<Vec3>> placed;  // every image of every loop kept
    const double alongside = 0.25 * clearance;
    for (const Seed& s : seeds) {
        if (!s.found || std::any_of(placed.begin(), placed.end(), [&](const std::vector<Vec3>& loop) {
                return nearLoop(s.solution.a.position, loop, clearance);
            }))
            continue;
        const TracePoint start = fromSolution(s.solution);
        std::vector<TracePoint> way{start};
        int made = 0;
        PinchWatch watch;
        bool pinched = false;
        const bool ended = followCurve(surface, start, steps, [&](const TracePoint& p, double& step) {
            pinched = watch.ahead(surface, p);
            return pinched || (++made > 3 && distance(p.position, start.position) <= step);
        }, way);
        if (!ended)
            continue;
        if (pinched) {
            // Not a loop but a curve from one pinch to another (three strips,
            // t = 0.375, 96 x 96: two pinches 0.002 apart). Followed on round,
            // it came back from the pinch with its sheets traded.
            followIntoPinch(surface, way.back(), watch.pinch, steps, way);
            const TracePoint back = turnedBy(start, -1);
            std::vector<TracePoint> other;
            PinchWatch second;
            if (!followCurve(surface, back, steps, [&](const TracePoint& p, double&) { return second.ahead(surface, p); },
                             other))
                continue;
            followIntoPinch(surface, other.empty() ? back : other.back(), second.pinch, steps, other);
            way.insert(way.begin(), other.rbegin(), other.rend());
        } else if (way.size() > 3 && distance(way.back().position, start.position) < steps.finest) {
            way.pop_back();
        }
        bool beside = false;
        for (std::size_t i = 0; i < way.size() && !beside; ++i)
            beside = known.near(way[i].position, alongside) && known.near(way[(i + 1) % way.size()].position, alongside);
        if (beside)
            continue;
        TracedPolyline loop;
        loop.closed = !pinched;
        std::vector<Vec3> positions;
        for (const TracePoint& p : way)
            positions.push_back(p.position);
        // An element whose image of the loop's first point lies on an image
        // kept already maps the loop onto that image.
        for (int g = 0; g < symmetry.order(); ++g) {
            const Vec3 image = applySymmetry(symmetry, g, positions[0]);
            if (std::none_of(loop.images.begin(), loop.images.end(), [&](int h) {
                    return nearLoop(applySymmetry(symmetry, symmetry.inverse(h), image), positions, steps.finest);
                }))
                loop.images.push_back(g);
        }
        for (const int g : loop.images) {
            placed.emplace_back();
            for (const Vec3& p : positions)
                placed.back().push_back(applySymmetry(symmetry, g, p));
        }
        loop.points = std::move(way);
        loops.push_back(std::move(loop));
    }
    return loops;
}
