#include "curves/TripleOrbits.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>

namespace {
// An estimate brought near the fundamental domain: the origin there
// (`anchor`), and the other two.
struct Anchored {
    Vec3 anchor, others[2];
    std::size_t estimate;
};

std::size_t root(std::vector<std::size_t>& parent, std::size_t i)
{
    while (parent[i] != i)
        i = parent[i] = parent[parent[i]];
    return i;
}
}

std::vector<std::size_t> onePerOrbit(const SurfaceSymmetry& symmetry, const std::vector<std::array<Vec3, 3>>& estimates,
                                     double reach)
{
    std::vector<Anchored> forms;
    for (std::size_t e = 0; e < estimates.size(); ++e) {
        const std::array<Vec3, 3>& x = estimates[e];
        // Anchored at the origin farthest from the equator (the group keeps
        // that distance), and at any other within reach of as far.
        const double farthest = std::fmax(std::fabs(x[0].z), std::fmax(std::fabs(x[1].z), std::fabs(x[2].z)));
        for (int g = 0; g < symmetry.order(); ++g)
            for (int k = 0; k < 3; ++k) {
                if (std::fabs(x[k].z) < farthest - reach)
                    continue;
                const Vec3 anchor = applySymmetry(symmetry, g, x[k]);
                if (nearFundamentalDomain(symmetry, anchor, reach))
                    forms.push_back({anchor,
                                     {applySymmetry(symmetry, g, x[(k + 1) % 3]), applySymmetry(symmetry, g, x[(k + 2) % 3])},
                                     e});
            }
    }
    const auto near = [&](const Vec3& p, const Vec3& q) { return distance(p, q) <= reach; };
    const auto alike = [&](const Anchored& x, const Anchored& y) {
        return near(x.anchor, y.anchor) &&
               ((near(x.others[0], y.others[0]) && near(x.others[1], y.others[1])) ||
                (near(x.others[0], y.others[1]) && near(x.others[1], y.others[0])));
    };
    // Each form, in the estimates' order, joins the first alike leader (the
    // leaders are bucketed by the cell of their anchor, cells `reach` wide)
    // or leads itself. Where forms crowd, round the points on the axis, they
    // are compared with a few leaders rather than with each other.
    const auto cellOf = [&](const Vec3& p) {
        return std::array<long, 3>{std::lround(std::floor(p.x / reach)), std::lround(std::floor(p.y / reach)),
                                   std::lround(std::floor(p.z / reach))};
    };
    std::map<std::array<long, 3>, std::vector<std::size_t>> leaders;
    std::vector<std::size_t> parent(estimates.size());
    std::iota(parent.begin(), parent.end(), std::size_t{0});
    for (std::size_t f = 0; f < forms.size(); ++f) {
        const std::array<long, 3> cell = cellOf(forms[f].anchor);
        bool led = false;
        for (long dx = -1; dx <= 1 && !led; ++dx)
            for (long dy = -1; dy <= 1 && !led; ++dy)
                for (long dz = -1; dz <= 1 && !led; ++dz) {
                    const auto found = leaders.find({cell[0] + dx, cell[1] + dy, cell[2] + dz});
                    if (found == leaders.end())
                        continue;
                    for (const std::size_t l : found->second)
                        if (alike(forms[l], forms[f])) {
                            const std::size_t x = root(parent, forms[l].estimate), y = root(parent, forms[f].estimate);
                            // The lesser index is the class's root, so it is the one kept.
                            parent[std::max(x, y)] = std::min(x, y);
                            led = true;
                            break;
                        }
                }
        if (!led)
            leaders[cell].push_back(f);
    }
    std::vector<std::size_t> kept;
    for (std::size_t e = 0; e < estimates.size(); ++e)
        if (root(parent, e) == e)
            kept.push_back(e);
    return kept;
}
