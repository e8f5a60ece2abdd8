#pragma once
// Estimates of triple points from the double curves alone. Seen from sheet a,
// the curve of sheets a and b and the curve of sheets a and c cross where a
// triple point's origin a is: the curves' chords, in the origins of each of
// their two sheets, are crossed with each other over a grid of the t = 0
// sphere, and every crossing whose other two origins are sheets apart (two
// rows of the search mesh) estimates a triple point with all three origins.
//
// The curves are exact where the faceted search mesh is not, so their
// crossings are there even where a chord of one curve passes beside the
// mesh's triangle of the third sheet. Only a few estimates an orbit are
// made: crossings in the group's fundamental domain, seen from the sheet
// farthest from the equator, or nearly. Where a curve is left open short of
// a triple point its crossing is missing; TriplePoints.h looks there too.
//
// Origins are unit vectors of the t = 0 sphere; `curves` are the traced
// polylines, one an orbit, with their images. Pure; the pairs are tried on
// OpenMP threads, with a result that does not depend on them.
#include <array>
#include <vector>

#include "curves/CurveTracing.h"

std::vector<std::array<Vec3, 3>> crossingEstimates(const SearchMesh& mesh, const std::vector<TracedPolyline>& curves);
