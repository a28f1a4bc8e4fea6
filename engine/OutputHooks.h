// What the output writers (VCD, waveform database, SAIF) share with the rest of the engine: engine
// messages, the maximum traceable array size, and flushing every open output before the engine
// ends.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace OrvexEngine {

/// Sends a text to the shell as an engine message (~"text"). The engine's server may supply its
/// own definition; the default writes the record to the engine's output descriptor.
void engineMessage(const std::string& text);

/// Arrays with more elements than this are not traced into the waveform database.
void setMaxTraceableSize(std::int64_t elements);
std::int64_t maxTraceableSize();

/// Registers a routine that flushes and closes an output; all run from flushOutputs(), which the
/// engine calls before it ends, and at the end of the simulation.
void addOutputCloser(std::function<void()> closer);
void flushOutputs();

} // namespace OrvexEngine
