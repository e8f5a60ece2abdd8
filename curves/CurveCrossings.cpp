#include "curves/CurveCrossings.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <utility>

namespace {
// One chord of a curve as seen from one of its two sheets: the origins of
// that sheet at its ends (`from`, `to`), and of the other sheet (`otherFrom`,
// `otherTo`). `line` is twice the polyline's number plus the side, `at` the
// chord's number along it.
struct SideChord {
    Vec3 from, to, otherFrom, otherTo;
    std::uint32_t line, at;
};

// Where the arcs of two chords cross on the unit sphere, as fractions along
// the chords; false if they do not, or only touch. Both are short (far less
// than a quarter turn).
bool arcsCross(const SideChord& x, const SideChord& y, double& alongX, double& alongY)
{
    if (dot(x.from, y.from) <= 0)
        return false;
    const Vec3 nx = cross(x.from, x.to);
    const double r = dot(nx, y.from), s = dot(nx, y.to);
    if (!((r < 0 && s > 0) || (r > 0 && s < 0)))
        return false;
    const Vec3 ny = cross(y.from, y.to);
    const double p = dot(ny, x.from), q = dot(ny, x.to);
    if (!((p < 0 && q > 0) || (p > 0 && q < 0)))
        return false;
    alongX = p / (p - q);
    alongY = r / (r - s);
    return true;
}

Vec3 between(const Vec3& from, const Vec3& to, double along)
{
    return normalized(from + (to - from) * along);
}

// Which of a grid's cells a chord's box overlaps: cells 2 / side wide over
// the cube [-1, 1]^3, `side` of them along each axis.
struct CellBox {
    int low[3], high[3];
};
CellBox cellBox(const SideChord& c, int side)
{
    const double perUnit = side / 2.0;
    const auto cell = [&](double x) { return std::clamp(static_cast<int>((x + 1) * perUnit), 0, side - 1); };
    const double from[3] = {c.from.x, c.from.y, c.from.z}, to[3] = {c.to.x, c.to.y, c.to.z};
    CellBox b;
    for (int k = 0; k < 3; ++k) {
        b.low[k] = cell(from[k] < to[k] ? from[k] : to[k]);
        b.high[k] = cell(from[k] < to[k] ? to[k] : from[k]);
    }
    return b;
}
}

