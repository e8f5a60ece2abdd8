// Prints the vertex grid that the viewer draws for one strip of one
// hemisphere, rebuilt by the application's own mesh code, so that black-box
// tests can compare what reaches OpenGL with an independent run of the
// construction.
//
// Usage: grid_dump t strips latitudinalPatches longitudinalPatches halfStrips
// Output: a line "grid <t after clamping> <rows> <columns>", then one line per
// vertex, row by row: "<row> <column> x y z nx ny nz" with %.9g, which
// round-trips every float exactly.
#include <cstdio>
#include <cstdlib>

#include "viewer/SurfaceMesh.h"

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s t strips latitudinalPatches longitudinalPatches halfStrips\n", argv[0]);
        return 2;
    }
    SurfaceMesh mesh;
    mesh.t = std::strtod(argv[1], nullptr);
    mesh.totalStrips = std::atoi(argv[2]);
    mesh.stripsShown = mesh.totalStrips;
    mesh.latitudinalPatches = std::atoi(argv[3]);
    mesh.longitudinalPatches = std::atoi(argv[4]);
    mesh.rebuild(std::atoi(argv[5]) != 0);

    std::printf("grid %.17g %d %d\n", mesh.t, mesh.gridRows(), mesh.gridColumns());
    for (int r = 0; r < mesh.gridRows(); ++r)
        for (int j = 0; j < mesh.gridColumns(); ++j) {
            const SurfaceVertex& vertex = mesh.grid[r][j];
            std::printf("%d %d %.9g %.9g %.9g %.9g %.9g %.9g\n", r, j, vertex.position[0], vertex.position[1],
                        vertex.position[2], vertex.normal[0], vertex.normal[1], vertex.normal[2]);
        }
    return 0;
}
