// What the output writers (VCD, waveform database, SAIF) share: engine messages and the traceable
// size from the core, and flushing every open output when the simulation or the engine ends.
#pragma once

#include <functional>
#include <string>

#include "EngineCore.h"

namespace OrvexEngine {

/// Sends a text to the shell as an engine message (~"text"), one line.
inline void engineMessage(const std::string& text) {
    sendMessage(!text.empty() && text.back() == '\n' ? text : text + "\n");
}

/// Registers a routine that flushes and closes an output; all run from flushOutputs(), at the
/// end of the simulation and when the engine ends.
void addOutputCloser(std::function<void()> closer);
void flushOutputs();

} // namespace OrvexEngine
