// Expanding SDF delay lists to the twelve transitions of a path.
#include "SdfDelays.h"

#include <algorithm>
#include <cmath>

namespace OrvexEngine {

bool applyDelays(const std::vector<GivenDelay>& given, bool increment, std::int64_t delays[12]) {
    const std::size_t n = given.size();
    // For each of the first six transitions, which given value applies.
    static const int fromOne[6] = {0, 0, 0, 0, 0, 0};
    static const int fromTwo[6] = {0, 1, 0, 0, 1, 1};
    static const int fromThree[6] = {0, 1, 2, 0, 2, 1};
    static const int fromSix[6] = {0, 1, 2, 3, 4, 5};
    const int* map = nullptr;
    switch (n) {
    case 1: map = fromOne; break;
    case 2: map = fromTwo; break;
    case 3: map = fromThree; break;
    case 6: map = fromSix; break;
    case 12: break;
    default: return false;
    }
    const int count = n == 12 ? 12 : 6;
    for (int i = 0; i < count; ++i) {
        const GivenDelay& g = given[static_cast<std::size_t>(map ? map[i] : i)];
        if (!g.present) continue;
        delays[i] = increment ? delays[i] + g.ticks : g.ticks;
    }
    for (int i = 0; i < count; ++i) delays[i] = std::max<std::int64_t>(0, delays[i]);
    if (n == 12) return true;
    const std::int64_t t01 = delays[0], t10 = delays[1], t0z = delays[2], tz1 = delays[3], t1z = delays[4],
                       tz0 = delays[5];
    // Going to x takes the earliest of the known changes, leaving x the latest.
    delays[6] = std::min(t01, t0z);
    delays[7] = std::max(t01, tz1);
    delays[8] = std::min(t10, t1z);
    delays[9] = std::max(t10, tz0);
    delays[10] = std::max(t0z, t1z);
    delays[11] = std::min(tz1, tz0);
    return true;
}

std::int64_t delayTicks(double value, double unitSeconds, int precision) {
    return static_cast<std::int64_t>(std::llround(value * unitSeconds / std::pow(10.0, precision)));
}

} // namespace OrvexEngine
