#pragma once
// The double curves and triple points (curves/DoubleCurves.h) as files.
//
// CSV, one row per point: curve,x,y,z,latitude1,longitude1,latitude2,
// longitude2, the curves numbered from 0 in the set's order, positions in
// world units and origins in degrees, every number with the fewest digits
// that read back as the same double; a closed curve repeats its first point
// at its end. The header row is always written, even with no curve.
//
// OBJ: the points as vertices and each curve as one polyline (an `l` record;
// a closed one ends on its first vertex), for 3-D programs.
//
// Triple points, CSV: x,y,z and the three origins.
//
// Each returns false with a one-line reason when the stream refused the data.
#include <cstdio>
#include <string>

#include "curves/DoubleCurves.h"

bool writeCurvesCsv(const DoubleCurveSet& set, std::FILE* file, std::string& error);
bool writeCurvesObj(const DoubleCurveSet& set, std::FILE* file, std::string& error);
bool writeTriplePointsCsv(const DoubleCurveSet& set, std::FILE* file, std::string& error);
