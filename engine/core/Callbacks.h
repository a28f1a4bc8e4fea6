// Small wrappers over VPI callbacks with C++ functions: delays in ticks that can be cancelled.
#pragma once

#include <cstdint>
#include <functional>

namespace OrvexEngine {

/// Calls `fn` after `ticks` simulation ticks (a cbAfterDelay); returns an id for cancelDelay.
int afterDelay(std::uint64_t ticks, std::function<void()> fn);
/// Removes a pending delay; an id that already fired or is unknown is ignored.
void cancelDelay(int id);

} // namespace OrvexEngine
