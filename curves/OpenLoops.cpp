#include "curves/OpenLoops.h"

#include <algorithm>
#include <cmath>

#include "curves/ChordGrid.h"
#include "curves/CurveJoins.h"
#include "curves/RoundFollow.h"
#include "curves/SheetNewton.h"
#include "curves/StarWays.h"

namespace {
// Points closer than this (world units) are one: the group places images to
// within rounding.
constexpr double samePoint = 1e-9;
// An open curve is followed round from at most this many of its points,
// each follow taking at most this many runs of 64 steps.
constexpr int mostLoops = 4;
constexpr int mostRuns = 8;

// A point of a curve with its two sheets' origins as unit vectors.
struct OnSheets {
    Vec3 at;
    OriginPair sheets;
};

std::vector<OnSheets> onSheets(const std::vector<CurvePoint>& line)
{
    std::vector<OnSheets> out;
    for (const CurvePoint& p : line)
        out.push_back({positionOf(p), {unitOfOrigin(p.a), unitOfOrigin(p.b)}});
    return out;
}

std::vector<OnSheets> onSheets(const std::vector<TracePoint>& line)
{
    std::vector<OnSheets> out;
    for (const TracePoint& p : line)
        out.push_back({p.position, {p.ua, p.ub}});
    return out;
}

// Whether every point of `line` lies within `reach` of a chord of the closed
// loop `loop` on its own two sheets.
bool allAlong(const std::vector<OnSheets>& line, const std::vector<TracePoint>& loop, double reach, double close)
{
    return std::all_of(line.begin(), line.end(),
                       [&](const OnSheets& p) { return nearLoopOn(p.at, p.sheets, loop, reach, close); });
}
}

