#include "curves/CurveDisplay.h"

#include <algorithm>
#include <utility>

#include "viewer/AppState.h"
#include "viewer/Interaction.h"
#include "viewer/SurfaceMesh.h"

DoubleCurveRequest CurveDisplay::requestFor(const SurfaceMesh& mesh)
{
    DoubleCurveRequest r;
    r.method = mesh.method;
    r.around = mesh.around();
    r.t = std::clamp(mesh.t, 0.0, 1.0);
    // Below 2 the rebuild raises the counts, as here.
    r.latitudinalPatches = std::max(2, mesh.latitudinalPatches);
    r.longitudinalPatches = std::max(2, mesh.patchesAcross());
    return r;
}

std::optional<DoubleCurveRequest> CurveDisplay::requestAhead(const AppState& state)
{
    if (!state.doubleCurves || !state.animateEversion)
        return std::nullopt;
    DoubleCurveRequest next = requestFor(state.mesh);
    next.t = eversionTimeAhead(state);
    return next;
}

void CurveDisplay::refresh(const SurfaceMesh& mesh)
{
    const DoubleCurveRequest r = requestFor(mesh);
    if (!shows(r))
        show(r, findDoubleCurves(r));
}

bool CurveDisplay::shows(const DoubleCurveRequest& r) const
{
    return made && r == madeFor;
}

void CurveDisplay::show(const DoubleCurveRequest& r, DoubleCurveSet found)
{
    set = std::move(found);
    ++revision;
    made = true;
    madeFor = r;
    lines.clear();
    for (const DoubleCurve& curve : set.curves) {
        Polyline line;
        line.points.reserve(3 * (curve.points.size() + 1));
        for (const CurvePoint& p : curve.points)
            line.points.insert(line.points.end(), {static_cast<float>(p.position[0]), static_cast<float>(p.position[1]),
                                                   static_cast<float>(p.position[2])});
        if (curve.closed && !curve.points.empty())
            line.points.insert(line.points.end(), line.points.begin(), line.points.begin() + 3);
        lines.push_back(std::move(line));
    }
    markers.clear();
    for (const TriplePoint& p : set.triplePoints)
        markers.insert(markers.end(), {static_cast<float>(p.position[0]), static_cast<float>(p.position[1]),
                                       static_cast<float>(p.position[2])});
}
