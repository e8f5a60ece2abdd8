// Stage evaluations per second for each eversion stage over a rebuild-like
// grid: 13 x 13 points with u and v across [0, 1], the middle of the stage
// (fraction 0.5), 8 strips. Each point is evaluated through the stage function
// pointer, as the grid sampler does.
#include <benchmark/benchmark.h>

#include "eversion/Eversion.h"

static constexpr int gridIntervals = 12;
static constexpr double stageFraction = 0.5;
static constexpr int strips = 8;

static void evaluateStageGrid(benchmark::State& state, StageFunction stage)
{
    for (auto _ : state) {
        for (int i = 0; i <= gridIntervals; ++i) {
            const Jet8 u(static_cast<double>(i) / gridIntervals, 1, 0);
            for (int j = 0; j <= gridIntervals; ++j) {
                const Jet8 v(static_cast<double>(j) / gridIntervals, 0, 1);
                Jet4Vec point = stage(u, v, stageFraction, strips);
                benchmark::DoNotOptimize(point);
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * (gridIntervals + 1) * (gridIntervals + 1));
}

BENCHMARK_CAPTURE(evaluateStageGrid, corrugate, stageCorrugate);
BENCHMARK_CAPTURE(evaluateStageGrid, pushThrough, stagePushThrough);
BENCHMARK_CAPTURE(evaluateStageGrid, twist, stageTwist);
BENCHMARK_CAPTURE(evaluateStageGrid, release, stageRelease);
BENCHMARK_CAPTURE(evaluateStageGrid, smooth, stageSmooth);
