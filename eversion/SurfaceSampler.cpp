#include "eversion/SurfaceSampler.h"

#include <memory>

void sampleSurfaceRows(StageRowFunction row, double uMin, double uMax, int uCount, double vMin,
                       double vMax, int vCount, double fraction, SurfaceVertex** grid, int stripCount)
{
    if (uCount < 1 || vCount < 1)
        return;
    const double du = (uMax - uMin) / uCount;
    const double dv = (vMax - vMin) / vCount;

    // The seeds are those sampleSurface passes to the stage function: v as
    // (v, dv = 1), truncated to a Jet4 by the stage. A default-initialised
    // block, spelt without make_unique_for_overwrite, which the browser
    // toolchain's standard library lacks.
    const std::unique_ptr<StripColumn[]> columns(new StripColumn[static_cast<size_t>(vCount) + 1]);
    for (int j = 0; j <= vCount; ++j)
        columns[j] = stripColumn(Jet4(vMin + j * dv, 0, 1), stripCount);
    const StripColumn poleProbe = stripColumn(Jet4(0, 0, 1), stripCount);

#if defined(_OPENMP)
    // Below this many vertices a grid is sampled on the calling thread:
    // waking the other threads would cost more than they save.
    constexpr long parallelVertexCount = 2048;
    const long vertexCount = (static_cast<long>(uCount) + 1) * (static_cast<long>(vCount) + 1);
#pragma omp parallel for schedule(static) if (vertexCount >= parallelVertexCount)
#endif
    for (int i = 0; i <= uCount; ++i) {
        double u = uMin + i * du;
        StripFrame frame = row(Jet8(u, 1, 0), fraction);
        if (isPoleRow(placeOnStrip(frame, poleProbe))) {
            u = offPole(u);
            frame = row(Jet8(u, 1, 0), fraction);
        }
        SurfaceVertex* out = grid[i];
        for (int j = 0; j <= vCount; ++j)
            makeSurfaceVertex(placeOnStrip(frame, columns[j]), out[j]);
    }
}

void sampleRuledRows(const RuledFrame& frame, int uCount, int vCount, double vMax, SurfaceVertex** grid)
{
    if (uCount < 1 || vCount < 1)
        return;
    const double du = 1.0 / uCount;
    const double dv = vMax / vCount;
    const int columnCount = vCount + 1;
    const std::unique_ptr<RuledColumn[]> columns(new RuledColumn[2 * static_cast<size_t>(columnCount)]);
    for (int block = 0; block < 2; ++block)
        for (int j = 0; j <= vCount; ++j)
            columns[block * columnCount + j] = ruledColumn(ruledBlockLongitude(block, j * dv, frame.lobes), frame.lobes);
    const int rowCount = 2 * (uCount + 1);

#if defined(_OPENMP)
    constexpr long parallelVertexCount = 2048;
    const long vertexCount = static_cast<long>(rowCount) * columnCount;
#pragma omp parallel for schedule(static) if (vertexCount >= parallelVertexCount)
#endif
    for (int k = 0; k < rowCount; ++k) {
        const int block = k / (uCount + 1);
        const int i = k % (uCount + 1);
        SurfaceVertex* out = grid[k];
        if (i == 0) {
            const bool north = block == 0;
            const SurfaceVertex pole{{0, 0, static_cast<float>(ruledPoleHeight(frame, north))},
                                     {0, 0, north ? 1.0f : -1.0f}};
            for (int j = 0; j <= vCount; ++j)
                out[j] = pole;
            continue;
        }
        const RuledRow row = ruledRow(frame, ruledBlockLatitude(block, i * du));
        const RuledColumn* blockColumns = columns.get() + static_cast<size_t>(block) * columnCount;
        for (int j = 0; j <= vCount; ++j)
            makeSurfaceVertex(ruledPlace(frame, row, blockColumns[j]), out[j]);
    }
}
