#include "curves/TripleOrbits.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {
// An estimate brought near the fundamental domain, its origins rounded to
// the quantum: the origin there first, then the other two in order.
struct Form {
    std::array<long long, 9> key;
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
                                     double quantum)
{
    const auto rounded = [&](const Vec3& p) {
        return std::array<long long, 3>{std::llround(p.x / quantum), std::llround(p.y / quantum),
                                        std::llround(p.z / quantum)};
    };
    std::vector<Form> forms;
    const long count = static_cast<long>(estimates.size());
#if defined(_OPENMP)
#pragma omp parallel if (count > 256)
#endif
    {
        std::vector<Form> mine;
#if defined(_OPENMP)
#pragma omp for schedule(static) nowait
#endif
        for (long e = 0; e < count; ++e) {
            const std::array<Vec3, 3>& x = estimates[e];
            // Anchored at the origin farthest from the equator (the group
            // keeps that distance), and at any other as far give or take a
            // quantum.
            const double farthest = std::fmax(std::fabs(x[0].z), std::fmax(std::fabs(x[1].z), std::fabs(x[2].z)));
            for (int k = 0; k < 3; ++k) {
                if (std::fabs(x[k].z) < farthest - quantum)
                    continue;
                // NOTE: at t = 0.75, 12 x 12 (8 strips, 16 elements) trying
                // every element cost 12.3 M instructions a search, these 9.4 M.
                forElementsTowardDomain(symmetry, x[k], quantum, [&](int g) {
                    const Vec3 anchor = applySymmetry(symmetry, g, x[k]);
                    if (!nearFundamentalDomain(symmetry, anchor, quantum))
                        return;
                    std::array<long long, 3> others[2] = {rounded(applySymmetry(symmetry, g, x[(k + 1) % 3])),
                                                          rounded(applySymmetry(symmetry, g, x[(k + 2) % 3]))};
                    if (others[1] < others[0])
                        std::swap(others[0], others[1]);
                    Form f;
                    f.estimate = static_cast<std::size_t>(e);
                    const std::array<long long, 3> a = rounded(anchor);
                    std::copy(a.begin(), a.end(), f.key.begin());
                    std::copy(others[0].begin(), others[0].end(), f.key.begin() + 3);
                    std::copy(others[1].begin(), others[1].end(), f.key.begin() + 6);
                    mine.push_back(f);
                });
            }
        }
        // The sort below orders them whichever thread made them.
#if defined(_OPENMP)
#pragma omp critical
#endif
        forms.insert(forms.end(), mine.begin(), mine.end());
    }
    std::sort(forms.begin(), forms.end(), [](const Form& x, const Form& y) {
        return x.key < y.key || (x.key == y.key && x.estimate < y.estimate);
    });
    std::vector<std::size_t> parent(estimates.size());
    std::iota(parent.begin(), parent.end(), std::size_t{0});
    for (std::size_t i = 1; i < forms.size(); ++i)
        if (forms[i].key == forms[i - 1].key) {
            const std::size_t x = root(parent, forms[i - 1].estimate), y = root(parent, forms[i].estimate);
            // The lesser index is the class's root, so it is the one kept.
            parent[std::max(x, y)] = std::min(x, y);
        }
    std::vector<std::size_t> kept;
    for (std::size_t e = 0; e < estimates.size(); ++e)
        if (root(parent, e) == e)
            kept.push_back(e);
    return kept;
}
