#pragma once
// The mesh's intersection segments as a graph modulo the symmetry group.
//
// A crossing (an edge through a triangle) is a point of the mesh's double
// curves; on a closed mesh each ends exactly two segments, so the segments
// form closed polylines. The group maps crossings to crossings without fixing
// any, so each orbit has one canonical crossing (its triangle in the
// fundamental domain): the graph's nodes. The representative segments
// (MeshSelfIntersection.h) are its edges, each carrying the group element
// that places its far end relative to its near one. Walking the graph thus
// traces a fundamental piece of every polyline, and the polylines of the whole
// mesh are its images (CurveLift.h).
//
// A piece is a path of nodes, each with the element (its frame) that places
// it relative to the first. At each end a path either
// - closes: its first node follows its last, in frame `holonomy`;
// - folds: the next segment is one a half turn of the group maps onto itself
//   with its ends swapped, so the polyline comes back the way it went, turned
//   by the element `fold` (the transfer across that segment, in the node's
//   own frame);
// - stops: the crossing has no second segment (a degenerate position decided
//   differently by two pairs; rare).
//
// Built on one thread from the sorted representatives, so deterministic.
#include <cstdint>
#include <vector>

#include "curves/MeshSelfIntersection.h"

enum class PathEnd { Closes, Folds, Stops };

struct CrossingPath {
    std::vector<std::uint32_t> nodes;
    std::vector<int> frames;
    PathEnd startEnd = PathEnd::Stops, finishEnd = PathEnd::Stops;
    int holonomy = 0;                   // when it closes
    int startFold = 0, finishFold = 0;  // when an end folds
};

struct CrossingGraph {
    std::vector<Crossing> nodes;  // canonical crossings
    std::vector<CrossingPath> paths;
};

CrossingGraph buildCrossingGraph(const SearchMesh& mesh, const std::vector<MeshSegment>& segments);
