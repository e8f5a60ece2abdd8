#include "viewer/SeamFreeSurface.h"

#include "viewer/SurfaceMesh.h"
#include "viewer/SurfaceSlots.h"

long long SeamFreeSurface::slotOf(const SurfaceMesh& mesh, int copy, int row, int column) const
{
    const SurfaceCopy& c = places[static_cast<size_t>(copy)];
    return SurfaceSlots(rows, columns, mesh.around(), halfStrips).slot(c.hemisphere, c.strip, row, column);
}

void SeamFreeSurface::build(const SurfaceMesh& mesh, bool half)
{
    rows = mesh.gridRows();
    columns = mesh.gridColumns();
    copies = rows > 1 && columns > 1 ? surfaceCopyCount(mesh) : 0;
    halfStrips = half;
    places.clear();
    turns.clear();
    for (int c = 0; c < copies; ++c) {
        places.push_back(surfaceCopy(mesh, c));
        turns.push_back(copyTurn(places.back()));
    }
    firstHolder.clear();
    // Only border samples can be shared. Copies in order, so the first
    // holder is kept.
    for (int c = 0; c < copies; ++c)
        for (int r = 0; r < rows; ++r) {
            const bool wholeRow = r == 0 || r == rows - 1;
            for (int j = 0; j < columns; j += wholeRow ? 1 : columns - 1)
                firstHolder.try_emplace(slotOf(mesh, c, r, j), Sample{c, r, j});
        }
}

void SeamFreeSurface::fillCopy(const SurfaceMesh& mesh, int index, SurfaceVertex* out) const
{
    const auto place = [&](const Sample& s, SurfaceVertex& v) {
        const CopyTurn& turn = turns[static_cast<size_t>(s.copy)];
        const SurfaceVertex& sample = mesh.block(places[static_cast<size_t>(s.copy)].block)[s.row][s.column];
        double p[3] = {sample.position[0], sample.position[1], sample.position[2]};
        double n[3] = {sample.normal[0], sample.normal[1], sample.normal[2]};
        double world[3];
        turnIntoCopy(p, turn, world);
        for (int k = 0; k < 3; ++k)
            v.position[k] = static_cast<float>(world[k]);
        turnIntoCopy(n, turn, world);
        for (int k = 0; k < 3; ++k)
            v.normal[k] = static_cast<float>(world[k]);
    };
    for (int r = 0; r < rows; ++r)
        for (int j = 0; j < columns; ++j) {
            const bool border = r == 0 || r == rows - 1 || j == 0 || j == columns - 1;
            place(border ? firstHolder.at(slotOf(mesh, index, r, j)) : Sample{index, r, j},
                  out[static_cast<size_t>(r) * columns + j]);
        }
}
