#pragma once
// The sampled eversion surface: one strip of one hemisphere, evaluated on a
// (latitudinalPatches + 1) x (longitudinalPatches + 1) grid and replayed under
// rotations to draw every shown strip of both hemispheres.
//
// With the ruled-surface method the strips are the lobes' lunes (lobes of
// them around, 2 to 5) and the two hemispheres differ, so the grid holds two
// blocks of that size, the north's lune and the south's (see
// sampleRuledRows); surfaceCopy (SurfaceLook.h) tells which block each
// drawn copy replays and how it is turned.
//
// Edits that change what is sampled free the grid at once and mark the mesh
// dirty; the rebuild waits for the next frame, so several edits between two
// frames cost one rebuild. Counts below 2 patches and times outside [0, 1]
// are repaired by the rebuild, not by the edits. The rebuild spreads its rows
// over the cores (see sampleSurfaceRows); everything else here runs on the
// caller's one thread. The mesh draws nothing itself: each front end replays
// the grid with its own graphics interface.
#include <memory>

#include "eversion/Eversion.h"
#include "eversion/EversionMethod.h"
#include "eversion/SurfaceSampler.h"

// The stage of the viewer's eversion schedule holding at time t in [0, 1].
StageAtTime eversionStage(double t);

struct SurfaceMesh {
    double t = 0.0;
    int totalStrips = 8;
    int hemispheres = 2;
    int stripsShown = 8;
    int latitudinalPatches = 12;
    int longitudinalPatches = 12;
    EversionMethod method = EversionMethod::Corrugations;
    int lobes = 2;       // the ruled method's lobes, minLobes .. maxLobes
    int lunesShown = 2;  // of its lunes, 1 .. lobes
    // Row table into the blocks of vertices, one block after the other; null
    // when the grid is freed.
    SurfaceVertex** grid = nullptr;
    bool dirty = true;

    SurfaceMesh() = default;
    SurfaceMesh(const SurfaceMesh&) = delete;
    SurfaceMesh& operator=(const SurfaceMesh&) = delete;
    ~SurfaceMesh();

    void freeGrid();
    // halfStrips samples v over [0, 0.5] instead of a whole strip.
    void rebuild(bool halfStrips);
    // Rebuilds when dirty; a grid still stale afterwards is a failed
    // consistency check. Every front end calls this before drawing the grid.
    void prepare(bool halfStrips);

    void increaseTime(double amount);
    void decreaseTime(double amount);
    void addStrip();
    void removeStrip();
    void addLatitudinalPatch();
    void addLongitudinalPatch();
    void toggleHemispheres();
    // The strip-count commands: strips, or lobes with the ruled method.
    void showMoreStrips();
    void showFewerStrips();
    void setMethod(EversionMethod m);
    void setLobes(int count);

    // Patches across one copy: the longitudinal patches across a strip, and
    // across a lune as many as eight strips would have around the same
    // angle (rounded up), so that both methods are as fine at the same
    // counts. The count must be at least 2 (the rebuild sees to it).
    int patchesAcross() const
    {
        return method == EversionMethod::Ruled ? (8 * longitudinalPatches + lobes - 1) / lobes : longitudinalPatches;
    }

    // The copies around the z axis and how many of them are shown: strips,
    // or the ruled method's lobes and lunes.
    int around() const { return method == EversionMethod::Ruled ? lobes : totalStrips; }
    int aroundShown() const { return method == EversionMethod::Ruled ? lunesShown : stripsShown; }

    // Rows and columns of one block of the grid, and its blocks (0 when freed).
    int gridRows() const { return grid ? allocatedRows : 0; }
    int gridColumns() const { return grid ? allocatedColumns : 0; }
    int gridBlocks() const { return grid ? allocatedBlocks : 0; }
    // The rows of block b.
    SurfaceVertex* const* block(int b) const { return grid + static_cast<size_t>(b) * allocatedRows; }

private:
    std::unique_ptr<SurfaceVertex*[]> rowTable;
    std::unique_ptr<SurfaceVertex[]> vertices;
    int allocatedRows = 0;
    int allocatedColumns = 0;
    int allocatedBlocks = 0;
};