void closeOpenLoops(const ExactSurface& surface, const SurfaceSymmetry& symmetry, const FollowSteps& steps,
                    double reach, double sheetReach, std::vector<DoubleCurve>& curves)
{
    const double close = std::cos(sheetReach);
    std::vector<std::size_t> open;
    for (std::size_t c = 0; c < curves.size(); ++c)
        if (!curves[c].closed && curves[c].points.size() >= 2)
            open.push_back(c);
    if (open.empty())
        return;
    SheetChords all(curves);

    std::vector<std::vector<TracePoint>> made;  // every image of every loop made
    std::vector<std::size_t> left;              // the open curves left as they are
    std::vector<char> gone(curves.size(), 0);
    for (const std::size_t c : open) {
        if (gone[c])
            continue;
        const std::vector<CurvePoint>& line = curves[c].points;
        // An image of a curve left is left too.
        const bool imageOfLeft = std::any_of(left.begin(), left.end(), [&](std::size_t l) {
            for (int g = 0; g < symmetry.order(); ++g) {
                const Vec3 first = applySymmetry(symmetry, g, positionOf(curves[l].points.front()));
                if (distance(first, positionOf(line.front())) <= samePoint ||
                    distance(first, positionOf(line.back())) <= samePoint)
                    return true;
            }
            return false;
        });
        if (imageOfLeft)
            continue;

        // Loops followed from the points no loop so far passes, from the
        // middle of the first run of them, until every point lies along one.
        const std::vector<OnSheets> marked = onSheets(line);
        std::vector<std::vector<TracePoint>> loops;
        std::vector<char> covered(line.size(), 0);
        bool whole = false;
        for (int tries = 0; tries < mostLoops && !whole; ++tries) {
            std::size_t first = 0;
            while (covered[first])
                ++first;
            std::size_t last = first;
            while (last + 1 < line.size() && !covered[last + 1])
                ++last;
            const std::size_t m = std::min((first + last) / 2, line.size() - 2);
            DoubleSolution s;
            if (!solveDoublePoint(surface, unitOfOrigin(line[m].a), unitOfOrigin(line[m].b), s))
                break;
            RoundWay round =
                followRound(surface, orientedAlong(fromSolution(s), positionOf(line[m + 1]) - positionOf(line[m])), steps,
                            mostRuns);
            if (round.end != RoundEnd::Round)
                break;
            whole = true;
            for (std::size_t i = 0; i < line.size(); ++i) {
                covered[i] = covered[i] || nearLoopOn(marked[i].at, marked[i].sheets, round.points, reach, close);
                whole = whole && covered[i];
            }
            loops.push_back(std::move(round.points));
        }
        if (!whole) {
            left.push_back(c);
            continue;
        }

        // The loops' distinct images not made already, and what runs along
        // them: an open curve all along one goes with the open curve; a
        // closed curve all along one that runs all along it is that loop
        // already; anything else leaves the open curve as it is.
        std::vector<std::vector<TracePoint>> images;
        for (const std::vector<TracePoint>& loop : loops)
            for (int g = 0; g < symmetry.order(); ++g) {
                std::vector<TracePoint> image;
                for (const TracePoint& p : loop)
                    image.push_back(mapped(symmetry, g, p));
                const std::vector<OnSheets> imageMarked = onSheets(image);
                const auto along = [&](const std::vector<TracePoint>& other) {
                    return allAlong(imageMarked, other, reach, close);
                };
                if (std::none_of(images.begin(), images.end(), along) && std::none_of(made.begin(), made.end(), along))
                    images.push_back(std::move(image));
            }
        // Loops that run along each other part way are one follow that
        // crossed over to another curve where they pass close (five strips,
        // t = 0.36, 24 x 24: round two loops 1.28 and 1.22 long, a "loop"
        // 2.5 long over both and one 0.75 long).
        const auto overlap = [&](const std::vector<TracePoint>& x, const std::vector<TracePoint>& y) {
            const std::vector<OnSheets> xs = onSheets(x);
            return std::count_if(xs.begin(), xs.end(),
                                 [&](const OnSheets& q) { return nearLoopOn(q.at, q.sheets, y, reach, close); }) > 1;
        };
        bool fits = true;
        for (std::size_t i = 0; i < images.size() && fits; ++i)
            for (std::size_t j = 0; j < images.size() && fits; ++j)
                fits = i == j || !overlap(images[i], images[j]);
        for (std::size_t i = 0; i < images.size() && fits; ++i)
            fits = std::none_of(made.begin(), made.end(), [&](const std::vector<TracePoint>& l) {
                return overlap(images[i], l) || overlap(l, images[i]);
            });
        std::vector<std::size_t> dropped;
        std::vector<char> there(images.size(), 0);
        for (std::size_t i = 0; i < images.size() && fits; ++i) {
            const std::vector<TracePoint>& image = images[i];
            std::vector<std::size_t> touched;
            for (const TracePoint& p : image)
                all.curvesNearOn(p.position, reach, {p.ua, p.ub}, close, [&](std::size_t d) { touched.push_back(d); });
            std::sort(touched.begin(), touched.end());
            touched.erase(std::unique(touched.begin(), touched.end()), touched.end());
            for (const std::size_t d : touched) {
                if (d == c || gone[d])
                    continue;
                const std::vector<OnSheets> other = onSheets(curves[d].points);
                if (!curves[d].closed) {
                    // An open curve may run over several of the images.
                    fits = std::all_of(other.begin(), other.end(), [&](const OnSheets& q) {
                        return std::any_of(images.begin(), images.end(), [&](const std::vector<TracePoint>& l) {
                            return nearLoopOn(q.at, q.sheets, l, reach, close);
                        });
                    });
                    dropped.push_back(d);
                } else if (allAlong(other, image, reach, close) &&
                           std::all_of(image.begin(), image.end(), [&](const TracePoint& p) {
                               return all.nearOn(p.position, reach, {p.ua, p.ub}, close, d);
                           })) {
                    there[i] = 1;
                } else {
                    fits = false;
                }
                if (!fits)
                    break;
            }
        }
        if (!fits) {
            left.push_back(c);
            continue;
        }
        gone[c] = 1;
        for (const std::size_t d : dropped)
            gone[d] = 1;
        for (std::size_t i = 0; i < images.size(); ++i)
            if (!there[i])
                made.push_back(std::move(images[i]));
    }
    std::size_t c = 0;
    std::erase_if(curves, [&](const DoubleCurve&) { return gone[c++] != 0; });
    std::vector<WayCurve> loops;
    for (std::vector<TracePoint>& loop : made)
        loops.push_back({std::move(loop), true});
    addMade(loops, curves);
}
