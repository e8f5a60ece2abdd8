#include "curves/TriplePoints.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <utility>

#include "curves/SheetNewton.h"

namespace {
// Solutions closer than this (world units) are one point.
constexpr double samePoint = 1e-7;

// An estimate of a triple point: its sheets' origins, and a key naming its
// orbit (the least sorted image of its three nearest mesh vertices).
struct Candidate {
    std::array<std::uint32_t, 3> key;
    Vec3 origins[3];
};

std::array<std::uint32_t, 3> sortedTriple(std::uint32_t a, std::uint32_t b, std::uint32_t c)
{
    std::array<std::uint32_t, 3> t{a, b, c};
    std::sort(t.begin(), t.end());
    return t;
}

// The grid place (row, column) of the mesh vertex nearest an origin.
struct MeshPlace {
    int row, column;
};
MeshPlace nearestPlace(const SearchMesh& mesh, const Vec3& unit)
{
    const Origin o = originOfUnit(unit);
    return {static_cast<int>(std::lround((90 - o.latitude) * mesh.hemisphereRows / 90)),
            static_cast<int>(std::lround((90 - o.longitude) * mesh.columns / 360))};
}

// The least sorted image of the three vertices nearest the origins; the
// group acts on grid places as SearchMesh::mapVertex does, and vertex()
// takes the column modulo the columns.
std::array<std::uint32_t, 3> orbitKey(const SearchMesh& mesh, const Vec3 origins[3])
{
    const MeshPlace v[3] = {nearestPlace(mesh, origins[0]), nearestPlace(mesh, origins[1]),
                            nearestPlace(mesh, origins[2])};
    const SurfaceSymmetry& symmetry = mesh.symmetry;
    std::array<std::uint32_t, 3> best{};
    for (int g = 0; g < symmetry.order(); ++g) {
        const bool flip = symmetry.flipOf(g);
        const int shift = symmetry.turnOf(g) * mesh.stripColumns;
        std::uint32_t w[3];
        for (int k = 0; k < 3; ++k)
            w[k] = flip ? mesh.vertex(mesh.lastRow() - v[k].row, -v[k].column - shift)
                        : mesh.vertex(v[k].row, v[k].column - shift);
        const std::array<std::uint32_t, 3> key = sortedTriple(w[0], w[1], w[2]);
        best = g == 0 ? key : std::min(best, key);
    }
    return best;
}

double orient(const Vec3& p, const Vec3& q, const Vec3& a, const Vec3& b)
{
    return dot(cross(a - p, b - p), q - p);
}

// Where segment pq passes through triangle t, as the fraction along pq and
// t's barycentric weights; false if it does not.
bool throughTriangle(const SearchMesh& mesh, std::uint32_t t, const Vec3& p, const Vec3& q, double& along,
                     double weights[3])
{
    const auto& tri = mesh.triangles[t];
    const Vec3 &a = mesh.positions[tri[0]], &b = mesh.positions[tri[1]], &c = mesh.positions[tri[2]];
    const Vec3 n = cross(b - a, c - a);
    const double dp = dot(n, p - a), dq = dot(n, q - a);
    if ((dp > 0) == (dq > 0) || dp == dq)
        return false;
    const double w0 = orient(p, q, b, c), w1 = orient(p, q, c, a), w2 = orient(p, q, a, b);
    if (!((w0 > 0 && w1 > 0 && w2 > 0) || (w0 < 0 && w1 < 0 && w2 < 0)))
        return false;
    along = dp / (dp - dq);
    const double sum = w0 + w1 + w2;
    weights[0] = w0 / sum;
    weights[1] = w1 / sum;
    weights[2] = w2 / sum;
    return true;
}
}

