#pragma once
// Curves that only repeat a stretch of another. Pure; one thread.
#include <cstddef>
#include <vector>

#include "curves/DoubleCurves.h"

// Drops the curves no longer than `longest` (world units) that lie along a
// longer one on the same two sheets, every point within `near` of it and its
// origins within `sheetReach` radians of the nearby point's: fragments of
// the search, and loops that only run out and back along a stretch of
// another curve. The curves come in whole orbits of the symmetry group, each
// orbit's curves next to each other and numbered alike in `orbit` (one
// number for each curve, less than their count); the first of an orbit is
// asked about, and its orbit goes or stays with it.
void dropDuplicates(std::vector<DoubleCurve>& curves, const std::vector<std::size_t>& orbit, double longest,
                    double near, double sheetReach);
