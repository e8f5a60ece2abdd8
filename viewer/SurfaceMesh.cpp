#include "viewer/SurfaceMesh.h"

#include "eversion/Eversion.h"
#include "geometry/check.h"

namespace {
// Stage start times of the eversion schedule.
constexpr double corrugateStart = 0.0;
constexpr double pushStart = 0.1;
constexpr double twistStart = 0.23;
constexpr double releaseStart = 0.6;
constexpr double smoothStart = 0.93;
}

StageAtTime eversionStage(double t)
{
    return stageAtTime(t, corrugateStart, pushStart, twistStart, releaseStart, smoothStart);
}

SurfaceMesh::~SurfaceMesh()
{
    freeGrid();
    dirty = true;
}

// The size of the block is remembered at allocation, so freeing never depends
// on counts that an edit may already have changed.
void SurfaceMesh::freeGrid()
{
    if (!grid)
        return;
    rowTable.reset();
    vertices.reset();
    grid = nullptr;
    allocatedRows = allocatedColumns = allocatedBlocks = 0;
}

void SurfaceMesh::rebuild(bool halfStrips)
{
    if (t < 0)
        t = 0;
    if (t > 1)
        t = 1;
    if (latitudinalPatches < 2)
        latitudinalPatches = 2;
    if (longitudinalPatches < 2)
        longitudinalPatches = 2;

    freeGrid();
    const bool ruled = method == EversionMethod::Ruled;
    allocatedRows = latitudinalPatches + 1;
    allocatedColumns = patchesAcross() + 1;
    allocatedBlocks = ruled ? 2 : 1;
    const int rows = allocatedRows * allocatedBlocks;
    // Left uninitialised: the sampler writes every vertex. Spelt without
    // make_unique_for_overwrite, which the browser toolchain lacks.
    vertices.reset(new SurfaceVertex[static_cast<size_t>(rows) * allocatedColumns]);
    rowTable.reset(new SurfaceVertex*[rows]);
    for (int r = 0; r < rows; ++r)
        rowTable[r] = vertices.get() + static_cast<size_t>(r) * allocatedColumns;
    grid = rowTable.get();

    if (ruled)
        sampleRuledRows(ruledFrame(t, lobes), latitudinalPatches, patchesAcross(), halfStrips ? 0.5 : 1.0, grid);
    else
        evaluateEversion(grid, t, totalStrips, 0.0, latitudinalPatches, 1.0, 0.0, longitudinalPatches,
                         halfStrips ? 0.5 : 1.0, corrugateStart, pushStart, twistStart, releaseStart,
                         smoothStart);
    dirty = false;
}

void SurfaceMesh::prepare(bool halfStrips)
{
    if (dirty) {
        freeGrid();
        rebuild(halfStrips);
    }
    consistencyCheck(!dirty, 298, "main.cpp");
}

void SurfaceMesh::increaseTime(double amount)
{
    if (t < 1) {
        freeGrid();
        t += amount;
        dirty = true;
    }
}

void SurfaceMesh::decreaseTime(double amount)
{
    if (t > 0) {
        freeGrid();
        t -= amount;
        dirty = true;
    }
}

void SurfaceMesh::addStrip()
{
    if (method == EversionMethod::Ruled) {
        if (lobes < maxLobes) {
            freeGrid();
            ++lobes;
            ++lunesShown;
            dirty = true;
        }
        return;
    }
    freeGrid();
    ++totalStrips;
    ++stripsShown;
    dirty = true;
}

void SurfaceMesh::removeStrip()
{
    if (method == EversionMethod::Ruled) {
        if (lobes > minLobes) {
            freeGrid();
            --lobes;
            if (lunesShown > 1)
                --lunesShown;
            dirty = true;
        }
        return;
    }
    if (totalStrips > 1) {
        freeGrid();
        --totalStrips;
        if (stripsShown > 1)
            --stripsShown;
        dirty = true;
    }
}

void SurfaceMesh::addLatitudinalPatch()
{
    freeGrid();
    ++latitudinalPatches;
    dirty = true;
}

void SurfaceMesh::addLongitudinalPatch()
{
    freeGrid();
    ++longitudinalPatches;
    dirty = true;
}

void SurfaceMesh::toggleHemispheres()
{
    hemispheres = hemispheres == 2 ? 1 : hemispheres + 1;
}

void SurfaceMesh::showMoreStrips()
{
    if (method == EversionMethod::Ruled) {
        if (lunesShown < lobes)
            ++lunesShown;
    } else if (stripsShown < totalStrips) {
        ++stripsShown;
    }
}

void SurfaceMesh::showFewerStrips()
{
    int& shown = method == EversionMethod::Ruled ? lunesShown : stripsShown;
    if (shown > 1)
        --shown;
}

void SurfaceMesh::setMethod(EversionMethod m)
{
    if (m == method)
        return;
    freeGrid();
    method = m;
    dirty = true;
}

// A count beyond the method's range is not taken. Every lune is shown after.
void SurfaceMesh::setLobes(int count)
{
    if (count < minLobes || count > maxLobes)
        return;
    if (count != lobes && method == EversionMethod::Ruled) {
        freeGrid();
        dirty = true;
    }
    lobes = count;
    lunesShown = count;
}
