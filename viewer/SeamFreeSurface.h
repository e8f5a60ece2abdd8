#pragma once
// The shown copies of the sampled grid (SurfaceCopy.h) turned into place on
// the CPU, in double precision, so that a renderer draws them all under one
// transform instead of turning each copy itself. A sample that several
// copies share (a seam: a strip's or lune's border column, the equator, a
// pole) takes in every copy the position and normal of the first copy that
// holds it, as the weld does (SurfaceWeld.h), so neighbouring copies meet to
// the last bit and rasterisation leaves no pinholes between them.
//
// Only the seam samples are tabled, a few per row and column of each copy;
// the copies themselves are filled on demand into the caller's storage.
// Valid for the grid it was made from until that grid is rebuilt or the
// copies shown change. One thread.
#include <unordered_map>
#include <vector>

#include "eversion/SurfaceSampler.h"
#include "viewer/SurfaceCopy.h"

struct SurfaceMesh;

struct SeamFreeSurface {
    int rows = 0;     // of each copy, as the grid's blocks
    int columns = 0;
    int copies = 0;

    // The mesh's grid must be built (SurfaceMesh::prepare).
    void build(const SurfaceMesh& mesh, bool halfStrips);
    // Copy `index` (surfaceCopy order) as rows x columns vertices, row by
    // row, in world coordinates.
    void fillCopy(const SurfaceMesh& mesh, int index, SurfaceVertex* out) const;

private:
    struct Sample {
        int copy, row, column;
    };
    long long slotOf(const SurfaceMesh& mesh, int copy, int row, int column) const;
    std::unordered_map<long long, Sample> firstHolder;
    std::vector<SurfaceCopy> places;  // surfaceCopy order
    std::vector<CopyTurn> turns;
    bool halfStrips = false;
};
