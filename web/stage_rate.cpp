// Stage evaluations per second of the WebAssembly build, on the grid the
// native benchmark bench/eversion_stages_bench.cpp uses: 13 x 13 points with
// u and v across [0, 1], the middle of the stage (fraction 0.5), 8 strips,
// each point through the stage function pointer. Google Benchmark does not
// build for the browser target, so this times whole grids with the steady
// clock until a second has passed and prints one line per stage:
// "<stage> <evaluations per second>". Runs under node.
#include <chrono>
#include <cstdio>

#include "eversion/Eversion.h"

namespace {
constexpr int gridIntervals = 12;
constexpr double stageFraction = 0.5;
constexpr int strips = 8;

// Keeps the optimiser from dropping evaluations whose results are unused.
volatile double sink = 0;

double evaluationsPerSecond(StageFunction stage)
{
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    long long evaluations = 0;
    double elapsed = 0;
    do {
        for (int i = 0; i <= gridIntervals; ++i) {
            const Jet8 u(static_cast<double>(i) / gridIntervals, 1, 0);
            for (int j = 0; j <= gridIntervals; ++j) {
                const Jet8 v(static_cast<double>(j) / gridIntervals, 0, 1);
                sink = sink + stage(u, v, stageFraction, strips).x.value;
            }
        }
        evaluations += (gridIntervals + 1) * (gridIntervals + 1);
        elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    } while (elapsed < 1.0);
    return static_cast<double>(evaluations) / elapsed;
}
}

int main()
{
    const struct {
        const char* name;
        StageFunction stage;
    } stages[] = {{"corrugate", stageCorrugate},
                  {"pushThrough", stagePushThrough},
                  {"twist", stageTwist},
                  {"release", stageRelease},
                  {"smooth", stageSmooth}};
    for (const auto& s : stages)
        std::printf("%s %.0f\n", s.name, evaluationsPerSecond(s.stage));
    return 0;
}
