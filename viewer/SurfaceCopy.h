#pragma once
// The copies in which every front end draws the sampled surface: for each
// shown hemisphere and each shown strip (or lune) of it, which block of the
// grid is replayed and how it is turned into place. The corrugation method
// replays its one block everywhere, the second hemisphere turned half a turn
// about y; the ruled method has a block of its own for each hemisphere and
// only turns it about z. A method thus changes the list, never a renderer.
//
// Turns are in degrees as a rotation call of a graphics interface takes them
// (about y first, then about z), and exactly in double where the core turns
// points itself. Pure; no allocation.
#include "eversion/EversionMethod.h"
#include "viewer/Origin.h"

struct SurfaceMesh;

struct SurfaceCopy {
    int hemisphere = 0;  // the origins it carries: 0 north, 1 south (Origin.h)
    int strip = 0;       // which strip or lune of that hemisphere
    int block = 0;       // the grid block it replays (SurfaceMesh::block)
    bool flipped = false;  // half a turn about y first
    int turn = 0;          // then turn / around of a whole turn about z
    int around = 1;        // strips or lobes around the z axis
};

// Hemispheres shown times strips (or lunes) shown, hemisphere by hemisphere.
int surfaceCopyCount(const SurfaceMesh& mesh);
SurfaceCopy surfaceCopy(const SurfaceMesh& mesh, int index);
// Copy (hemisphere, strip) of a method with `around` strips or lobes.
SurfaceCopy surfaceCopyOf(EversionMethod method, int around, int hemisphere, int strip);

inline float copyFlipDegrees(const SurfaceCopy& c)
{
    return c.flipped ? 180.0f : 0.0f;
}

inline float copyTurnDegrees(const SurfaceCopy& c)
{
    return static_cast<float>(c.turn * 360.0 / c.around);
}

// A copy's turn with its cosine and sine worked out once, for turning many
// points.
struct CopyTurn {
    double c, s;  // of the turn about z
    double flip;  // -1 after half a turn about y, else 1
};
CopyTurn copyTurn(const SurfaceCopy& copy);

// A point of the block's own frame turned into the copy's place, in double;
// the same bits either way.
void turnIntoCopy(const double local[3], const CopyTurn& turn, double world[3]);
void turnIntoCopy(const double local[3], const SurfaceCopy& copy, double world[3]);
// The same turn as a matrix, rows by columns: world = m local.
void copyRotation(const SurfaceCopy& copy, double m[3][3]);

// The copy's texture transform (see originTextureTransform).
inline OriginTextureTransform copyTextureTransform(const SurfaceCopy& c)
{
    return originTextureTransform(c.hemisphere, c.strip, c.around);
}
