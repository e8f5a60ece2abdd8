#include "viewer/SurfaceCopy.h"

#include <cmath>
#include <numbers>

#include "viewer/SurfaceMesh.h"

int surfaceCopyCount(const SurfaceMesh& mesh)
{
    return mesh.hemispheres * mesh.aroundShown();
}

SurfaceCopy surfaceCopy(const SurfaceMesh& mesh, int index)
{
    const int shown = mesh.aroundShown();
    return surfaceCopyOf(mesh.method, mesh.around(), index / shown, index % shown);
}

SurfaceCopy surfaceCopyOf(EversionMethod method, int around, int hemisphere, int strip)
{
    SurfaceCopy c;
    c.hemisphere = hemisphere;
    c.strip = strip;
    c.around = around;
    if (method == EversionMethod::Ruled) {
        c.block = c.hemisphere;
        c.turn = -c.strip;
    } else {
        // The second hemisphere is the first mirrored by its half turn about
        // y, so its strips are laid out in the opposite sense about z.
        c.flipped = c.hemisphere == 1;
        c.turn = c.hemisphere == 0 ? -c.strip : c.strip + 1;
    }
    return c;
}

CopyTurn copyTurn(const SurfaceCopy& copy)
{
    const double a = 2 * std::numbers::pi * copy.turn / copy.around;
    return {std::cos(a), std::sin(a), copy.flipped ? -1.0 : 1.0};
}

void copyRotation(const SurfaceCopy& copy, double m[3][3])
{
    const CopyTurn t = copyTurn(copy);
    const double rows[3][3] = {{t.flip * t.c, -t.flip * t.s, 0}, {t.s, t.c, 0}, {0, 0, t.flip}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            m[i][j] = rows[i][j];
}

void turnIntoCopy(const double local[3], const CopyTurn& t, double world[3])
{
    const double x = local[0] * t.c - local[1] * t.s;
    const double y = local[0] * t.s + local[1] * t.c;
    world[0] = t.flip * x;
    world[1] = y;
    world[2] = t.flip * local[2];
}

void turnIntoCopy(const double local[3], const SurfaceCopy& copy, double world[3])
{
    turnIntoCopy(local, copyTurn(copy), world);
}
