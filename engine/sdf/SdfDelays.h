// The twelve transition delays of a specify path (VPI order: 0-1, 1-0, 0-z, z-1, 1-z, z-0, 0-x,
// x-1, 1-x, x-0, x-z, z-x) from the 1, 2, 3, 6 or 12 values of an SDF delay list. Free of VPI.
#pragma once

#include <cstdint>
#include <vector>

namespace OrvexEngine {

/// One given delay in ticks, or none (an empty "()" or a missing triple part: keep the old one).
struct GivenDelay {
    bool present = false;
    std::int64_t ticks = 0;
};

/// Replaces (or, for INCREMENT, adds to) the delays in `delays` with the given ones; the x
/// transitions are derived from the others unless 12 values are given. Results below zero
/// become zero. False when the count of given values is not 1, 2, 3, 6 or 12.
bool applyDelays(const std::vector<GivenDelay>& given, bool increment, std::int64_t delays[12]);

/// SDF value in units of `unitSeconds` to ticks of 10^precision seconds, rounded to the nearest.
std::int64_t delayTicks(double value, double unitSeconds, int precision);

} // namespace OrvexEngine
