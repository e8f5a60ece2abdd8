#include "curves/MissedLoops.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <utility>

#include "curves/ChordGrid.h"
#include "curves/PinchPoints.h"
#include "curves/RoundFollow.h"
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
    SheetChords sheetChords(found);
    const ChordGrid& known = sheetChords.grid();
    const double cell = 4 * std::numbers::pi / (2 * mesh.hemisphereRows);
    const double sheetClose = std::cos(cell);
    // Whether a curve found passes within the clearance of each domain
    // triangle's middle; the group maps the curves onto themselves, so the
    // same holds for the triangle's images.
    std::vector<char> nearFound(domain, 0), asked(domain, 0);
    for (const TrianglePair& p : nearMisses)
        asked[p.a] = asked[p.b % domain] = 1;
    for (std::uint32_t t = 0; t < domain; ++t)
        nearFound[t] = asked[t] && known.near(middle(mesh, t), clearance);
    // A curve found near a pair accounts for it only if it runs on the pair's
    // two sheets (origins within `cell` of the triangles' middles): where a
    // third sheet passes close, a loop of two of them lies beside a curve of
    // others. So each triangle near a curve found keeps the other sheets of
    // the chords near it that run on its own sheet, and a pair with it is
    // accounted for if its second triangle's sheet is one of them. The group
    // maps the curves onto themselves, so a triangle's image has their
    // images.
    // NOTE: eight strips, t = 0.455, 24 x 24: sixteen loops 0.078 long lay
    // 0.002 from a curve with one sheet of theirs and one 1.2 radians away,
    // and went unseen (57 curves at 48 x 48, 41 here); five strips, t = 0.825:
    // ten loops 0.23 long, 0.0007 from such a curve. Looking at the sheets
    // costs 3 to 5 M instructions a search at 12 x 12, and the solves it lets
    // through 2 M at t = 0.5 (69 solves for 5), where the curves crowd round
    // the points on the axis.
    std::vector<std::vector<Vec3>> others(domain);
    {
        std::vector<std::uint32_t> stamps(known.ends.size(), 0);
        std::uint32_t query = 0;
        for (std::uint32_t t = 0; t < domain; ++t)
            if (nearFound[t]) {
                const Vec3& own = index.domainMiddles[t];
                known.forEachNear(middle(mesh, t), clearance, stamps, ++query, [&](std::uint32_t k) {
                    const OriginPair& on = sheetChords.sheetsOf(k);
                    if (dot(on.first, own) > sheetClose)
                        others[t].push_back(on.second);
                    if (dot(on.second, own) > sheetClose)
                        others[t].push_back(on.first);
                });
            }
    }
    const auto accounted = [&](std::uint32_t t, const Vec3& other) {
        return std::any_of(others[t].begin(), others[t].end(), [&](const Vec3& o) { return dot(o, other) > sheetClose; });
    };
    std::vector<TrianglePair> tried;
    for (const TrianglePair& p : nearMisses) {
        const std::uint32_t tb = p.b % domain;
        const int g = mesh.elementOf(p.b);
        const Vec3 oa = index.domainMiddles[p.a], ob = index.domainMiddles[tb];
        // b's triangle is brought back to the domain with the pair.
        if ((!nearFound[p.a] || !accounted(p.a, applySymmetry(symmetry, g, ob))) &&
            (!nearFound[tb] || !accounted(tb, applySymmetry(symmetry, symmetry.inverse(g), oa))))
            tried.push_back(p);
    }
    // Of the pairs in one cell of space twice the clearance wide, between the
    // same two cells of the sphere four rows wide, the first stands for all:
    // their estimates lead Newton's method alike.
    // NOTE: ruled, two lobes, t = 0.5, 24 x 24: of 2,531 pairs that came
    // near, 363 were tried, and none met.
    std::vector<Seed> seeds;
    {
        const auto rounded = [](const Vec3& v, double size) {
            return std::array<long long, 3>{std::llround(v.x / size), std::llround(v.y / size), std::llround(v.z / size)};
        };
        std::vector<std::pair<std::array<long long, 9>, std::size_t>> keys;
        for (std::size_t k = 0; k < tried.size(); ++k) {
            const TrianglePair& s = tried[k];
            const auto p = rounded((middle(mesh, s.a) + middle(mesh, s.b)) * 0.5, 2 * clearance);
            const auto oa = rounded(index.domainMiddles[s.a], cell);
            const auto ob = rounded(applySymmetry(symmetry, mesh.elementOf(s.b), index.domainMiddles[s.b % domain]), cell);
            keys.push_back({{p[0], p[1], p[2], oa[0], oa[1], oa[2], ob[0], ob[1], ob[2]}, k});
        }
        std::sort(keys.begin(), keys.end());
        std::vector<char> kept(tried.size(), 0);
        for (std::size_t i = 0; i < keys.size(); ++i)
            if (i == 0 || keys[i].first != keys[i - 1].first)
                kept[keys[i].second] = 1;
        for (std::size_t k = 0; k < tried.size(); ++k)
            if (kept[k]) {
                Seed s;
                s.a = tried[k].a;
                s.b = tried[k].b;
                seeds.push_back(s);
            }
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
                  distance(s.solution.a.position, estimate) <= 2 * clearance;
    }
    for (Seed& s : seeds)
        s.found = s.found && !sheetChords.nearOn(s.solution.a.position, clearance,
                                                 {s.solution.a.unit, s.solution.b.unit}, sheetClose);

    // Each seed not on a loop kept already is followed round; the loops are
    // kept with their distinct images.
    std::vector<TracedPolyline> loops;
    std::vector<std::vector<TracePoint>> placed;  // every image of every loop kept
    const double alongside = 0.25 * clearance;
    for (const Seed& s : seeds) {
        if (!s.found)
            continue;
        const TracePoint start = fromSolution(s.solution);
        if (std::any_of(placed.begin(), placed.end(), [&](const std::vector<TracePoint>& loop) {
                return nearLoopOn(start.position, {start.ua, start.ub}, loop, clearance, sheetClose);
            }))
            continue;
        RoundWay round = followRound(surface, start, steps);
        if (round.end == RoundEnd::Lost)
            continue;
        std::vector<TracePoint> way = std::move(round.points);
        const bool pinched = round.end == RoundEnd::Pinch;
        if (pinched) {
            // Not a loop but a curve from one pinch to another (three strips,
            // t = 0.375, 96 x 96: two pinches 0.002 apart). Followed on round,
            // it came back from the pinch with its sheets traded.
            followIntoPinch(surface, way.back(), round.pinch, steps, way);
            const TracePoint back = turnedBy(start, -1);
            std::vector<TracePoint> other;
            PinchWatch second;
            if (!followCurve(surface, back, steps, [&](const TracePoint& p, double&) { return second.ahead(surface, p); },
                             other))
                continue;
            followIntoPinch(surface, other.empty() ? back : other.back(), second.pinch, steps, other);
            way.insert(way.begin(), other.rbegin(), other.rend());
        }
        bool beside = false;
        for (std::size_t i = 0; i < way.size() && !beside; ++i)
            beside = sheetChords.nearOn(way[i].position, alongside, {way[i].ua, way[i].ub}, sheetClose) &&
                     sheetChords.nearOn(way[(i + 1) % way.size()].position, alongside,
                                        {way[(i + 1) % way.size()].ua, way[(i + 1) % way.size()].ub}, sheetClose);
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
            for (const TracePoint& p : way)
                placed.back().push_back(mapped(symmetry, g, p));
        }
        loop.points = std::move(way);
        loops.push_back(std::move(loop));
    }
    return loops;
}
