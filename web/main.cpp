// The viewer in a web page: the browser's entry point and the event glue.
//
// The page's script (the ES modules in web/page/) turns DOM events into the
// desktop's input codes and calls the functions exported below; they run the
// shared commands and gestures of viewer/ on the one AppState, exactly as the
// desktop's GLUT callbacks do, and ask for a redraw, which the next animation
// frame draws with the WebGL 2 renderer. The animation timer ticks every
// timerIntervalMs, like GLUT's timer chain. Console messages go through
// printf to the browser console. Everything runs on the page's one thread.
#include <emscripten.h>
#include <emscripten/html5.h>
#include <GLES3/gl3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "camera/Camera.h"
#include "viewer/SurfaceCopy.h"
#include "viewer/SurfaceWeld.h"
#include "viewer/AppState.h"
#include "viewer/CommandLine.h"
#include "viewer/Commands.h"
#include "viewer/HeadsUp.h"
#include "viewer/InputHelp.h"
#include "viewer/Interaction.h"
#include "viewer/OriginPick.h"
#include "viewer/Version.h"
#include "viewer/ViewLink.h"
#include "web/CurveWorker.h"
#include "web/Glb.h"
#include "web/WebRenderer.h"

// Calls into the page's script (web/page/viewer.js), when it has the hook.
EM_JS(void, pageStopped, (const char* reason), {
    if (Module.viewerStopped)
        Module.viewerStopped(UTF8ToString(reason));
});

// A repaired link is a warning, not an error: the page goes on.
EM_JS(void, consoleWarn, (const char* text), { console.warn(UTF8ToString(text)); });

// The page refreshes its controls and its link when the state they show has
// changed, not on every frame.
EM_JS(void, pageStateChanged, (), {
    if (Module.viewerStateChanged)
        Module.viewerStateChanged();
});

EM_JS(void, pageFirstFrame, (), {
    if (Module.viewerFirstFrame)
        Module.viewerFirstFrame();
});

EM_JS(void, pageContext, (int lost), {
    if (Module.viewerContext)
        Module.viewerContext(lost);
});

