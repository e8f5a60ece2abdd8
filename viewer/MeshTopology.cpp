#include "viewer/MeshTopology.h"

#include <algorithm>

MeshTopology analyseTopology(const std::vector<std::uint32_t>& indices)
{
    MeshTopology topology;
    topology.faces = indices.size() / 3;
    // Each directed edge as one 64-bit key (from, to); sorting by the
    // undirected pair groups the triangles that share an edge.
    std::vector<std::uint64_t> directed;
    directed.reserve(indices.size());
    std::vector<std::uint32_t> used(indices.begin(), indices.end());
    for (std::size_t f = 0; f + 2 < indices.size(); f += 3) {
        const std::uint32_t v[3] = {indices[f], indices[f + 1], indices[f + 2]};
        if (v[0] == v[1] || v[1] == v[2] || v[0] == v[2])
            ++topology.degenerateFaces;
        for (int e = 0; e < 3; ++e)
            directed.push_back(static_cast<std::uint64_t>(v[e]) << 32 | v[(e + 1) % 3]);
    }
    std::sort(used.begin(), used.end());
    topology.vertices = static_cast<std::size_t>(std::unique(used.begin(), used.end()) - used.begin());

    auto undirected = [](std::uint64_t key) {
        const std::uint64_t a = key >> 32, b = key & 0xffffffffu;
        return a < b ? (a << 32 | b) : (b << 32 | a);
    };
    std::sort(directed.begin(), directed.end(),
              [&](std::uint64_t x, std::uint64_t y) { return undirected(x) < undirected(y) || (undirected(x) == undirected(y) && x < y); });
    for (std::size_t i = 0; i < directed.size();) {
        std::size_t j = i;
        while (j < directed.size() && undirected(directed[j]) == undirected(directed[i]))
            ++j;
        ++topology.edges;
        const std::size_t uses = j - i;
        if (uses == 1)
            ++topology.boundaryEdges;
        else if (uses > 2)
            ++topology.overfullEdges;
        else if (directed[i] == directed[i + 1])
            ++topology.misorientedEdges;
        i = j;
    }
    return topology;
}
