// The double curves and triple points of one frame, as the front ends ask
// for them, at times with many curves: corrugations at t = 0.4 and 0.5 (81
// and 49 curves at 12 x 12, 0 and 1016 triple points), at t = 0.55 (16
// curves and 1880 triple points, the curves through the points on the axis
// followed on the surface) and at t = 0.75, the slowest (94 curves, 1862
// triple points, and the curves through the points where a sheet stands
// square to a mirror followed on the surface), the ruled
// method with two lobes at t = 0.3 and 0.5 (curves through the meeting
// poles), at the default 12 x 12 patches and at 48 x 48, on every core and
// on one. And the whole eversion, 41 times of
// each method at both patch counts, for how often a search keeps within what
// a frame may spend on it.
#include <benchmark/benchmark.h>

#include "curves/DoubleCurves.h"
#include "curves/SearchMemory.h"

#if defined(_OPENMP)
#include <omp.h>
#endif

namespace {
// Arguments: method (0 corrugations, 1 ruled), time in thousandths, patches,
// threads (0: as many as OpenMP starts by default).
void doubleCurves(benchmark::State& state)
{
    // As the programs that show the curves do.
    keepSearchMemory();
    DoubleCurveRequest request;
    request.method = state.range(0) == 1 ? EversionMethod::Ruled : EversionMethod::Corrugations;
    request.around = request.method == EversionMethod::Ruled ? 2 : 8;
    request.t = static_cast<double>(state.range(1)) / 1000;
    request.latitudinalPatches = request.longitudinalPatches = static_cast<int>(state.range(2));
#if defined(_OPENMP)
    const int defaultThreads = omp_get_max_threads();
    if (state.range(3) > 0)
        omp_set_num_threads(static_cast<int>(state.range(3)));
    state.counters["threads"] = omp_get_max_threads();
#endif
    DoubleCurveSet set;
    for (auto _ : state) {
        set = findDoubleCurves(request);
        benchmark::DoNotOptimize(set.curves.data());
    }
#if defined(_OPENMP)
    omp_set_num_threads(defaultThreads);
#endif
    std::size_t points = 0;
    for (const DoubleCurve& c : set.curves)
        points += c.points.size();
    state.counters["curves"] = static_cast<double>(set.curves.size());
    state.counters["points"] = static_cast<double>(points);
    state.counters["triple"] = static_cast<double>(set.triplePoints.size());
}
}  // namespace

// Real time: the work is spread over threads.
BENCHMARK(doubleCurves)
    ->ArgNames({"ruled", "t_milli", "patches", "threads"})
    ->Args({0, 400, 12, 0})
    ->Args({0, 500, 12, 0})
    ->Args({0, 550, 12, 0})
    ->Args({0, 750, 12, 0})
    ->Args({1, 300, 12, 0})
    ->Args({1, 500, 12, 0})
    ->Args({0, 400, 48, 0})
    ->Args({0, 500, 48, 0})
    ->Args({0, 550, 48, 0})
    ->Args({0, 750, 48, 0})
    ->Args({1, 300, 48, 0})
    ->Args({1, 500, 48, 0})
    ->Args({0, 500, 12, 1})
    ->Args({0, 500, 48, 1})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// Every fortieth of the eversion, for each method at 12 x 12 and 48 x 48, on
// every core: --benchmark_filter=OverTheEversion.
template <int ruled, int patches>
void overTheEversion(benchmark::internal::Benchmark* b)
{
    for (int k = 0; k <= 40; ++k)
        b->Args({ruled, 25 * k, patches, 0});
}
#define OVER_THE_EVERSION(ruled, patches)                          \
    BENCHMARK(doubleCurves)                                        \
        ->Name("doubleCurvesOverTheEversion")                      \
        ->ArgNames({"ruled", "t_milli", "patches", "threads"})     \
        ->Apply(overTheEversion<ruled, patches>)                   \
        ->UseRealTime()                                            \
        ->Unit(benchmark::kMillisecond)
OVER_THE_EVERSION(0, 12);
OVER_THE_EVERSION(1, 12);
OVER_THE_EVERSION(0, 48);
OVER_THE_EVERSION(1, 48);