namespace {
WebRenderer renderer;
// Started on the first frame with the double curves shown.
CurveWorker curveWorker;
bool framePending = false;
bool stopped = false;
// The GPU took the context away; nothing is drawn until it comes back.
bool contextLost = false;
bool firstFrameDrawn = false;
int framesDrawn = 0;
// The last frame drew the double curves of its surface.
bool curvesDrawn = false;
// What the page's controls last showed: the link and the animation bits.
std::string shownState;
// Strings handed to the page stay alive until the next call.
std::string pageText;
std::vector<std::uint8_t> pageFile;
constexpr double maxGlbTriangles = 4e6;
// How often the timer looks for the set a step waits for.
constexpr int curvePollMs = 10;
// Drawing-buffer pixels per CSS pixel, as the page last sized the canvas.
float pixelScale = 1;

void report(const char* format, int value)
{
    std::printf(format, value);
    std::fflush(stdout);
}

int animationBits()
{
    return (appState.animateEversion ? 1 : 0) | (appState.animateRotation ? 2 : 0);
}

void notifyStateChange()
{
    std::string state = encodeViewLink(captureView(appState));
    state += static_cast<char>('0' + animationBits());
    if (state == shownState)
        return;
    shownState = std::move(state);
    pageStateChanged();
}

void drawFrame()
{
    if (contextLost)
        return;
    const CurveDisplay* curves = appState.doubleCurves ? curveWorker.curvesFor(appState.mesh) : nullptr;
    renderer.render(appState, pixelScale, curves);
    curvesDrawn = curves != nullptr;
    if (const std::optional<DoubleCurveRequest> next = CurveDisplay::requestAhead(appState))
        curveWorker.ahead(*next);
    ++framesDrawn;
    if (!firstFrameDrawn) {
        firstFrameDrawn = true;
        pageFirstFrame();
    }
    notifyStateChange();
}

EM_BOOL onAnimationFrame(double, void*)
{
    framePending = false;
    if (!stopped)
        drawFrame();
    return EM_FALSE;
}

void postRedisplay()
{
    if (framePending || stopped)
        return;
    framePending = true;
    emscripten_request_animation_frame(onAnimationFrame, nullptr);
}

// While the eversion plays with its double curves shown, the animation (and
// the rotation with it) steps only once the next step's set has arrived, as
// the desktop's frame waits for it: the curves keep up with the surface, and
// the page's thread stays free meanwhile.
bool waitsForCurves()
{
    const std::optional<DoubleCurveRequest> next = CurveDisplay::requestAhead(appState);
    return next && curveWorker.waitsFor(*next);
}

void onTimer(void*)
{
    if (stopped)
        return;
    if (waitsForCurves()) {
        // Looks again soon rather than a whole interval later, so that the
        // step follows its set closely.
        emscripten_set_timeout(onTimer, std::min(appState.timerIntervalMs, curvePollMs), nullptr);
        return;
    }
    if (!timerTick(appState))
        return;
    // The following step's set is asked for now rather than after this
    // step's frame, so that the worker does not idle meanwhile. NOTE: the
    // corrugations played with their curves for 4 s from t = 0.7 took 34
    // steps so against 18 to 22 when asked after the frame (29 to 33 with
    // the curves found in the frame).
    waitsForCurves();
    postRedisplay();
    emscripten_set_timeout(onTimer, appState.timerIntervalMs, nullptr);
}

void startTimerIfNeeded()
{
    if (timerShouldStart(appState))
        emscripten_set_timeout(onTimer, appState.timerIntervalMs, nullptr);
}

// Where the desktop ends its process (Esc, the usage text, no graphics) a
// page cannot: the viewer stops taking input and ticking, and the page says
// why.
void stop(const char* reason)
{
    stopped = true;
    pageStopped(reason);
}

void runMenuCommand(int id)
{
    const CommandResult result = applyCommand(appState, id);
    if (!result.known) {
        report("unknown menu item %d was selected\n", id);
        return;
    }
    if (result.quit) {
        stop("Stopped (Esc). Reload the page to start again.");
        return;
    }
    if (result.startTimer)
        startTimerIfNeeded();
    if (result.reshape) {
        // Stereo changes the canvas the page lays out; it reports the new
        // size back through vvResize.
        EM_ASM(if (Module.layoutCanvas) Module.layoutCanvas(););
        reshapeViews(appState, appState.savedWindowWidth, appState.savedWindowHeight);
    }
    if (result.redraw)
        postRedisplay();
    notifyStateChange();
}

// The mesh as it is on screen, its grid built. A change not drawn yet is
// drawn first: the renderer uploads the grid only when it rebuilds it, so the
// rebuild must not happen anywhere else.
const SurfaceMesh& shownMesh()
{
    if (appState.mesh.dirty)
        drawFrame();
    appState.mesh.prepare(appState.halfStrips);
    return appState.mesh;
}

void relayout()
{
    EM_ASM(if (Module.layoutCanvas) Module.layoutCanvas(););
    reshapeViews(appState, appState.savedWindowWidth, appState.savedWindowHeight);
}

EM_BOOL onContextLost(int, const void*, void*)
{
    contextLost = true;
    pageContext(1);
    return EM_TRUE;  // prevents the default, so that the browser may restore it
}

EM_BOOL onContextRestored(int, const void*, void*)
{
    // Every GL object died with the old context: start from empty ones and
    // upload the surface again.
    renderer = WebRenderer{};
    if (!renderer.init()) {
        stop("Stopped: the graphics context came back unusable. Reload the page.");
        return EM_TRUE;
    }
    contextLost = false;
    appState.mesh.freeGrid();
    appState.mesh.dirty = true;
    pageContext(0);
    postRedisplay();
    return EM_TRUE;
}
}

