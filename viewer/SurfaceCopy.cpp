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

void copyRotation(const SurfaceCopy& copy, double m[3][3])
{
    const double a = 2 * std::numbers::pi * copy.turn / copy.around;
    const double c = std::cos(a), s = std::sin(a);
    const double flip = copy.flipped ? -1 : 1;
    const double rows[3][3] = {{flip * c, -flip * s, 0}, {s, c, 0}, {0, 0, flip}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            m[i][j] = rows[i][j];
}

void turnIntoCopy(const double local[3], const SurfaceCopy& copy, double world[3])
{
    const double a = 2 * std::numbers::pi * copy.turn / copy.around;
    const double c = std::cos(a), s = std::sin(a);
    const double x = local[0] * c - local[1] * s;
    const double y = local[0] * s + local[1] * c;
    const double flip = copy.flipped ? -1 : 1;
    world[0] = flip * x;
    world[1] = y;
    world[2] = flip * local[2];
}
