// Frames per second of the viewer's frame in a real OpenGL context: the whole
// display callback (clear, lit surface, heads-up text, buffer swap) followed
// by glFinish, so that the time includes the rasterisation the driver would
// otherwise leave queued. Needs an X display.
//
// Each case is a grid size, a moment of the eversion (t = 0 is the start-up
// sphere, t = 0.4 the twist, the most expensive stage to evaluate) and
// whether the mesh is rebuilt every frame (as while the eversion animates or
// is scrubbed) or only drawn (as while the camera moves). All eight strips of
// both hemispheres are shown, the start-up display options are kept.
//
// This program has its own main: the window and its context must exist
// before the first benchmark runs. The main of the benchmark_main archive is
// then never pulled in by the linker.
#include <GL/freeglut.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <thread>
#include <memory>
#include <string>

#include "viewer/AppState.h"
#include "draw/FrameRenderer.h"
#include "viewer/Interaction.h"
#include "camera/Camera.h"

static constexpr int windowSize = 512;

static void drawNothing() {}

static void renderFrames(benchmark::State& state)
{
    const int patches = static_cast<int>(state.range(0));
    const bool rebuildEveryFrame = state.range(1) != 0;
    const double t = static_cast<double>(state.range(2)) / 1000.0;

    // A fresh record per case: the defaults of a new viewer, its own camera.
    AppState viewer;
    Camera camera(windowSize, windowSize, 2.0f, Vector3(0, 0, 0, 1));
    viewer.camera = &camera;
    viewer.mesh.t = t;
    viewer.mesh.latitudinalPatches = patches;
    viewer.mesh.longitudinalPatches = patches;

    // The first frame builds the grid and warms the driver's caches.
    renderFrame(viewer);
    glutSwapBuffers();
    glFinish();

    for (auto _ : state) {
        if (rebuildEveryFrame) {
            viewer.mesh.freeGrid();
            viewer.mesh.dirty = true;
        }
        renderFrame(viewer);
        glutSwapBuffers();
        glFinish();
    }
    if (viewer.mesh.dirty || viewer.mesh.gridRows() != patches + 1)
        state.SkipWithError("the mesh was not built at the requested size");

    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                    benchmark::Counter::kIsRate);
    char label[64];
    std::snprintf(label, sizeof label, "%dx%d patches, t=%.1f, %s", patches, patches, t,
                  rebuildEveryFrame ? "rebuild+render" : "render");
    state.SetLabel(label);
}
// Frames at a new time each, as while the eversion animates (the time
// alternates by a hair about t, so the surface and whatever follows it are
// made anew every frame), after one frame that builds and warms up.
static void renderAnimatedFrames(benchmark::State& state, AppState& viewer, double t)
{
    viewer.mesh.t = t;
    renderFrame(viewer);
    glutSwapBuffers();
    glFinish();
    bool odd = false;
    for (auto _ : state) {
        viewer.mesh.freeGrid();
        viewer.mesh.t = (odd = !odd) ? t + 1e-7 : t;
        viewer.mesh.dirty = true;
        renderFrame(viewer);
        glutSwapBuffers();
        glFinish();
    }
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                    benchmark::Counter::kIsRate);
}

