#pragma once
// The double curves of the animation's next step, found on a thread of their
// own while this step is on screen, so that the frame that shows the step
// finds them ready instead of finding them itself (tens of milliseconds at
// the corrugation method's busiest times, DoubleCurves.h).
//
// The result is the very set the frame would find: findDoubleCurves is pure
// and its result does not depend on the thread. A set found ahead for a step
// that does not come (the user scrubbed, or changed the strips) is dropped
// without waiting for it. Owned by the frame's thread, which alone calls it;
// the search's own threads are OpenMP's.
#include <future>
#include <vector>

#include "curves/CurveDisplay.h"

struct SurfaceMesh;

struct CurvePrefetch {
    // Brings `display` to the mesh's curves: the set found ahead if it is the
    // one (waiting for it if it is not done), else found here and now.
    void refresh(CurveDisplay& display, const SurfaceMesh& mesh);
    // Starts finding the set for `next` unless it is shown or under way.
    void ahead(const CurveDisplay& display, const DoubleCurveRequest& next);

private:
    DoubleCurveRequest pendingFor;
    std::future<DoubleCurveSet> pending;
    // Sets no longer wanted, still being found: kept until done, so that
    // dropping one never waits for it.
    std::vector<std::future<DoubleCurveSet>> dropped;
    void drop();
};
