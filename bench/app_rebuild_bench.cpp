// Full rebuilds of the sampled surface at several grid sizes, at a moment in
// the twist stage (the most expensive stage to evaluate): the viewer's row by
// row rebuild on every core and on one, and the per-point reference path for
// the ratio between them.
#include <benchmark/benchmark.h>

#include <memory>

#include <vector>

#include "eversion/Eversion.h"
#include "viewer/OriginLook.h"
#include "viewer/SurfaceMesh.h"

#if defined(_OPENMP)
#include <omp.h>
#endif

namespace {
constexpr double twistTime = 0.4;

// OpenMP's thread count for one case (0: its default), put back after it,
// and reported as the case's "threads".
class CaseThreads {
public:
    CaseThreads(benchmark::State& state, long threads)
    {
#if defined(_OPENMP)
        if (threads > 0)
            omp_set_num_threads(static_cast<int>(threads));
        state.counters["threads"] = omp_get_max_threads();
#else
        (void)state;
        (void)threads;
#endif
    }
    ~CaseThreads()
    {
#if defined(_OPENMP)
        omp_set_num_threads(defaultThreads);
#endif
    }

private:
#if defined(_OPENMP)
    int defaultThreads = omp_get_max_threads();
#endif
};

// Stage evaluations per rebuild, counted as the per-point path makes them:
// every node plus one pole probe per row.
void countEvaluations(benchmark::State& state, int patches)
{
    state.SetItemsProcessed(state.iterations() * (patches + 1) * (patches + 2));
}

// Arguments: patches, threads (0: as many as OpenMP starts by default).
void rebuildGrid(benchmark::State& state)
{
    const int patches = static_cast<int>(state.range(0));
    const CaseThreads threads(state, state.range(1));
    SurfaceMesh mesh;
    mesh.latitudinalPatches = patches;
    mesh.longitudinalPatches = patches;
    mesh.t = twistTime;
    for (auto _ : state) {
        mesh.rebuild(false);
        benchmark::DoNotOptimize(mesh.grid[patches / 2][patches / 2]);
    }
    countEvaluations(state, patches);
}

// The ruled method's rebuild: vertices (positions and normals) per second,
// both hemisphere blocks. Arguments: patches, threads (0: OpenMP's default),
// time in thousandths (500 the halfway model in the middle step, 300 a
// closing step, 50 an unfolding one).
void rebuildRuledGrid(benchmark::State& state)
{
    const int patches = static_cast<int>(state.range(0));
    const CaseThreads threads(state, state.range(1));
    SurfaceMesh mesh;
    mesh.method = EversionMethod::Ruled;
    mesh.latitudinalPatches = patches;
    // As many patches across the lune as from pole to equator (two lobes).
    mesh.longitudinalPatches = patches * mesh.lobes / 8;
    mesh.t = static_cast<double>(state.range(2)) / 1000;
    for (auto _ : state) {
        mesh.rebuild(false);
        benchmark::DoNotOptimize(mesh.grid[patches / 2][patches / 2]);
    }
    state.SetItemsProcessed(state.iterations() * 2 * (patches + 1) * mesh.gridColumns());
}

// The same grid through the per-point sampler, on one thread.
void rebuildGridPerPoint(benchmark::State& state)
{
    const int patches = static_cast<int>(state.range(0));
    const size_t columns = static_cast<size_t>(patches) + 1;
    const auto cells = std::make_unique<SurfaceVertex[]>(columns * columns);
    const auto rows = std::make_unique<SurfaceVertex*[]>(columns);
    for (size_t r = 0; r < columns; ++r)
        rows[r] = cells.get() + r * columns;
    const StageAtTime stage = stageAtTime(twistTime, 0.0, 0.1, 0.23, 0.6, 0.93);
    for (auto _ : state) {
        sampleSurface(stage.point, 0, 1, patches, 0, 1, patches, stage.fraction, rows.get(), 8);
        benchmark::DoNotOptimize(rows[patches / 2][patches / 2]);
    }
    countEvaluations(state, patches);
}
// The rebuild with the surface coloured by origin (scheme 1, latitude) and
// without (0, the sides), in the same run: all the per-rebuild work of the
// colours is the grid's texture parameters; the texture itself is made once
// per change of scheme (originTextureBuild).
void rebuildWithColours(benchmark::State& state)
{
    const int patches = static_cast<int>(state.range(0));
    const bool coloured = state.range(1) != 0;
    SurfaceMesh mesh;
    mesh.latitudinalPatches = patches;
    mesh.longitudinalPatches = patches;
    mesh.t = twistTime;
    std::vector<float> us, vs;
    for (auto _ : state) {
        mesh.rebuild(false);
        if (coloured)
            gridParameters(mesh.gridRows(), mesh.gridColumns(), false, us, vs);
        benchmark::DoNotOptimize(mesh.grid[patches / 2][patches / 2]);
        benchmark::DoNotOptimize(us.data());
    }
    state.SetLabel(coloured ? "latitude" : "sides");
}

void originTextureBuild(benchmark::State& state)
{
    OriginLook look;
    look.colours = ColourScheme::Latitude;
    for (auto _ : state)
        benchmark::DoNotOptimize(originTexture(look).rgba.data());
}
}  // namespace

BENCHMARK(rebuildWithColours)
    ->ArgNames({"patches", "latitude"})
    ->Args({512, 0})
    ->Args({512, 1})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(originTextureBuild)->Unit(benchmark::kMillisecond);

// Real time: the work is spread over threads.
BENCHMARK(rebuildGrid)
    ->ArgNames({"patches", "threads"})
    ->Args({12, 0})
    ->Args({64, 0})
    ->Args({128, 0})
    ->Args({256, 0})
    ->Args({512, 0})
    ->Args({512, 1})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(rebuildGridPerPoint)->ArgName("patches")->Arg(512)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(rebuildRuledGrid)
    ->ArgNames({"patches", "threads", "t_milli"})
    ->Args({12, 0, 500})
    ->Args({512, 0, 500})
    ->Args({512, 1, 500})
    ->Args({512, 0, 300})
    ->Args({512, 0, 50})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
