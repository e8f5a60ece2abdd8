#pragma once
// A welded surface as a binary glTF 2.0 file (GLB), written by hand: the
// format's few fixed records (12-byte header, a JSON chunk padded with
// spaces, a binary chunk padded with zeros, each 4-byte aligned) around one
// buffer of little-endian float positions, float normals and 32-bit indices,
// one triangle primitive, one node, one scene. Positions are copied as the
// weld made them, so they equal the exporter's for the same settings.
// Pure: no browser or GL; allocates the file in memory.
#include <cstdint>
#include <vector>

struct IndexedMesh;

std::vector<std::uint8_t> writeGlb(const IndexedMesh& mesh);
