#include "curves/TriplePoints.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <utility>

#include "curves/CurveCrossings.h"
#include "curves/SheetNewton.h"
#include "curves/TripleOrbits.h"

namespace {
// Solutions closer than this (world units) are one point.
constexpr double samePoint = 1e-7;

// Three origins of a triple point, estimated.
using Estimate = std::array<Vec3, 3>;

// Estimates equal rounded to this (radians) are one, seen from two images.
// NOTE: distinct triple points crowd round the corrugation method's points
// on the axis (at t = 0.75, 12 x 12, some 3e-4 world units apart), closer
// than their estimates are good: over 41 times at 12 x 12 refining every
// estimate found 15,158 points, taking estimates within 1e-3 radian for one
// lost 16 of them and within 1e-2 lost 208, and naming them by their
// nearest mesh vertices, as this search did before, lost 1,584 (10 %).
// Refining them all costs about 1.8 times as much at the busiest times.
constexpr double sameEstimate = 1e-9;
// A followed way's estimate that rounds (to this, radians) alike to one from
// the search's curves is left to that one.
// NOTE: eight strips, 12 x 12: refining every estimate of the ways cost 43 %
// more instructions a search at t = 0.75 (with the ways' every point) and
// 25 % at t = 0.55; as here, 4.6 % and 8 %.
constexpr double followedNear = 1e-3;

Vec3 positionOf(const TriplePoint& p)
{
    return {p.position[0], p.position[1], p.position[2]};
}

TriplePoint pointAt(const Vec3& at)
{
    return {{at.x, at.y, at.z}, {}};
}

// A triple point carried by element g.
TriplePoint placed(const SurfaceSymmetry& symmetry, int g, const TriplePoint& p)
{
    TriplePoint t = pointAt(applySymmetry(symmetry, g, positionOf(p)));
    for (int i = 0; i < 3; ++i)
        t.origins[i] = applySymmetry(symmetry, g, p.origins[i]);
    return t;
}

bool before(const TriplePoint& x, const TriplePoint& y)
{
    return std::lexicographical_compare(x.position, x.position + 3, y.position, y.position + 3);
}

// The element that takes `at` to the least of its images (the first of
// those that do).
int leastElement(const SurfaceSymmetry& symmetry, const Vec3& at)
{
    int least = 0;
    TriplePoint leastPoint = pointAt(at);
    for (int g = 1; g < symmetry.order(); ++g) {
        const TriplePoint image = pointAt(applySymmetry(symmetry, g, at));
        if (before(image, leastPoint)) {
            least = g;
            leastPoint = image;
        }
    }
    return least;
}

// The solution's point as the least of its images.
TriplePoint leastImage(const SurfaceSymmetry& symmetry, const TripleSolution& s)
{
    TriplePoint p = pointAt(s.sheets[0].position);
    for (int i = 0; i < 3; ++i)
        p.origins[i] = s.sheets[i].origin;
    const int g = leastElement(symmetry, s.sheets[0].position);
    return g == 0 ? p : placed(symmetry, g, p);
}

// Whether a point of `sorted` (as `before` sorts) is within `radius` of `at`.
bool near(const std::vector<TriplePoint>& sorted, const TriplePoint& at, double radius)
{
    auto i = std::lower_bound(sorted.begin(), sorted.end(), at.position[0] - radius,
                              [](const TriplePoint& p, double x) { return p.position[0] < x; });
    for (; i != sorted.end() && i->position[0] <= at.position[0] + radius; ++i)
        if (distance(positionOf(*i), positionOf(at)) <= radius)
            return true;
    return false;
}

// The points without repeats: of points closer than samePoint, the least.
std::vector<TriplePoint> distinctPoints(std::vector<TriplePoint> points)
{
    std::sort(points.begin(), points.end(), before);
    std::vector<TriplePoint> distinct;
    for (const TriplePoint& p : points)
        if (!near(distinct, p, samePoint))
            distinct.push_back(p);
    return distinct;
}

// A candidate whose next step is this short (radians of its origins) lands
// within about the step's square of its solution, far closer than distinct
// points lie.
constexpr double settledStep = 1e-3;
// Destinations closer than this (world units) are one point's.
constexpr double sameDestination = 1e-8;

bool settled(const TripleNewton& n)
{
    double square = 0;
    for (const double m : n.move)
        square += m * m;
    return square <= settledStep * settledStep;
}

// Where a candidate's next step takes it, to first order, as the least of
// its images (only the position tells points apart).
TriplePoint destination(const SurfaceSymmetry& symmetry, const TripleNewton& n)
{
    const SheetJet& a = n.sheets[0];
    const Vec3 at = a.position + a.alongEast * n.move[0] + a.alongNorth * n.move[1];
    return pointAt(applySymmetry(symmetry, leastElement(symmetry, at), at));
}

// Points of a polyline and of its image closer than this (world units) are
// one point: the images are placed by the same turns to within rounding.
constexpr double sameImage = 1e-9;

// Whether each polyline is an image of an earlier one, point for point. A
// loop the group maps onto itself comes out in such images where it is cut
// at gaps that could not be filled: one piece for each element of its
// stabilizer.
// NOTE: at t = 0.75, 12 x 12, 6,288 of the 8,494 chords tested were on such
// pieces, 16 or 8 images of 5 of them.
std::vector<char> imagesOfEarlier(const SurfaceSymmetry& symmetry, const std::vector<TracedPolyline>& curves)
{
    std::vector<char> repeated(curves.size(), 0);
    for (std::size_t k = 0; k < curves.size(); ++k) {
        const std::vector<TracePoint>& q = curves[k].points;
        for (std::size_t e = 0; e < k && !repeated[k]; ++e) {
            const std::vector<TracePoint>& p = curves[e].points;
            if (repeated[e] || p.size() != q.size() || p.empty() || curves[e].closed != curves[k].closed)
                continue;
            for (int g = 0; g < symmetry.order() && !repeated[k]; ++g) {
                std::size_t i = 0;
                while (i < p.size() && distance(applySymmetry(symmetry, g, p[i].position), q[i].position) <= sameImage)
                    ++i;
                repeated[k] = i == p.size();
            }
        }
    }
    return repeated;
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
                                          const SearchIndex& index, const std::vector<TracedPolyline>& curves,
                                          const std::vector<TracedPolyline>& followed)
{
    const SurfaceSymmetry& symmetry = mesh.symmetry;
    // A triangle is of sheet a or b, not a third, if its origins are within
    // two rows of theirs.
    const double sameSheet = std::cos(2 * std::numbers::pi / (2 * mesh.hemisphereRows));
    // The chords to test, each once with its images under the polyline's
    // own stabilizer; a polyline that is an image of an earlier one adds
    // none (every chord is tested against every triangle, so an image's
    // estimates are images of the first's).
    std::vector<const TracedPolyline*> lines;
    for (const TracedPolyline& curve : curves)
        lines.push_back(&curve);
    for (const TracedPolyline& way : followed)
        lines.push_back(&way);
    std::vector<std::pair<std::size_t, std::size_t>> chords;
    std::vector<char> repeated = imagesOfEarlier(symmetry, curves);
    repeated.resize(lines.size(), 0);
    for (std::size_t k = 0; k < lines.size(); ++k) {
        if (repeated[k])
            continue;
        const TracedPolyline& curve = *lines[k];
        const std::size_t n = curve.points.size();
        const std::size_t count = curve.fundamental > 0 ? curve.fundamental : n;
        for (std::size_t i = 0; i < count && (i + 1 < n || (curve.closed && i < n)); ++i)
            chords.emplace_back(k, i);
    }
    // Each chord's candidates, tagged with it, so that their order does not
    // depend on the threads.
    std::vector<std::pair<std::size_t, Estimate>> found;
    const long chordCount = static_cast<long>(chords.size());
#if defined(_OPENMP)
#pragma omp parallel if (chordCount > 64)
#endif
    {
        std::vector<std::pair<std::size_t, Estimate>> mine;
        std::vector<std::uint32_t> stamps(static_cast<std::size_t>(mesh.domainTriangles), 0);
        std::uint32_t query = 0;
#if defined(_OPENMP)
#pragma omp for schedule(dynamic, 16) nowait
#endif
        for (long h = 0; h < chordCount; ++h) {
            const TracedPolyline& curve = *lines[chords[h].first];
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
                    mine.push_back({static_cast<std::size_t>(h),
                                    {normalized(p.ua + (q.ua - p.ua) * along), normalized(p.ub + (q.ub - p.ub) * along),
                                     applySymmetry(symmetry, g, c)}});
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
    // The curves' crossings first: they are the better estimates, so they
    // stand for the points both find.
    std::vector<Estimate> estimates = crossingEstimates(mesh, curves), fromFollowed;
    for (const auto& [chord, estimate] : found)
        (chords[chord].first < curves.size() ? estimates : fromFollowed).push_back(estimate);
    std::vector<Estimate> candidates;
    for (const std::size_t k : onePerOrbit(symmetry, estimates, sameEstimate))
        candidates.push_back(estimates[k]);
    // The followed ways' estimates, where no other is near.
    if (!fromFollowed.empty()) {
        const std::size_t others = candidates.size();
        std::vector<Estimate> all = candidates;
        all.insert(all.end(), fromFollowed.begin(), fromFollowed.end());
        for (const std::size_t k : onePerOrbit(symmetry, all, followedNear))
            if (k >= others)
                candidates.push_back(all[k]);
    }

    // All candidates are refined together, a step at a time. A candidate
    // whose next step is short has a destination known to well within
    // samePoint, and is dropped if another's solution or destination is
    // there: most candidates are of points found from others.
    // NOTE: at t = 0.75, 12 x 12, 1,794 candidates for about 130 orbits; the
    // whole search took 260 M instructions solving each to the end, 238 M so.
    // Over 41 times at 12 x 12 and 24 x 24, and with 5 strips, it finds the
    // same points.
    const long count = static_cast<long>(candidates.size());
    std::vector<TripleNewton> newton(candidates.size());
    std::vector<TripleSolution> solutions(candidates.size());
    std::vector<TripleProgress> progress(candidates.size(), TripleProgress::Going);
    std::vector<std::size_t> going(candidates.size());
    for (std::size_t k = 0; k < going.size(); ++k)
        going[k] = k;
    std::vector<TriplePoint> solved;
#if defined(_OPENMP)
#pragma omp parallel for schedule(dynamic, 4) if (count > 4)
#endif
    for (long k = 0; k < count; ++k) {
        const Estimate& c = candidates[k];
        newton[k] = startTriplePoint(surface, c[0], c[1], c[2]);
    }
    while (!going.empty()) {
        const long n = static_cast<long>(going.size());
#if defined(_OPENMP)
#pragma omp parallel for schedule(dynamic, 4) if (n > 4)
#endif
        for (long i = 0; i < n; ++i) {
            const std::size_t k = going[i];
            progress[k] = advanceTriplePoint(surface, newton[k], 1, solutions[k]);
        }
        std::vector<std::pair<TriplePoint, std::size_t>> bound;
        std::vector<std::size_t> next;
        for (const std::size_t k : going) {
            if (progress[k] == TripleProgress::Solved)
                solved.push_back(leastImage(symmetry, solutions[k]));
            else if (progress[k] == TripleProgress::Going && !settled(newton[k]))
                next.push_back(k);
            else if (progress[k] == TripleProgress::Going)
                bound.push_back({destination(symmetry, newton[k]), k});
        }
        // Those settled go on if no solution or other settled candidate
        // before them has their destination.
        std::sort(solved.begin(), solved.end(), before);
        std::sort(bound.begin(), bound.end(), [](const auto& x, const auto& y) {
            return before(x.first, y.first) || (!before(y.first, x.first) && x.second < y.second);
        });
        std::vector<TriplePoint> kept;
        for (const auto& [at, k] : bound)
            if (!near(solved, at, sameDestination) && !near(kept, at, sameDestination)) {
                kept.push_back(at);
                next.push_back(k);
            }
        std::sort(next.begin(), next.end());
        going = std::move(next);
    }

    // Each solution once an orbit, brought to the least of its images, then
    // placed everywhere the group puts it.
    std::vector<TriplePoint> points;
    for (const TriplePoint& p : distinctPoints(std::move(solved)))
        for (int g = 0; g < symmetry.order(); ++g)
            points.push_back(placed(symmetry, g, p));
    return distinctPoints(std::move(points));
}
