#include "web/CurveWorker.h"

#include <emscripten.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "curves/CurveSetBytes.h"
#include "viewer/SurfaceMesh.h"

namespace {
// The one instance the worker's callbacks reach.
CurveWorker* instance = nullptr;

void onAnswer(char* data, int size, void* self)
{
    static_cast<CurveWorker*>(self)->answered(data, size);
}

// A worker whose script or module fails to load raises an error event on the
// page, which emscripten's own handler does not listen to.
EM_JS(void, watchWorker, (int handle), {
    Browser.workers[handle].worker.addEventListener("error", function(event) {
        event.preventDefault();
        Module._vvCurveWorkerFailed();
    });
});

EM_JS(void, curveWarn, (const char* text), { console.warn(UTF8ToString(text)); });
}

extern "C" EMSCRIPTEN_KEEPALIVE void vvCurveWorkerFailed()
{
    if (instance)
        instance->workerFailed();
}

const CurveDisplay* CurveWorker::curvesFor(const SurfaceMesh& mesh)
{
    const DoubleCurveRequest r = CurveDisplay::requestFor(mesh);
    // Only this frame's set is wanted now; a frame of the playing eversion
    // asks for the next step's again right after.
    wanted = r;
    wantedAhead.reset();
    if (display.shows(r))
        return &display;
    for (auto f = found.begin(); f != found.end(); ++f)
        if (f->request == r) {
            display.show(r, std::move(f->set));
            found.erase(f);
            return &display;
        }
    if (failed) {
        display.refresh(mesh);
        return &display;
    }
    send();
    return nullptr;
}

void CurveWorker::ahead(const DoubleCurveRequest& next)
{
    if (failed || has(next) || (wantedAhead && *wantedAhead == next))
        return;
    wantedAhead = next;
    send();
}

bool CurveWorker::waitsFor(const DoubleCurveRequest& next)
{
    if (failed || has(next))
        return false;
    ahead(next);
    return true;
}

bool CurveWorker::has(const DoubleCurveRequest& r) const
{
    return display.shows(r) || std::any_of(found.begin(), found.end(), [&](const Found& f) { return f.request == r; });
}

void CurveWorker::send()
{
    if (failed || inFlight)
        return;
    // The frame's set before the next step's.
    std::optional<DoubleCurveRequest> next;
    if (wanted && !has(*wanted))
        next = wanted;
    else if (wantedAhead && !has(*wantedAhead))
        next = wantedAhead;
    if (!next)
        return;
    if (worker < 0) {
        worker = emscripten_create_worker("vedoze-vaderuve-curves.js");
        instance = this;
        watchWorker(worker);
    }
    std::vector<std::uint8_t> bytes = encodeCurveRequest(*next);
    inFlight = next;
    emscripten_call_worker(worker, "vvFindCurves", reinterpret_cast<char*>(bytes.data()),
                           static_cast<int>(bytes.size()), onAnswer, this);
}

void CurveWorker::answered(const char* data, int size)
{
    if (failed)
        return;
    const std::optional<DoubleCurveRequest> asked = std::exchange(inFlight, std::nullopt);
    Found answer;
    if (size <= 0 || !decodeCurveAnswer(reinterpret_cast<const std::uint8_t*>(data), static_cast<std::size_t>(size),
                                        answer.request, answer.set)) {
        fail(size <= 0 ? "the curve worker refused a request" : "the curve worker's answer is malformed");
        return;
    }
    if (!asked || !(answer.request == *asked)) {
        fail("the curve worker answered another request than the one asked");
        return;
    }
    const auto stillWanted = [this](const DoubleCurveRequest& r) {
        return (wanted && r == *wanted) || (wantedAhead && r == *wantedAhead);
    };
    std::erase_if(found, [&](const Found& f) { return !stillWanted(f.request); });
    const bool forFrame = wanted && answer.request == *wanted;
    if (stillWanted(answer.request)) {
        found.push_back(std::move(answer));
        if (forFrame && arrived)
            arrived();
    }
    send();
}

void CurveWorker::workerFailed()
{
    if (!failed)
        fail("the curve worker did not start");
}

void CurveWorker::fail(const char* why)
{
    failed = true;
    inFlight.reset();
    found.clear();
    curveWarn((std::string(why) + "; the double curves are found on the page's thread instead").c_str());
    if (arrived)
        arrived();
}
