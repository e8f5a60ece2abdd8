#pragma once
// From the fundamental pieces of the crossing graph to the polylines of the
// whole mesh.
//
// A path is followed through its ends until the walk comes back to where it
// began: round its holonomy (a piece that closes after a turn of the group
// repeats turned until the turns add up to none), back along itself across a
// fold, or not at all past an end that stops. That gives one polyline, as a
// list of (node, frame) steps; the group elements that map it onto itself
// are its stabilizer, and the group's other cosets give its images, one
// polyline each. Pure.
#include <vector>

#include "curves/CrossingGraph.h"

struct LiftStep {
    int index = 0;      // into the path's nodes
    int frame = 0;      // the element placing the path's node here
    int direction = 1;  // 1 where the polyline runs the way of the path, -1 back
};

struct Lift {
    std::vector<LiftStep> steps;
    bool closed = false;
    std::vector<int> stabilizer;  // elements g with g(lift) = lift, the identity first
};

Lift liftPath(const SurfaceSymmetry& symmetry, const CrossingPath& path);

// The elements whose images of a lift are distinct polylines: the least of
// each coset of the stabilizer, in increasing order.
std::vector<int> liftImages(const SurfaceSymmetry& symmetry, const Lift& lift);
