#pragma once
// The eversion at one time, evaluated exactly at any origin (Origin.h) rather
// than read off a sampled grid: what the lines drawn by origin, the tracks and
// the double curves are made of.
//
// A point comes with its partial derivatives by the origin's latitude (the
// jet's du) and longitude (dv), both in degrees, in world coordinates: the
// copy that holds the origin is evaluated and turned into place. At a pole the
// point is the surface's limit there and its derivatives are zero. Pure; no
// allocation; any number of threads.
#include "eversion/Eversion.h"
#include "eversion/EversionMethod.h"
#include "eversion/RuledSurface.h"
#include "jets/JetVec.h"
#include "viewer/Origin.h"

struct SurfaceMesh;

struct ExactSurface {
    EversionMethod method = EversionMethod::Corrugations;
    int around = 8;  // strips, or lobes
    double t = 0;    // within [0, 1]
    StageAtTime stage{};  // the corrugation stage holding at t
    RuledFrame ruled;     // the ruled method's step at t
};

// t is clamped into [0, 1]; around must be a valid count for the method.
ExactSurface exactSurface(EversionMethod method, int around, double t);
// The mesh's method, strips or lobes, and time.
ExactSurface exactSurface(const SurfaceMesh& mesh);

Jet4Vec exactPoint(const ExactSurface& surface, const Origin& origin);
// The same point with its first derivatives only: value, du and dv bit for bit
// those of exactPoint, at less cost for the corrugation method.
Jet3Vec exactPointFirstOrder(const ExactSurface& surface, const Origin& origin);
void exactPosition(const ExactSurface& surface, const Origin& origin, double world[3]);
