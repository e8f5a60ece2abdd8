// Stage evaluations per second for each eversion stage over a rebuild-like
// grid: 13 x 13 points with u and v across [0, 1], the middle of the stage
// (fraction 0.5), 8 strips. Each point is evaluated through the stage function
// pointer, as the grid sampler does; the first-order cases through the stage
// functions on the reduced jets, as the double-curve search's Newton steps do.
#include <benchmark/benchmark.h>

#include "eversion/Eversion.h"

static constexpr int gridIntervals = 12;
static constexpr double stageFraction = 0.5;
static constexpr int strips = 8;

template <class Row, class Stage>
static void evaluateGrid(benchmark::State& state, Stage stage)
{
    for (auto _ : state) {
        for (int i = 0; i <= gridIntervals; ++i) {
            const Row u(static_cast<double>(i) / gridIntervals, 1, 0);
            for (int j = 0; j <= gridIntervals; ++j) {
                const Row v(static_cast<double>(j) / gridIntervals, 0, 1);
                auto point = stage(u, v, stageFraction, strips);
                benchmark::DoNotOptimize(point);
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * (gridIntervals + 1) * (gridIntervals + 1));
}

static void evaluateStageGrid(benchmark::State& state, StageFunction stage)
{
    evaluateGrid<Jet8>(state, stage);
}

static void evaluateFirstOrderGrid(benchmark::State& state, StageFirstOrderFunction stage)
{
    evaluateGrid<Jet5>(state, stage);
}

BENCHMARK_CAPTURE(evaluateStageGrid, corrugate, stageCorrugate);
BENCHMARK_CAPTURE(evaluateStageGrid, pushThrough, stagePushThrough);
BENCHMARK_CAPTURE(evaluateStageGrid, twist, stageTwist);
BENCHMARK_CAPTURE(evaluateStageGrid, release, stageRelease);
BENCHMARK_CAPTURE(evaluateStageGrid, smooth, stageSmooth);
BENCHMARK_CAPTURE(evaluateFirstOrderGrid, corrugate, stageCorrugateFirstOrder);
BENCHMARK_CAPTURE(evaluateFirstOrderGrid, pushThrough, stagePushThroughFirstOrder);
BENCHMARK_CAPTURE(evaluateFirstOrderGrid, twist, stageTwistFirstOrder);
BENCHMARK_CAPTURE(evaluateFirstOrderGrid, release, stageReleaseFirstOrder);
BENCHMARK_CAPTURE(evaluateFirstOrderGrid, smooth, stageSmoothFirstOrder);
