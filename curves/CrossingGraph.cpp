#include "curves/CrossingGraph.h"

#include <algorithm>
#include <tuple>

namespace {
struct Entry {
    Crossing canonical;
    std::uint32_t segment;
    int end;
    int element;  // carries the segment's end onto the canonical crossing
    auto key() const { return std::tie(canonical.edge[0], canonical.edge[1], canonical.triangle); }
};

// One end of a segment as seen from a node.
struct HalfEdge {
    std::uint32_t segment;
    int end;
};

struct Graph {
    const SearchMesh& mesh;
    std::vector<std::uint32_t> nodeOf;   // per segment end (2 s + end)
    std::vector<int> elementOf;          // per segment end
    std::vector<std::uint32_t> first;    // per node, into halfEdges, and one past the last
    std::vector<HalfEdge> halfEdges;

    std::uint32_t farNode(const HalfEdge& h) const { return nodeOf[2 * h.segment + 1 - h.end]; }
    bool selfLoop(const HalfEdge& h) const { return nodeOf[2 * h.segment] == nodeOf[2 * h.segment + 1]; }
    // The frame of the far end's node, seen from the near end's node.
    int transfer(const HalfEdge& h) const
    {
        const SurfaceSymmetry& g = mesh.symmetry;
        return g.compose(elementOf[2 * h.segment + h.end], g.inverse(elementOf[2 * h.segment + 1 - h.end]));
    }
};

// Follows the graph from `node`, left through `out`, until the path closes,
// folds or stops. Appends the nodes after the first.
void walk(const Graph& g, std::uint32_t start, HalfEdge out, std::vector<char>& visited, CrossingPath& path,
          PathEnd& end, int& endElement)
{
    const SurfaceSymmetry& symmetry = g.mesh.symmetry;
    int frame = 0;
    HalfEdge leaving = out;
    for (;;) {
        const std::uint32_t next = g.farNode(leaving);
        frame = symmetry.compose(frame, g.transfer(leaving));
        if (next == start) {
            end = PathEnd::Closes;
            endElement = frame;
            return;
        }
        if (visited[next]) {
            end = PathEnd::Stops;
            return;
        }
        visited[next] = 1;
        path.nodes.push_back(next);
        path.frames.push_back(frame);
        const HalfEdge arrived{leaving.segment, 1 - leaving.end};
        int others = 0;
        HalfEdge onward{};
        for (std::uint32_t k = g.first[next]; k < g.first[next + 1]; ++k) {
            const HalfEdge& h = g.halfEdges[k];
            if (g.selfLoop(h)) {
                end = PathEnd::Folds;
                endElement = g.transfer(h);
                return;
            }
            if (h.segment == arrived.segment && h.end == arrived.end)
                continue;
            onward = h;
            ++others;
        }
        if (others != 1) {
            end = PathEnd::Stops;
            return;
        }
        leaving = onward;
    }
}
}

CrossingGraph buildCrossingGraph(const SearchMesh& mesh, const std::vector<MeshSegment>& segments)
{
    CrossingGraph out;
    const SurfaceSymmetry& symmetry = mesh.symmetry;
    std::vector<Entry> entries;
    entries.reserve(2 * segments.size());
    for (std::uint32_t s = 0; s < segments.size(); ++s)
        for (int e = 0; e < 2; ++e) {
            const Crossing& c = segments[s].ends[e];
            // The element that brings the crossing's triangle into the domain.
            const int g = symmetry.inverse(mesh.elementOf(c.triangle));
            entries.push_back({mapCrossing(mesh, g, c), s, e, g});
        }
    std::sort(entries.begin(), entries.end(), [](const Entry& x, const Entry& y) {
        return std::make_tuple(x.canonical.edge[0], x.canonical.edge[1], x.canonical.triangle, x.segment, x.end) <
               std::make_tuple(y.canonical.edge[0], y.canonical.edge[1], y.canonical.triangle, y.segment, y.end);
    });

    Graph g{mesh, std::vector<std::uint32_t>(2 * segments.size()), std::vector<int>(2 * segments.size()), {}, {}};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i == 0 || entries[i].key() != entries[i - 1].key()) {
            out.nodes.push_back(entries[i].canonical);
            g.first.push_back(static_cast<std::uint32_t>(i));
        }
        const std::uint32_t node = static_cast<std::uint32_t>(out.nodes.size() - 1);
        g.nodeOf[2 * entries[i].segment + entries[i].end] = node;
        g.elementOf[2 * entries[i].segment + entries[i].end] = entries[i].element;
        g.halfEdges.push_back({entries[i].segment, entries[i].end});
    }
    g.first.push_back(static_cast<std::uint32_t>(entries.size()));

    std::vector<char> visited(out.nodes.size(), 0);
    for (std::uint32_t n = 0; n < out.nodes.size(); ++n) {
        if (visited[n])
            continue;
        visited[n] = 1;
        // The node's ways out: a fold if it has a segment back to itself,
        // and its other segments.
        const HalfEdge* fold = nullptr;
        std::vector<HalfEdge> ways;
        for (std::uint32_t k = g.first[n]; k < g.first[n + 1]; ++k) {
            const HalfEdge& h = g.halfEdges[k];
            if (g.selfLoop(h)) {
                if (!fold)
                    fold = &h;
            } else {
                ways.push_back(h);
            }
        }
        CrossingPath forward;
        forward.nodes.push_back(n);
        forward.frames.push_back(0);
        PathEnd forwardEnd = PathEnd::Stops, backwardEnd = PathEnd::Stops;
        int forwardElement = 0, backwardElement = 0;
        if (fold && ways.size() <= 1) {
            backwardEnd = PathEnd::Folds;
            backwardElement = g.transfer(*fold);
            if (ways.empty()) {
                // A path of one node between two folds: its own segments
                // both come back to it.
                forwardEnd = PathEnd::Folds;
                forwardElement = backwardElement;
                const HalfEdge* other = nullptr;
                for (std::uint32_t k = g.first[n]; k < g.first[n + 1]; ++k)
                    if (g.halfEdges[k].segment != fold->segment)
                        other = &g.halfEdges[k];
                if (other)
                    forwardElement = g.transfer(*other);
            } else {
                walk(g, n, ways[0], visited, forward, forwardEnd, forwardElement);
            }
        } else if (!fold && ways.size() == 2) {
            walk(g, n, ways[0], visited, forward, forwardEnd, forwardElement);
            if (forwardEnd != PathEnd::Closes) {
                CrossingPath backward;
                walk(g, n, ways[1], visited, backward, backwardEnd, backwardElement);
                // The backward walk's frames are relative to n as well; put
                // its nodes first, farthest first.
                forward.nodes.insert(forward.nodes.begin(), backward.nodes.rbegin(), backward.nodes.rend());
                forward.frames.insert(forward.frames.begin(), backward.frames.rbegin(), backward.frames.rend());
            }
        } else if (ways.size() == 1) {
            walk(g, n, ways[0], visited, forward, forwardEnd, forwardElement);
        }
        // Frames relative to the first node.
        const int base = symmetry.inverse(forward.frames.front());
        for (int& f : forward.frames)
            f = symmetry.compose(base, f);
        forward.finishEnd = forwardEnd;
        forward.startEnd = forwardEnd == PathEnd::Closes ? PathEnd::Closes : backwardEnd;
        forward.holonomy = forwardElement;
        forward.finishFold = forwardElement;
        forward.startFold = backwardElement;
        out.paths.push_back(std::move(forward));
    }
    return out;
}
