// The exporter's three jobs at the sizes users ask for: a 1920 x 1080 picture
// at 128 x 128 patches, a mesh at 512 x 512 patches (its weld and each file
// format apart), and a 101-frame 512 x 512 movie through ffmpeg. Whole
// exports run in process exactly as the command runs them (EGL set-up,
// sampling, drawing, read-back, encoding, the pending file and its rename),
// into a scratch folder under /tmp.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "export/ExportSettings.h"
#include "export/Exporter.h"
#include "export/MeshWriter.h"
#include "viewer/SurfaceWeld.h"
#include "viewer/SurfaceMesh.h"

namespace {
constexpr double twistTime = 0.4;  // the most expensive stage to sample

std::string scratch(const char* name)
{
    return "/tmp/vv-export-bench-" + std::to_string(getpid()) + "-" + name;
}

void runCommand(benchmark::State& state, std::vector<const char*> argv)
{
    const ParseOutcome parsed = parseExportArguments(static_cast<int>(argv.size()), argv.data());
    if (!parsed.ok) {
        state.SkipWithError(parsed.error.c_str());
        return;
    }
    std::FILE* quiet = std::fopen("/dev/null", "w");
    for (auto _ : state)
        if (runExport(parsed.settings, quiet) != 0) {
            state.SkipWithError("the export failed");
            break;
        }
    std::fclose(quiet);
    std::remove(parsed.settings.output.c_str());
}

void imageFullHd(benchmark::State& state)
{
    const std::string out = scratch("image.png");
    runCommand(state, {"x", "image", "--time", "0.4", "--size", "1920x1080", "--patches", "128", "-o", out.c_str()});
}
BENCHMARK(imageFullHd)->Unit(benchmark::kMillisecond)->UseRealTime();

void movie101(benchmark::State& state)
{
    const std::string out = scratch("movie.mp4");
    runCommand(state, {"x", "movie", "--size", "512x512", "--frames", "101", "--rotate", "-o", out.c_str()});
    state.counters["fps"] = benchmark::Counter(101.0 * static_cast<double>(state.iterations()),
                                               benchmark::Counter::kIsRate);
}
BENCHMARK(movie101)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void sampleSurface(SurfaceMesh& mesh, int patches)
{
    mesh.t = twistTime;
    mesh.latitudinalPatches = mesh.longitudinalPatches = patches;
    mesh.rebuild(false);
}

IndexedMesh weld(const SurfaceMesh& mesh)
{
    return weldSurface(mesh, false).mesh;
}

void meshWeld512(benchmark::State& state)
{
    SurfaceMesh mesh;
    sampleSurface(mesh, 512);
    for (auto _ : state)
        benchmark::DoNotOptimize(weld(mesh).indices.data());
    state.SetItemsProcessed(state.iterations() * 16 * 512 * 512 * 2);  // triangles
}
BENCHMARK(meshWeld512)->Unit(benchmark::kMillisecond);

// Argument: the OutputFormat. Encoding and writing only; the weld is above.
void meshWrite512(benchmark::State& state)
{
    const auto format = static_cast<OutputFormat>(state.range(0));
    SurfaceMesh surface;
    sampleSurface(surface, 512);
    const IndexedMesh mesh = weld(surface);
    const std::string out = scratch("mesh");
    for (auto _ : state) {
        std::FILE* file = std::fopen(out.c_str(), "wb");
        std::string error;
        const bool ok = writeMesh(mesh, format, file, error);
        std::fclose(file);
        if (!ok) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
    std::remove(out.c_str());
}
BENCHMARK(meshWrite512)
    ->Arg(static_cast<int>(OutputFormat::Ply))
    ->Arg(static_cast<int>(OutputFormat::Stl))
    ->Arg(static_cast<int>(OutputFormat::Glb))
    ->Arg(static_cast<int>(OutputFormat::Gltf))
    ->Arg(static_cast<int>(OutputFormat::Obj))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

void meshPly512(benchmark::State& state)
{
    const std::string out = scratch("mesh.ply");
    runCommand(state, {"x", "mesh", "--time", "0.4", "--patches", "512", "-o", out.c_str()});
}
BENCHMARK(meshPly512)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
}
