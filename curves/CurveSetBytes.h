#pragma once
// The double curves' requests and answers as bytes, for handing them between
// programs that share no memory (the page and its curve worker, which are two
// WebAssembly modules). Both ends are builds of this code on little-endian
// machines, so numbers are stored as the machine holds them: int32 counts and
// fields, and every double copied bit for bit, so that the set decoded is the
// very set that was found (positions and origins alike).
//
// A request is 28 bytes: a tag, the method, around, the two patch counts and
// t. An answer is its own tag, the request it answers, then the set: the
// number of curves, each curve's point count, closed flag and points (seven
// doubles each: the position, then origins a and b as latitude, longitude),
// then the triple points (nine doubles each: the position, then the three
// origins).
//
// Decoding checks every size against the bytes there are before reading or
// reserving, and refuses (false, the outputs then of no use) a wrong tag, a
// count the bytes cannot hold, bytes left over, a closed flag other than 0 or
// 1, and a request findDoubleCurves may not be given (an unknown method, a
// count of strips or lobes the method does not take, fewer than 2 patches,
// t not finite or outside [0, 1]). Pure functions; no state.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "curves/DoubleCurves.h"

std::vector<std::uint8_t> encodeCurveRequest(const DoubleCurveRequest& request);
bool decodeCurveRequest(const std::uint8_t* data, std::size_t size, DoubleCurveRequest& request);

// The set found for `request`, with the request it answers.
std::vector<std::uint8_t> encodeCurveAnswer(const DoubleCurveRequest& request, const DoubleCurveSet& set);
bool decodeCurveAnswer(const std::uint8_t* data, std::size_t size, DoubleCurveRequest& request, DoubleCurveSet& set);
