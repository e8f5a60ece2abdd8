// Full rebuilds of the sampled surface at several grid sizes, at a moment in
// the twist stage (the most expensive stage to evaluate).
#include <benchmark/benchmark.h>

#include "app/SurfaceMesh.h"

static void rebuildGrid(benchmark::State& state)
{
    const int patches = static_cast<int>(state.range(0));
    SurfaceMesh mesh;
    mesh.latitudinalPatches = patches;
    mesh.longitudinalPatches = patches;
    mesh.t = 0.4;
    for (auto _ : state) {
        mesh.rebuild(false);
        benchmark::DoNotOptimize(mesh.grid[patches / 2][patches / 2]);
    }
    // Stage evaluations per rebuild: every node plus one pole probe per row.
    state.SetItemsProcessed(state.iterations() * (patches + 1) * (patches + 2));
}
BENCHMARK(rebuildGrid)->Arg(12)->Arg(64)->Arg(128)->Arg(256)->Unit(benchmark::kMillisecond);
