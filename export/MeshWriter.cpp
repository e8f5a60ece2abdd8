#include "export/MeshWriter.h"

#include <assimp/Exporter.hpp>
#include <assimp/scene.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

namespace {
// The exporter copies the scene it is given; this one holds the mesh the
// library's way (an array of faces of three indices each).
std::unique_ptr<aiScene> makeScene(const IndexedMesh& mesh)
{
    auto scene = std::make_unique<aiScene>();
    scene->mRootNode = new aiNode("eversion");
    scene->mRootNode->mNumMeshes = 1;
    scene->mRootNode->mMeshes = new unsigned[1]{0};
    scene->mNumMaterials = 1;
    scene->mMaterials = new aiMaterial*[1]{new aiMaterial};
    scene->mNumMeshes = 1;
    auto* out = new aiMesh;
    scene->mMeshes = new aiMesh*[1]{out};
    out->mName = "surface";
    out->mMaterialIndex = 0;
    out->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
    const auto vertices = static_cast<unsigned>(mesh.vertexCount());
    out->mNumVertices = vertices;
    out->mVertices = new aiVector3D[vertices];
    out->mNormals = new aiVector3D[vertices];
    for (unsigned v = 0; v < vertices; ++v) {
        const float* p = &mesh.positions[3 * static_cast<std::size_t>(v)];
        const float* n = &mesh.normals[3 * static_cast<std::size_t>(v)];
        out->mVertices[v] = aiVector3D(p[0], p[1], p[2]);
        out->mNormals[v] = aiVector3D(n[0], n[1], n[2]);
    }
    const auto faces = static_cast<unsigned>(mesh.triangleCount());
    out->mNumFaces = faces;
    out->mFaces = new aiFace[faces];
    for (unsigned f = 0; f < faces; ++f) {
        const std::uint32_t* i = &mesh.indices[3 * static_cast<std::size_t>(f)];
        out->mFaces[f].mNumIndices = 3;
        out->mFaces[f].mIndices = new unsigned[3]{i[0], i[1], i[2]};
    }
    return scene;
}

const char* formatId(OutputFormat format)
{
    switch (format) {
    case OutputFormat::Obj: return "objnomtl";
    case OutputFormat::Stl: return "stlb";
    case OutputFormat::Glb: return "glb2";
    case OutputFormat::Gltf: return "gltf2";
    default: return nullptr;
    }
}

bool writeAll(std::FILE* file, const void* data, std::size_t size, std::string& error)
{
    if (std::fwrite(data, 1, size, file) != size || std::fflush(file) != 0) {
        error = "cannot write the mesh: the disk refused the data";
        return false;
    }
    return true;
}

// Binary little-endian PLY, written here rather than by the asset library,
// whose PLY writer has no way to add the two origin properties.
bool writePly(const IndexedMesh& mesh, std::FILE* file, std::string& error)
{
    static_assert(std::endian::native == std::endian::little, "PLY is written in the machine's byte order");
    std::string out = "ply\nformat binary_little_endian 1.0\n"
                      "comment vedoze-vaderuve: latitude and longitude are where each vertex started, in degrees\n"
                      "element vertex " + std::to_string(mesh.vertexCount()) + "\n"
                      "property float x\nproperty float y\nproperty float z\n"
                      "property float nx\nproperty float ny\nproperty float nz\n"
                      "property float latitude\nproperty float longitude\n"
                      "element face " + std::to_string(mesh.triangleCount()) + "\n"
                      "property list uchar int vertex_index\nend_header\n";
    const std::size_t header = out.size();
    out.resize(header + mesh.vertexCount() * 32 + mesh.triangleCount() * 13);
    char* at = out.data() + header;
    const auto put = [&](const void* data, std::size_t size) {
        std::memcpy(at, data, size);
        at += size;
    };
    for (std::size_t v = 0; v < mesh.vertexCount(); ++v) {
        const float origin[2] = {static_cast<float>(mesh.origins[2 * v]), static_cast<float>(mesh.origins[2 * v + 1])};
        put(&mesh.positions[3 * v], 12);
        put(&mesh.normals[3 * v], 12);
        put(origin, 8);
    }
    for (std::size_t f = 0; f < mesh.triangleCount(); ++f) {
        const unsigned char corners = 3;
        put(&corners, 1);
        for (int k = 0; k < 3; ++k) {
            const std::int32_t index = static_cast<std::int32_t>(mesh.indices[3 * f + k]);
            put(&index, 4);
        }
    }
    return writeAll(file, out.data(), out.size(), error);
}

std::string base64(const unsigned char* data, std::size_t size)
{
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((size + 2) / 3 * 4);
    for (std::size_t i = 0; i < size; i += 3) {
        const unsigned a = data[i];
        const unsigned b = i + 1 < size ? data[i + 1] : 0;
        const unsigned c = i + 2 < size ? data[i + 2] : 0;
        const unsigned word = a << 16 | b << 8 | c;
        out += digits[word >> 18 & 63];
        out += digits[word >> 12 & 63];
        out += i + 1 < size ? digits[word >> 6 & 63] : '=';
        out += i + 2 < size ? digits[word & 63] : '=';
    }
    return out;
}
}

bool writeMesh(const IndexedMesh& mesh, OutputFormat format, std::FILE* file, std::string& error)
{
    if (mesh.triangleCount() == 0) {
        error = "the surface shown has no triangles";
        return false;
    }
    if (format == OutputFormat::Ply)
        return writePly(mesh, file, error);
    const char* id = formatId(format);
    if (!id) {
        error = "not a mesh format";
        return false;
    }
    const std::unique_ptr<aiScene> scene = makeScene(mesh);
    Assimp::Exporter exporter;
    const aiExportDataBlob* blob = exporter.ExportToBlob(scene.get(), id);
    if (!blob) {
        error = std::string("cannot encode the mesh: ") + exporter.GetErrorString();
        return false;
    }
    if (format != OutputFormat::Gltf) {
        return writeAll(file, blob->data, blob->size, error);
    }
    // The text form names its buffer as a side file with a placeholder
    // name; the buffer goes inline instead.
    const aiExportDataBlob* buffer = blob->next;
    const std::string_view placeholder = "\"$blobfile.bin\"";
    std::string json(static_cast<const char*>(blob->data), blob->size);
    const size_t at = json.find(placeholder);
    if (!buffer || at == std::string::npos || json.find(placeholder, at + 1) != std::string::npos) {
        error = "cannot encode the mesh: unexpected glTF buffer layout";
        return false;
    }
    json.replace(at, placeholder.size(),
                 "\"data:application/octet-stream;base64," +
                     base64(static_cast<const unsigned char*>(buffer->data), buffer->size) + "\"");
    return writeAll(file, json.data(), json.size(), error);
}
