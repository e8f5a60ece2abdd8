#include "draw/CurvePrefetch.h"

#include <chrono>
#include <utility>

void CurvePrefetch::refresh(CurveDisplay& display, const SurfaceMesh& mesh)
{
    const DoubleCurveRequest r = CurveDisplay::requestFor(mesh);
    if (display.shows(r))
        return;
    if (pending.valid() && pendingFor == r) {
        display.show(r, pending.get());
        return;
    }
    drop();
    display.refresh(mesh);
}

void CurvePrefetch::ahead(const CurveDisplay& display, const DoubleCurveRequest& next)
{
    if (display.shows(next) || (pending.valid() && pendingFor == next))
        return;
    drop();
    pendingFor = next;
    pending = std::async(std::launch::async, findDoubleCurves, next);
}

void CurvePrefetch::drop()
{
    std::erase_if(dropped, [](const std::future<DoubleCurveSet>& f) {
        return f.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    });
    if (pending.valid())
        dropped.push_back(std::move(pending));
}