// Arguments: patches, rebuild every frame (0/1), t in thousandths. Real time:
// the rasteriser's worker threads do much of the work off the main thread. A
// large frame takes a good fraction of a second; a longer minimum time gives
// each repetition enough frames to average over.
// The start-up frame at the default grid (12 x 12, t = 0.4, rebuilt every
// frame) in each colour scheme, and with a 15-degree graticule and two
// tracks on the latitude colours. The image is a generated 1024 x 512
// picture.
static void renderSchemes(benchmark::State& state)
{
    const int scheme = static_cast<int>(state.range(0));
    AppState viewer;
    Camera camera(windowSize, windowSize, 2.0f, Vector3(0, 0, 0, 1));
    viewer.camera = &camera;
    static const char* const names[] = {"sides", "latitude", "longitude", "image", "latitude+graticule+tracks"};
    viewer.look.colours = scheme == 4 ? ColourScheme::Latitude : static_cast<ColourScheme>(scheme);
    if (scheme == 3) {
        auto picture = std::make_shared<Picture>();
        picture->width = 1024;
        picture->height = 512;
        picture->rgba.resize(1024 * 512 * 4);
        for (size_t i = 0; i < picture->rgba.size(); ++i)
            picture->rgba[i] = static_cast<unsigned char>(i * 7);
        viewer.look.image = picture;
    }
    if (scheme == 4) {
        viewer.look.graticuleDegrees = 15;
        viewer.look.tracks = {{30, 20}, {-45, 100}};
    }
    viewer.look.touch();
    renderAnimatedFrames(state, viewer, 0.4);
    state.SetLabel(names[scheme]);
}
// Both eversions at the default grid, rebuilt every frame (as while the
// eversion animates), at t = 0.5 (the twist, and the ruled method's halfway
// model), with the copies turned by the graphics interface or seam-free.
static void renderMethods(benchmark::State& state)
{
    AppState viewer;
    Camera camera(windowSize, windowSize, 2.0f, Vector3(0, 0, 0, 1));
    viewer.camera = &camera;
    viewer.mesh.method = state.range(0) != 0 ? EversionMethod::Ruled : EversionMethod::Corrugations;
    viewer.seamFree = state.range(1) != 0;
    renderAnimatedFrames(state, viewer, 0.5);
    state.SetLabel(std::string(methodName(viewer.mesh.method)) + (viewer.seamFree ? ", seam-free" : ""));
}
BENCHMARK(renderMethods)
    ->ArgNames({"ruled", "seamFree"})
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->UseRealTime()
    ->MinTime(1.0)
    ->Unit(benchmark::kMillisecond);

// The frame that shows a new step of the animation with the double curves
// shown, at the corrugation method's busy times and the default grid: with
// the animation on (the curves of each step found ahead while the one before
// is on screen, for the timer's interval) or stepped by hand, as a scrub
// does (found in the frame); and for reference the frame drawn again with
// no step (the curves drawn, not found). Only the frame is timed, not the
// interval.
static void renderCurveSteps(benchmark::State& state)
{
    AppState viewer;
    Camera camera(windowSize, windowSize, 2.0f, Vector3(0, 0, 0, 1));
    viewer.camera = &camera;
    viewer.doubleCurves = true;
    viewer.mesh.t = static_cast<double>(state.range(0)) / 1000.0;
    const int mode = static_cast<int>(state.range(1));  // 0 by hand, 1 animated, 2 no step
    const bool animated = mode == 1;
    viewer.animateEversion = animated;
    renderFrame(viewer);
    glutSwapBuffers();
    glFinish();
    prepareAhead(viewer);
    for (auto _ : state) {
        if (animated) {
            timerTick(viewer);
        } else if (mode == 0) {
            viewer.mesh.freeGrid();
            viewer.mesh.t += viewer.deltaT;
            viewer.mesh.dirty = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(viewer.timerIntervalMs));
        const auto start = std::chrono::steady_clock::now();
        renderFrame(viewer);
        glutSwapBuffers();
        glFinish();
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        prepareAhead(viewer);
    }
    static const char* const labels[] = {"found in the frame", "found ahead", "no step"};
    state.SetLabel(labels[mode]);
}
BENCHMARK(renderCurveSteps)
    ->ArgNames({"tMilli", "step"})
    ->ArgsProduct({{500, 750}, {0, 1, 2}})
    ->UseManualTime()
    ->Iterations(30)
    ->Unit(benchmark::kMillisecond);

BENCHMARK(renderSchemes)->ArgName("scheme")->DenseRange(0, 4)->UseRealTime()->MinTime(1.0)->Unit(benchmark::kMillisecond);

BENCHMARK(renderFrames)
    ->ArgNames({"patches", "rebuild", "tMilli"})
    ->ArgsProduct({{12, 128}, {0, 1}, {0, 400}})
    ->UseRealTime()
    ->MinTime(1.0)
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(windowSize, windowSize);
    glutCreateWindow("frame benchmark");
    glutDisplayFunc(drawNothing);
    // Let the window be mapped before timing anything.
    for (int i = 0; i < 10; ++i)
        glutMainLoopEvent();

    benchmark::AddCustomContext("GL_RENDERER", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    benchmark::AddCustomContext("GL_VERSION", reinterpret_cast<const char*>(glGetString(GL_VERSION)));

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
