#include "web/Glb.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "viewer/SurfaceWeld.h"

namespace {
void appendWord(std::vector<std::uint8_t>& out, std::uint32_t word)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(word >> (8 * i)));
}

// Raw bytes of an array of 4-byte values; WebAssembly and every desktop this
// builds on are little-endian, as the format is.
template <typename T>
void appendArray(std::vector<std::uint8_t>& out, const std::vector<T>& values)
{
    static_assert(sizeof(T) == 4);
    const std::size_t at = out.size();
    out.resize(at + values.size() * 4);
    if (!values.empty())
        std::memcpy(out.data() + at, values.data(), values.size() * 4);
}
}

std::vector<std::uint8_t> writeGlb(const IndexedMesh& mesh)
{
    const std::size_t vertices = mesh.vertexCount();
    const std::size_t positionBytes = vertices * 12;
    const std::size_t indexBytes = mesh.indices.size() * 4;
    // The accessor of positions must carry their bounds.
    float low[3] = {0, 0, 0}, high[3] = {0, 0, 0};
    for (std::size_t v = 0; v < vertices; ++v)
        for (int k = 0; k < 3; ++k) {
            const float p = mesh.positions[3 * v + k];
            low[k] = v == 0 ? p : std::min(low[k], p);
            high[k] = v == 0 ? p : std::max(high[k], p);
        }
    char bounds[200];
    std::snprintf(bounds, sizeof bounds, "\"min\":[%.9g,%.9g,%.9g],\"max\":[%.9g,%.9g,%.9g]", low[0], low[1], low[2],
                  high[0], high[1], high[2]);
    const std::string n = std::to_string(vertices);
    std::string json =
        "{\"asset\":{\"version\":\"2.0\",\"generator\":\"vedoze-vaderuve web\"},\"scene\":0,"
        "\"scenes\":[{\"nodes\":[0]}],\"nodes\":[{\"mesh\":0,\"name\":\"eversion\"}],"
        "\"meshes\":[{\"primitives\":[{\"attributes\":{\"POSITION\":0,\"NORMAL\":1},\"indices\":2,\"mode\":4}]}],"
        "\"buffers\":[{\"byteLength\":" + std::to_string(2 * positionBytes + indexBytes) + "}],"
        "\"bufferViews\":["
        "{\"buffer\":0,\"byteOffset\":0,\"byteLength\":" + std::to_string(positionBytes) + ",\"target\":34962},"
        "{\"buffer\":0,\"byteOffset\":" + std::to_string(positionBytes) + ",\"byteLength\":" +
        std::to_string(positionBytes) + ",\"target\":34962},"
        "{\"buffer\":0,\"byteOffset\":" + std::to_string(2 * positionBytes) + ",\"byteLength\":" +
        std::to_string(indexBytes) + ",\"target\":34963}],"
        "\"accessors\":["
        "{\"bufferView\":0,\"componentType\":5126,\"count\":" + n + ",\"type\":\"VEC3\"," + bounds + "},"
        "{\"bufferView\":1,\"componentType\":5126,\"count\":" + n + ",\"type\":\"VEC3\"},"
        "{\"bufferView\":2,\"componentType\":5125,\"count\":" + std::to_string(mesh.indices.size()) +
        ",\"type\":\"SCALAR\"}]}";
    json.append((4 - json.size() % 4) % 4, ' ');
    const std::size_t binary = 2 * positionBytes + indexBytes;  // a multiple of 4 already
    const std::size_t total = 12 + 8 + json.size() + 8 + binary;

    std::vector<std::uint8_t> out;
    if (total > std::numeric_limits<std::uint32_t>::max())
        return out;  // no GLB can hold it; the caller reports an empty result
    out.reserve(total);
    appendWord(out, 0x46546C67);  // "glTF"
    appendWord(out, 2);
    appendWord(out, static_cast<std::uint32_t>(total));
    appendWord(out, static_cast<std::uint32_t>(json.size()));
    appendWord(out, 0x4E4F534A);  // "JSON"
    out.insert(out.end(), json.begin(), json.end());
    appendWord(out, static_cast<std::uint32_t>(binary));
    appendWord(out, 0x004E4942);  // "BIN\0"
    appendArray(out, mesh.positions);
    appendArray(out, mesh.normals);
    appendArray(out, mesh.indices);
    return out;
}