std::vector<TriplePoint> findTriplePoints(const ExactSurface& surface, const SearchMesh& mesh,
                                          const SearchIndex& index, const std::vector<TracedPolyline>& curves)
{
    const SurfaceSymmetry& symmetry = mesh.symmetry;
    // A triangle is of sheet a or b, not a third, if its origins are within
    // two rows of theirs.
    const double sameSheet = std::cos(2 * std::numbers::pi / (2 * mesh.hemisphereRows));
    // The chords to test, each once with its images under the polyline's
    // own stabilizer.
    std::vector<std::pair<std::size_t, std::size_t>> chords;
    for (std::size_t k = 0; k < curves.size(); ++k) {
        const TracedPolyline& curve = curves[k];
        const std::size_t n = curve.points.size();
        const std::size_t count = curve.fundamental > 0 ? curve.fundamental : n;
        for (std::size_t i = 0; i < count && (i + 1 < n || (curve.closed && i < n)); ++i)
            chords.emplace_back(k, i);
    }
    // Each chord's candidates, tagged with it, so that their order does not
    // depend on the threads.
    std::vector<std::pair<std::size_t, Candidate>> found;
    const long chordCount = static_cast<long>(chords.size());
#if defined(_OPENMP)
#pragma omp parallel if (chordCount > 64)
#endif
    {
        std::vector<std::pair<std::size_t, Candidate>> mine;
        std::vector<std::uint32_t> stamps(static_cast<std::size_t>(mesh.domainTriangles), 0);
        std::uint32_t query = 0;
#if defined(_OPENMP)
#pragma omp for schedule(dynamic, 16) nowait
#endif
        for (long h = 0; h < chordCount; ++h) {
            const TracedPolyline& curve = curves[chords[h].first];
            const std::size_t i = chords[h].second, n = curve.points.size();
            const TracePoint& p = curve.points[i];
            const TracePoint q = alignedWith(p, curve.points[(i + 1) % n]);
            // Every image of the domain: the chord brought back by g^-1
            // meets the domain's triangle c0 where it meets g c0.
            for (int g = 0; g < symmetry.order(); ++g) {
                const int back = symmetry.inverse(g);
                const Vec3 p0 = applySymmetry(symmetry, back, p.position), q0 = applySymmetry(symmetry, back, q.position);
                const Box box{{smaller(p0.x, q0.x), smaller(p0.y, q0.y), smaller(p0.z, q0.z)},
                              {larger(p0.x, q0.x), larger(p0.y, q0.y), larger(p0.z, q0.z)}};
                index.domain.forEachOverlapping(index.boxes, box, stamps, ++query, [&](std::uint32_t c0) {
                    double along, w[3];
                    if (!throughTriangle(mesh, c0, p0, q0, along, w))
                        return;
                    const auto& corners = index.domainOrigins[c0];
                    const Vec3 a0 = applySymmetry(symmetry, back, p.ua), b0 = applySymmetry(symmetry, back, p.ub);
                    if (dot(corners[0], a0) > sameSheet || dot(corners[0], b0) > sameSheet)
                        return;
                    const Vec3 c = normalized(corners[0] * w[0] + corners[1] * w[1] + corners[2] * w[2]);
                    Candidate k;
                    k.origins[0] = normalized(p.ua + (q.ua - p.ua) * along);
                    k.origins[1] = normalized(p.ub + (q.ub - p.ub) * along);
                    k.origins[2] = applySymmetry(symmetry, g, c);
                    k.key = orbitKey(mesh, k.origins);
                    mine.emplace_back(static_cast<std::size_t>(h), k);
                });
            }
        }
#if defined(_OPENMP)
#pragma omp critical
#endif
        found.insert(found.end(), mine.begin(), mine.end());
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& x, const auto& y) { return x.first < y.first; });
    std::vector<Candidate> candidates;
    for (const auto& [chord, candidate] : found)
        candidates.push_back(candidate);
    // One candidate an orbit: the first found, in the order of the segments.
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& x, const Candidate& y) { return x.key < y.key; });
    candidates.erase(std::unique(candidates.begin(), candidates.end(),
                                 [](const Candidate& x, const Candidate& y) { return x.key == y.key; }),
                     candidates.end());

    std::vector<char> solved(candidates.size(), 0);
    std::vector<TripleSolution> solutions(candidates.size());
    const long count = static_cast<long>(candidates.size());
#if defined(_OPENMP)
#pragma omp parallel for schedule(dynamic, 2) if (count > 4)
#endif
    for (long k = 0; k < count; ++k) {
        const Candidate& c = candidates[k];
        solved[k] = solveTriplePoint(surface, c.origins[0], c.origins[1], c.origins[2], solutions[k]);
    }

    std::vector<TriplePoint> points;
    for (long k = 0; k < count; ++k) {
        if (!solved[k])
            continue;
        const TripleSolution& s = solutions[k];
        for (int g = 0; g < symmetry.order(); ++g) {
            TriplePoint t;
            const Vec3 at = applySymmetry(symmetry, g, s.sheets[0].position);
            t.position[0] = at.x;
            t.position[1] = at.y;
            t.position[2] = at.z;
            for (int i = 0; i < 3; ++i)
                t.origins[i] = applySymmetry(symmetry, g, s.sheets[i].origin);
            points.push_back(t);
        }
    }
    // The same point from several triples, or turned onto itself: kept once.
    std::sort(points.begin(), points.end(), [](const TriplePoint& x, const TriplePoint& y) {
        return std::lexicographical_compare(x.position, x.position + 3, y.position, y.position + 3);
    });
    std::vector<TriplePoint> distinct;
    for (const TriplePoint& p : points) {
        bool seen = false;
        const Vec3 at{p.position[0], p.position[1], p.position[2]};
        for (auto q = distinct.rbegin(); q != distinct.rend() && q->position[0] >= p.position[0] - samePoint; ++q)
            if (distance(at, {q->position[0], q->position[1], q->position[2]}) <= samePoint) {
                seen = true;
                break;
            }
        if (!seen)
            distinct.push_back(p);
    }
    return distinct;
}