extern "C" {

EMSCRIPTEN_KEEPALIVE void vvMenu(int id)
{
    if (!stopped)
        runMenuCommand(id);
}

// A character key: its byte, as the desktop's keyboard callback gets it.
EMSCRIPTEN_KEEPALIVE void vvKey(int key)
{
    if (stopped)
        return;
    const KeyBinding binding = keyBinding(static_cast<unsigned char>(key));
    if (binding.kind == KeyBinding::Command)
        runMenuCommand(binding.menuId);
    else if (binding.kind == KeyBinding::RedrawOnly)
        postRedisplay();
    else
        report("untrapped key %d\n", static_cast<unsigned char>(key));
}

// A function, cursor or lone modifier key, by its desktop special-key code.
EMSCRIPTEN_KEEPALIVE void vvSpecialKey(int key)
{
    if (stopped)
        return;
    const KeyBinding binding = specialKeyBinding(key);
    if (binding.kind == KeyBinding::Command)
        runMenuCommand(binding.menuId);
    else
        report("untrapped special key %d\n", key);
}

// Left (0) or middle (1) button; modifiers: shift 1, ctrl 2, alt 4. The
// right button belongs to the menu and never reaches the viewer.
EMSCRIPTEN_KEEPALIVE void vvMouseButton(int button, int down, int x, int y, int modifiers)
{
    if (!stopped)
        mouseButton(appState, button, down, x, y, modifiers);
}

// Pointer motion in CSS pixels of the canvas; `dragging` while a button is held.
EMSCRIPTEN_KEEPALIVE void vvMouseMove(int x, int y, int dragging)
{
    if (stopped)
        return;
    if (dragging) {
        mouseDrag(appState, x, y);
        postRedisplay();
    } else {
        mouseHover(appState, x, y);
    }
}

// The canvas is width x height CSS pixels, drawn at pixelWidth device pixels
// across.
EMSCRIPTEN_KEEPALIVE void vvResize(int width, int height, int pixelWidth)
{
    if (width > 0)
        pixelScale = static_cast<float>(pixelWidth) / static_cast<float>(width);
    reshapeViews(appState, width, height);
    postRedisplay();
}

// For tests and measurements: frames drawn so far, and whether one is
// requested and not yet drawn.
EMSCRIPTEN_KEEPALIVE int vvFramesDrawn()
{
    return framesDrawn;
}

EMSCRIPTEN_KEEPALIVE int vvFramePending()
{
    return framePending ? 1 : 0;
}

// 1 while the curve worker is finding a set of double curves.
EMSCRIPTEN_KEEPALIVE int vvCurvesPending()
{
    return curveWorker.busy() ? 1 : 0;
}

// 1 when the last frame drew its surface's double curves.
EMSCRIPTEN_KEEPALIVE int vvCurvesShown()
{
    return curvesDrawn ? 1 : 0;
}

// The whole view as the link's fragment (without '#').
EMSCRIPTEN_KEEPALIVE const char* vvViewLink()
{
    pageText = encodeViewLink(captureView(appState));
    return pageText.c_str();
}

// Sets the view from a link's fragment, repairing what is broken with one
// console warning; the rest of the state stays.
EMSCRIPTEN_KEEPALIVE void vvApplyLink(const char* fragment)
{
    if (stopped || !fragment)
        return;
    std::string warning;
    const ViewLink view = decodeViewLink(fragment, captureView(appState), warning);
    if (!warning.empty())
        consoleWarn(warning.c_str());
    const bool stereoBefore = appState.stereo;
    applyView(view, appState);
    if (appState.stereo != stereoBefore)
        relayout();
    postRedisplay();
    notifyStateChange();
}

// Eversion animation 1, camera rotation 2.
EMSCRIPTEN_KEEPALIVE int vvAnimation()
{
    return animationBits();
}

EMSCRIPTEN_KEEPALIVE const char* vvTimeLine()
{
    char line[headsUpLineSize];
    formatTimeLine(appState, line, sizeof line);
    pageText = line;
    return pageText.c_str();
}

// The sliders: time, blending intensity and eye separation, each within the
// range its drag keeps (the eye separation within the slider's).
EMSCRIPTEN_KEEPALIVE void vvSetTime(double t)
{
    if (stopped || !std::isfinite(t))
        return;
    appState.mesh.freeGrid();
    appState.mesh.t = std::clamp(t, 0.0, 1.0);
    appState.mesh.dirty = true;
    postRedisplay();
}

EMSCRIPTEN_KEEPALIVE void vvSetAlpha(double alpha)
{
    if (stopped || !std::isfinite(alpha))
        return;
    appState.alpha = static_cast<float>(std::clamp(alpha, 0.0, 1.0));
    postRedisplay();
}

EMSCRIPTEN_KEEPALIVE void vvSetEyeDistance(double distance)
{
    if (stopped || !std::isfinite(distance))
        return;
    appState.stereoDistance = static_cast<float>(std::clamp(distance, -1.0, 1.0));
    postRedisplay();
}

// The help's tables: keys with their commands' labels, then the drags.
EMSCRIPTEN_KEEPALIVE const char* vvKeyHelp()
{
    pageText = describeKeys();
    return pageText.c_str();
}

EMSCRIPTEN_KEEPALIVE const char* vvDragHelp()
{
    pageText = describeDrags();
    return pageText.c_str();
}

EMSCRIPTEN_KEEPALIVE const char* vvVersion()
{
    return kVersion;
}

// The shown surface, welded as the exporter welds it, as a GLB file; returns
// its size (0 when it cannot be made) and leaves the bytes at vvFileData().
EMSCRIPTEN_KEEPALIVE int vvMeshGlb()
{
    const SurfaceMesh& m = shownMesh();
    // The weld and the file take about 100 bytes a triangle and a page has
    // a few hundred megabytes at most, so larger meshes are the exporter's.
    const double triangles = 2.0 * m.latitudinalPatches * m.patchesAcross() * surfaceCopyCount(m);
    if (triangles > maxGlbTriangles)
        return 0;
    pageFile = writeGlb(weldSurface(m, appState.halfStrips).mesh);
    return static_cast<int>(pageFile.size());
}

EMSCRIPTEN_KEEPALIVE const std::uint8_t* vvFileData()
{
    return pageFile.data();
}

EMSCRIPTEN_KEEPALIVE void vvFreeFile()
{
    std::vector<std::uint8_t>().swap(pageFile);
}

EMSCRIPTEN_KEEPALIVE int vvStereo()
{
    return appState.stereo ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE int vvMenuCount()
{
    return menuEntryCount;
}

EMSCRIPTEN_KEEPALIVE int vvMenuId(int index)
{
    return index >= 0 && index < menuEntryCount ? menuEntries[index].id : 0;
}

EMSCRIPTEN_KEEPALIVE const char* vvMenuLabel(int index)
{
    return index >= 0 && index < menuEntryCount ? menuEntries[index].label : "";
}

// The page is running: main has started the viewer and nothing stopped it.
EMSCRIPTEN_KEEPALIVE int vvRunning()
{
    return !stopped && appState.camera ? 1 : 0;
}

// One option of the origin look, its words joined by newlines
// ("--colours\nlatitude", "--bands\nlongitude\n12", "--graticule\n15"), read by
// the command line's own parser; a bad value is one console warning and
// changes nothing. A picture comes through vvSetImage, never by name.
EMSCRIPTEN_KEEPALIVE int vvLookOption(const char* words)
{
    if (stopped || !words)
        return 0;
    std::vector<std::string> split(1);
    for (const char* p = words; *p; ++p) {
        if (*p == '\n')
            split.emplace_back();
        else
            split.back() += *p;
    }
    std::vector<const char*> argv;
    for (const std::string& w : split)
        argv.push_back(w.c_str());
    OriginLook look = appState.look;
    bool orthographic = appState.orthographic;
    std::string error;
    const int used = parseLookOption(static_cast<int>(argv.size()), argv.data(), 0, look, orthographic, error);
    if (used > 0 && look.colours == ColourScheme::Image && !look.image)
        error = "--colours image: the page takes its picture from the file picker or a dropped file";
    if (used <= 0 || used != static_cast<int>(argv.size()) || !error.empty()) {
        consoleWarn((error.empty() ? "not a look option: " + split[0] : error).c_str());
        return 0;
    }
    appState.look = std::move(look);
    appState.orthographic = orthographic;
    postRedisplay();
    notifyStateChange();
    return 1;
}

// An equirectangular picture for the image scheme: width x height RGBA
// pixels, top row first, at `rgba` (the page's bytes; copied). Refused with
// one console warning unless it is twice as wide as tall.
EMSCRIPTEN_KEEPALIVE int vvSetImage(const std::uint8_t* rgba, int width, int height)
{
    if (stopped)
        return 0;
    auto picture = std::make_shared<Picture>();
    picture->width = width;
    picture->height = height;
    std::string problem = checkEquirectangular(*picture);
    constexpr int maxSide = 8192;  // 128 MB of pixels; the texture keeps at most 4096 across
    if (problem.empty() && (!rgba || width > maxSide))
        problem = "is too large";
    if (!problem.empty()) {
        consoleWarn(("--colours image: the picture " + problem + "; the surface keeps its colours").c_str());
        return 0;
    }
    picture->rgba.assign(rgba, rgba + static_cast<std::size_t>(width) * height * 4);
    appState.look.image = std::move(picture);
    appState.look.imagePath.clear();
    appState.look.colours = ColourScheme::Image;
    appState.look.touch();
    postRedisplay();
    notifyStateChange();
    return 1;
}

// Adds the track of the origin under window pixel (x, y) (CSS pixels of the
// canvas, rows downward), as the next tap or click after "Pick point" asks.
// Returns 1 when a track was added, 0 when the surface is not there or the
// link's count of tracks is reached (with a console line).
EMSCRIPTEN_KEEPALIVE int vvPickPoint(int x, int y)
{
    if (stopped || contextLost)
        return 0;
    if (static_cast<int>(appState.look.tracks.size()) >= linkMaxTracks) {
        consoleWarn(("Pick point: at most " + std::to_string(linkMaxTracks) + " tracks; clear them first").c_str());
        return 0;
    }
    shownMesh();
    Origin origin;
    if (!pickOrigin(appState, x, y, origin)) {
        std::printf("Pick point: no surface at %d, %d\n", x, y);
        std::fflush(stdout);
        return 0;
    }
    // A hundredth of a degree is finer than a pixel and keeps the link short.
    origin.latitude = std::round(origin.latitude * 100) / 100;
    origin.longitude = std::round(origin.longitude * 100) / 100;
    appState.look.tracks.push_back(origin);
    std::printf("Pick point: track at %.2f, %.2f\n", origin.latitude, origin.longitude);
    std::fflush(stdout);
    postRedisplay();
    notifyStateChange();
    return 1;
}

EMSCRIPTEN_KEEPALIVE void vvClearTracks()
{
    if (stopped)
        return;
    appState.look.tracks.clear();
    postRedisplay();
    notifyStateChange();
}

// Draws `count` frames back to back, each waited for by reading one pixel
// back, and returns the milliseconds taken: the frame rate without the
// page's display refresh in the way.
EMSCRIPTEN_KEEPALIVE double vvTimeFrames(int count)
{
    unsigned char pixel[4];
    const double start = emscripten_get_now();
    for (int i = 0; i < count && !contextLost; ++i) {
        drawFrame();
        glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    }
    return emscripten_get_now() - start;
}
}

int main(int argc, char** argv)
{
    // Words of the page's query string arrive as the command line.
    // A bad value of the origin look's options leaves its line in the
    // console and the viewer running without the rest of the words.
    // The page draws the copies seam-free.
    appState.seamFree = true;
    bool badValue = false;
    if (!parseCommandLine(argc, argv, appState, stdout, stderr, &badValue)) {
        stop("Stopped: the usage text is in the browser console.");
        return 0;
    }
    if (appState.look.colours == ColourScheme::Image && !appState.look.image) {
        // The page has no files of its own: a picture comes from the page.
        std::fprintf(stderr, "--colours image: the page cannot open '%s'; the surface keeps its sides\n",
                     appState.look.imagePath.c_str());
        appState.look.colours = ColourScheme::Sides;
        appState.look.touch();
    }

    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_TRUE;
    attributes.antialias = EM_FALSE;  // the desktop draws without multisampling
    // Kept after compositing, so the frame on show can be read back.
    attributes.preserveDrawingBuffer = EM_TRUE;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context("#canvas", &attributes);
    if (context <= 0 || emscripten_webgl_make_context_current(context) != EMSCRIPTEN_RESULT_SUCCESS ||
        !renderer.init()) {
        std::fprintf(stderr, "WebGL 2 is not available in this browser\n");
        stop("Stopped: this browser offers no WebGL 2.");
        return 0;
    }

    const int width = appState.stereo ? 1024 : 512;
    const int height = 512;
    appState.camera = new Camera(width, height, 2.0f, Vector3(0, 0, 0, 1));
    emscripten_set_webglcontextlost_callback("#canvas", nullptr, EM_FALSE, onContextLost);
    emscripten_set_webglcontextrestored_callback("#canvas", nullptr, EM_FALSE, onContextRestored);
    curveWorker.arrived = [] { postRedisplay(); };
    startTimerIfNeeded();
    // The page builds its menu, sizes the canvas (calling vvResize) and
    // starts listening for input.
    EM_ASM(if (Module.viewerStarted) Module.viewerStarted(););
    postRedisplay();
    return 0;
}
