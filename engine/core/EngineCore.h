// What the simulation core offers to the other parts of the engine (output writers, SDF
// annotation, drivers and loads): design lookup by protocol path, simulation time in
// femtoseconds, end-of-time-step and value-change notification, engine messages, and a hook at
// the engine's end. Everything here runs on the simulation thread only (inside request handlers
// or VPI callbacks), like every VPI call.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <vpi_user.h>

#include "HdlPath.h"
#include "Mi.h"

namespace OrvexEngine {

// ---- Design lookup ---------------------------------------------------------------------------

/// What a path of the shared grammar (HdlPath.h) names: a scope (or the design root), or a data
/// object with the selects still to apply to it.
struct PathTarget {
    bool root = false;
    vpiHandle scope = nullptr;
    vpiHandle object = nullptr;
    std::vector<Orvex::HdlPath::Select> selects;
};
/// Resolves an absolute path, or a relative one from the scope `base` (none: relative paths name
/// nothing). A malformed path throws EngineError with the grammar's message; a path that names
/// nothing gives an empty target.
PathTarget resolvePath(const std::string& path, vpiHandle base = nullptr);
/// As resolvePath for an absolute path, but a malformed path gives an empty target too: for the
/// look-ups that answer "nothing there" rather than fail.
PathTarget resolvePathOrNothing(const std::string& path);
/// The handle of a scope or whole object named by an absolute path ("/tb/dut/q"), or null when
/// the path names nothing or is malformed. Selects are not accepted here (see resolveValuePath
/// in the value code and handleOfPath in the output code for those).
vpiHandle lookupPath(const std::string& path);
/// As lookupPath, but throws EngineError("unknown path \"...\"") when nothing is found.
vpiHandle findPath(const std::string& path);
/// The canonical path ("/tb/dut/q", "/tb/\a+b /q") of a scope or object handle.
std::string pathOf(vpiHandle object);

// ---- Time ------------------------------------------------------------------------------------

/// The design's time precision as a power of ten of seconds (-12 for 1 ps).
int precisionExponent();
/// The current simulation time in femtoseconds.
std::int64_t currentTimeFs();
/// Femtoseconds to simulation ticks (of the precision), rounding down; negative gives 0.
std::uint64_t fsToTicks(std::int64_t fs);
/// Simulation ticks to femtoseconds.
std::int64_t ticksToFs(std::uint64_t ticks);

// ---- Notification ----------------------------------------------------------------------------

/// Runs `fn` once at the end of the current time step (a cbReadWriteSynch, values settled).
/// Calls made in one time step are run in the order they were asked for.
void atEndOfTimeStep(std::function<void()> fn);

/// Runs `fn` once after the whole current time step: after its read-only callbacks ($strobe,
/// $monitor), so everything the design prints for this time is out. Values cannot be changed
/// there (see whenWritable).
void afterTimeStep(std::function<void()> fn);

/// Runs `fn` now when values may be changed, otherwise (paused after a time step) one precision
/// tick later, before anything else the design does then. Changes asked for at one pause run in
/// the order they were asked for.
void whenWritable(std::function<void()> fn);

/// Calls `fn` after every value change of `object` (a cbValueChange, inside the time step).
/// Returns an id for unwatch; throws EngineError when the object cannot be watched.
int watchValueChange(vpiHandle object, std::function<void()> fn);
void unwatch(int id);

/// Runs `fn` when the engine ends (quit, exit, end of the request pipe) so files get flushed.
void atEngineExit(std::function<void()> fn);
/// Runs `fn` whenever the simulation pauses, before the shell hears of it, so that files a
/// viewer reads at a stop are complete up to the current time.
void atPause(std::function<void()> fn);

// ---- Settings the shell sends -----------------------------------------------------------------

/// Memory values list at most this many words (array-display-length, default 64).
int arrayDisplayLength();
/// Objects wider than this many bits are not traced (max-traceable-size, default 65536).
int maxTraceableSize();

// ---- Records ---------------------------------------------------------------------------------

/// Sends an event record: *cls,fields (fields is a tuple, possibly empty).
void sendEvent(const std::string& cls, const Orvex::Mi::Value& fields);
/// Sends an engine message ~"text" (shown to the user as text output).
void sendMessage(const std::string& text);
/// Long work inside a request calls this as it goes: once the request has taken a second, and
/// then every second, a *progress event tells the shell that the engine is busy, not hung.
void reportProgress();

} // namespace OrvexEngine
