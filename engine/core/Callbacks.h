// Small wrappers over VPI callbacks with C++ functions: delays in ticks that can be cancelled.
#pragma once

#include <cstdint>
#include <functional>

#include <vpi_user.h>

namespace OrvexEngine {

/// Calls `fn` after `ticks` simulation ticks (a cbAfterDelay); returns an id for cancelDelay.
int afterDelay(std::uint64_t ticks, std::function<void()> fn);
/// Removes a pending delay; an id that already fired or is unknown is ignored.
void cancelDelay(int id);
/// Registers `routine` with `userData` for `reason` at the current time (cbReadOnlySynch,
/// cbReadWriteSynch, cbNextSimTime); false when vvp refuses. For paths that run every time step
/// and cannot afford a std::function each time.
bool atCurrentTime(int reason, PLI_INT32 (*routine)(p_cb_data), void* userData = nullptr);

} // namespace OrvexEngine
