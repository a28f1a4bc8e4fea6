// What survives a restart: each part of the engine names the requests that rebuild its settings
// (breakpoints, conditions, display settings, tracing); the new engine process serves them
// silently before it reports restart-complete.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace OrvexEngine {

/// Request lines ("0-name arg ...") that rebuild one part's state.
using StateSaver = std::function<std::vector<std::string>()>;
void addRestartState(StateSaver saver);
/// Every part's lines, in registration order.
std::vector<std::string> restartStateLines();
/// A request line for replay: the command and its arguments quoted.
std::string replayLine(const std::string& command, const std::vector<std::string>& args);

/// Registers a saver when the engine module is loaded.
struct RestartStateRegistrar {
    explicit RestartStateRegistrar(StateSaver saver) { addRestartState(std::move(saver)); }
};

} // namespace OrvexEngine
