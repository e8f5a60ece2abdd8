// The page's curve worker: a program of its own, run by the page in a Web
// Worker (built with -sBUILD_AS_WORKER), that finds the double curves off the
// page's thread. The page calls vvFindCurves with a request's bytes
// (curves/CurveSetBytes.h) and gets back the set's bytes, or no bytes at all
// when the request is malformed (with a console warning here). One call at a
// time, on the worker's one thread; it keeps nothing between calls.
#include <emscripten.h>

#include <cstdint>
#include <vector>

#include "curves/CurveSetBytes.h"

EM_JS(void, workerWarn, (const char* text), { console.warn(UTF8ToString(text)); });

extern "C" EMSCRIPTEN_KEEPALIVE void vvFindCurves(char* data, int size)
{
    DoubleCurveRequest request;
    if (size < 0 || !decodeCurveRequest(reinterpret_cast<const std::uint8_t*>(data), static_cast<std::size_t>(size),
                                         request)) {
        workerWarn("curve worker: a malformed request was ignored");
        emscripten_worker_respond(nullptr, 0);
        return;
    }
    std::vector<std::uint8_t> answer = encodeCurveAnswer(request, findDoubleCurves(request));
    emscripten_worker_respond(reinterpret_cast<char*>(answer.data()), static_cast<int>(answer.size()));
}
