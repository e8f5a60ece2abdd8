#pragma once
// Writes an indexed triangle mesh through the asset library's exporters: OBJ
// (no material file), binary STL, binary glTF 2 (.glb) and text glTF 2
// (.gltf, with its buffer embedded as a base64 data URI so the file stands
// alone and is renamed into place in one step). Binary PLY is written here:
// its vertices also carry `latitude` and `longitude`, the origin in degrees.
//
// Positions, unit normals and the triangle indices go through unchanged,
// except in STL, which has no shared vertices and no vertex normals: each
// facet carries its three corners and one normal, the normalised mean of its
// corners' normals, which points to the same (front) side as the winding.
#include <cstdio>
#include <string>

#include "export/ExportSettings.h"
#include "viewer/SurfaceWeld.h"

// Writes the whole file to `file`; false with a one-line reason on failure.
bool writeMesh(const IndexedMesh& mesh, OutputFormat format, std::FILE* file, std::string& error);
