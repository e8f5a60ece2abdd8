#pragma once
// What the front ends draw of the double curves (DoubleCurves.h): the set
// for the mesh's time, method, strips or lobes and patches, found again only
// when one of them changes, as float polylines and triple-point markers in
// world coordinates. One thread (the search inside spreads over the cores).
#include <optional>
#include <vector>

#include "curves/DoubleCurves.h"
#include "viewer/OriginLines.h"

struct AppState;
struct SurfaceMesh;

struct CurveDisplay {
    DoubleCurveSet set;
    std::vector<Polyline> lines;  // one a curve; a closed one ends on its first point
    std::vector<float> markers;   // the triple points, x, y, z each
    long revision = 0;            // counts the times the set was found anew

    // The request the mesh's state makes.
    static DoubleCurveRequest requestFor(const SurfaceMesh& mesh);
    // The request the playing eversion's next step will make, to be found
    // ahead of it; none while the curves are hidden or the eversion stands.
    static std::optional<DoubleCurveRequest> requestAhead(const AppState& state);
    void refresh(const SurfaceMesh& mesh);
    // Whether the set shown is the one for `r`; shows `found`, the set for `r`
    // found elsewhere (as ahead of time, on another thread).
    bool shows(const DoubleCurveRequest& r) const;
    void show(const DoubleCurveRequest& r, DoubleCurveSet found);

private:
    bool made = false;
    DoubleCurveRequest madeFor;
};