std::vector<std::array<Vec3, 3>> crossingEstimates(const SearchMesh& mesh, const std::vector<TracedPolyline>& curves)
{
    const SurfaceSymmetry& symmetry = mesh.symmetry;
    // A row of the search mesh on the t = 0 sphere (radians).
    const double row = std::numbers::pi / (2 * mesh.hemisphereRows);

    // The chords of every image of every polyline, from each of its two
    // sheets, that reach into the fundamental domain; the origins named
    // alike all along each polyline.
    std::vector<SideChord> chords;
    std::vector<std::uint32_t> loopLength;
    std::vector<TracePoint> line;
    for (const TracedPolyline& curve : curves) {
        const std::size_t n = curve.points.size();
        if (n < 2)
            continue;
        line.assign(curve.points.begin(), curve.points.end());
        for (std::size_t i = 1; i < n; ++i)
            line[i] = alignedWith(line[i - 1], line[i]);
        // A loop whose names trade round it does not join up on either side.
        const Vec3 closing = alignedWith(line[n - 1], line[0]).ua;
        const bool loop = curve.closed && distance(closing, line[0].ua) == 0;
        const std::size_t count = curve.closed ? n : n - 1;
        for (const int g : curve.images) {
            const auto number = static_cast<std::uint32_t>(loopLength.size());
            loopLength.push_back(loop ? static_cast<std::uint32_t>(count) : 0);
            for (std::size_t i = 0; i < count; ++i) {
                const TracePoint& p = line[i];
                const TracePoint q = i + 1 < n ? line[i + 1] : alignedWith(p, line[0]);
                const Vec3 a0 = applySymmetry(symmetry, g, p.ua), a1 = applySymmetry(symmetry, g, q.ua);
                const Vec3 b0 = applySymmetry(symmetry, g, p.ub), b1 = applySymmetry(symmetry, g, q.ub);
                const auto at = static_cast<std::uint32_t>(i);
                if (nearFundamentalDomain(symmetry, a0, distance(a0, a1)))
                    chords.push_back({a0, a1, b0, b1, 2 * number, at});
                if (nearFundamentalDomain(symmetry, b0, distance(b0, b1)))
                    chords.push_back({b0, b1, a0, a1, 2 * number + 1, at});
            }
        }
    }
    // Chords of one side of one polyline next to each other (sharing an end).
    const auto neighbours = [&](const SideChord& x, const SideChord& y) {
        if (x.line != y.line)
            return false;
        const std::uint32_t d = x.at > y.at ? x.at - y.at : y.at - x.at, loop = loopLength[x.line / 2];
        return d <= 1 || (loop > 0 && d + 1 == loop);
    };

    // NOTE: cells half a row wide: at t = 0.75 (12 x 12) cells two rows wide
    // held up to 75 chords each.
    const int side = std::max(1, static_cast<int>(std::ceil(2 / (0.5 * row))));
    // The chords of each cell: (cell, chord) sorted, so that a cell's chords
    // are a run; the cells are only those the chords reach (a dense grid at
    // 48 x 48 would have 1.9 M).
    std::vector<std::pair<std::size_t, std::uint32_t>> members;
    for (std::size_t h = 0; h < chords.size(); ++h) {
        const CellBox b = cellBox(chords[h], side);
        for (int x = b.low[0]; x <= b.high[0]; ++x)
            for (int y = b.low[1]; y <= b.high[1]; ++y)
                for (int z = b.low[2]; z <= b.high[2]; ++z)
                    members.emplace_back((static_cast<std::size_t>(x) * side + y) * side + z, static_cast<std::uint32_t>(h));
    }
    std::sort(members.begin(), members.end());

    // Each pair that shares a cell is tried there; a pair sharing several is
    // kept once.
    std::vector<std::size_t> runs;
    for (std::size_t i = 0; i < members.size(); ++i)
        if (i == 0 || members[i].first != members[i - 1].first)
            runs.push_back(i);
    runs.push_back(members.size());
    std::vector<std::pair<std::uint32_t, std::uint32_t>> pairs;
    const long cells = static_cast<long>(runs.size()) - 1;
#if defined(_OPENMP)
#pragma omp parallel if (cells > 64)
#endif
    {
        std::vector<std::pair<std::uint32_t, std::uint32_t>> mine;
#if defined(_OPENMP)
#pragma omp for schedule(dynamic, 16) nowait
#endif
        for (long c = 0; c < cells; ++c)
            for (std::size_t i = runs[c]; i < runs[c + 1]; ++i)
                for (std::size_t j = i + 1; j < runs[c + 1]; ++j) {
                    const SideChord &x = chords[members[i].second], &y = chords[members[j].second];
                    double alongX, alongY;
                    if (!neighbours(x, y) && arcsCross(x, y, alongX, alongY))
                        mine.emplace_back(members[i].second, members[j].second);
                }
        // Sorted below, so in the same order whichever thread found them.
#if defined(_OPENMP)
#pragma omp critical
#endif
        pairs.insert(pairs.end(), mine.begin(), mine.end());
    }
    std::sort(pairs.begin(), pairs.end());
    pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());

    // Of a triple point's crossings in the domain (one from each sheet), the
    // one from the sheet farthest from the equator is kept, and any from a
    // sheet less than a row nearer it (the turns keep that distance, and the
    // three sheets' estimates of it differ by less).
    std::vector<std::array<Vec3, 3>> estimates;
    for (const auto& [i, j] : pairs) {
        const SideChord &x = chords[i], &y = chords[j];
        double alongX, alongY;
        arcsCross(x, y, alongX, alongY);
        std::array<Vec3, 3> e;
        e[0] = between(x.from, x.to, alongX);
        if (!nearFundamentalDomain(symmetry, e[0], 1e-12))
            continue;
        e[1] = between(x.otherFrom, x.otherTo, alongX);
        e[2] = between(y.otherFrom, y.otherTo, alongY);
        if (std::fabs(e[0].z) < std::fmax(std::fabs(e[1].z), std::fabs(e[2].z)) - row)
            continue;
        // The same curve met again from the same side: two sheets, not three.
        if (angleBetween(e[1], e[2]) < 2 * row)
            continue;
        estimates.push_back(e);
    }
    return estimates;
}
