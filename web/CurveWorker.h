#pragma once
// The double curves on the page, found in a Web Worker (web/curve_worker.cpp)
// so that the page's thread never waits for them: the page's counterpart of
// the desktop's CurvePrefetch. A frame shows the mesh's set once it has
// arrived and draws no curves until then; while the eversion plays, the set
// of the animation's next step is asked for ahead, and the timer waits for
// it (waitsFor) before it steps.
//
// Requests and sets cross to the worker as bytes (curves/CurveSetBytes.h),
// so the set shown is bit for bit the one findDoubleCurves finds. The worker
// is started on the first request, so a page that never shows curves never
// loads it, and lives as long as the page. One request is in flight at a
// time; the latest set the frame needs goes first, then the latest asked for
// ahead, and an answer neither wants any more is dropped. Should the worker
// fail to start or answer with bytes that do not decode, a console warning
// says so and the sets are found on the page's thread from then on.
//
// NOTE: a frame that found its set on the page's one thread took 58 to 207 ms
// against 28 ms without curves for the corrugations at t = 0.4 to 0.75, and
// 33 to 39 ms against 16 to 18 ms for the ruled surfaces (12 x 12 patches,
// headless Chromium): the eversion stuttered and input stalled while it
// played. Found here, no task on that thread took over 50 ms while the
// corrugations played from t = 0.7 (14 to 26 such tasks in 4 s before).
//
// Page's thread only: the answers arrive there as callbacks between events.
#include <optional>
#include <vector>

#include "curves/CurveDisplay.h"

struct CurveWorker {
    // Called when the set a frame waits for has arrived: the page redraws.
    void (*arrived)() = nullptr;

    // The display with the mesh's set, taken in if it has arrived; null
    // while it is being found (it is asked for then).
    const CurveDisplay* curvesFor(const SurfaceMesh& mesh);
    // Asks for the set of `next` unless it is shown, arrived or wanted.
    void ahead(const DoubleCurveRequest& next);
    // Whether a step to `next` must wait for its set: while it is neither
    // shown nor arrived (it is asked for then), unless the worker was given
    // up, when the frame finds it itself.
    bool waitsFor(const DoubleCurveRequest& next);
    // Whether the worker is finding a set now.
    bool busy() const { return inFlight.has_value(); }

    // For the worker's callbacks.
    void answered(const char* data, int size);
    void workerFailed();

private:
    CurveDisplay display;
    struct Found {
        DoubleCurveRequest request;
        DoubleCurveSet set;
    };
    // Sets arrived and not shown yet: the frame's and the next step's, at
    // most one each.
    std::vector<Found> found;
    std::optional<DoubleCurveRequest> wanted;       // what the last frame needed
    std::optional<DoubleCurveRequest> wantedAhead;  // the animation's next step
    std::optional<DoubleCurveRequest> inFlight;
    int worker = -1;      // emscripten's handle, once started
    bool failed = false;  // found on the page's thread instead

    bool has(const DoubleCurveRequest& r) const;
    void send();
    void fail(const char* why);
};
