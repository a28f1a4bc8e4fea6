// The engine-control interface and the records that cross it. Times are femtoseconds. Any
// operation may throw CommandErrorException (the request failed) or Orvex::InterruptException
// (the engine is lost).
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "orvex/Exceptions.h"
#include "orvex/IEventHandler.h"
#include "orvex/IReader.h"
#include "orvex/Radix.h"
#include "orvex/StringBase.h"

namespace Tavrin {

/// A source line at which the engine stops.
struct BreakpointLocation {
    StringBase file;
    int line = 0;
};

/// One breakpoint as the engine lists it; `index` is the number `bp del` takes.
struct BreakpointListEntry {
    int index = 0;
    StringBase file;
    int line = 0;
};

/// A condition handed to the engine: the expression wrapped in double quotes, its radix, a label.
struct Condition {
    StringBase expression;
    int radix = 0;
    StringBase label;
};

/// One condition as the engine lists it.
struct ConditionListEntry {
    int id = 0;
    StringBase expression;
    int radix = 0;
    StringBase label;
};

/// One value of a force sequence, applied `time` femtoseconds after the force starts.
struct ForceValue {
    StringBase value;
    std::int64_t time = 0;
    int radix = DefaultRadix;
};

/// A force: its values in order, the repeat period and the cancel offset (-1: none).
struct ForceCriteria {
    static constexpr std::int64_t None = -1;
    std::vector<ForceValue> values;
    std::int64_t repeat = None;
    std::int64_t cancel = None;
};

/// The engine's state: code 0 busy, 1 ready; the current time in femtoseconds.
struct EngineStatus {
    std::uint32_t code = 0;
    StringBase text;
    std::int64_t time = 0;
    StringBase detail;
    ~EngineStatus() = default;
};

/// One driver of a net: the driving object and a text describing its value or kind.
struct DriverRecord {
    const IObject* driver = nullptr;
    StringBase text;
};

/// One load of a net: the loading object and the index of the connection.
struct LoadRecord {
    const IObject* load = nullptr;
    int index = 0;
};

using ValueMap = std::map<const IDataObj*, StringBase>;
using DriverMap = std::map<const IObject*, std::vector<DriverRecord>>;
using LoadMap = std::map<const IObject*, std::vector<LoadRecord>>;

/// Controls one engine process: running, stepping, values, breakpoints, conditions, forces,
/// tracing and output files.
class ISimulationControl {
public:
    virtual ~ISimulationControl() = default;

    virtual void addEventHandler(IEventHandler* handler) = 0;

    virtual void addBreakpoint(const BreakpointLocation& location) = 0;
    virtual void removeBreakpoint(int index) = 0;
    virtual void clearBreakpoints() = 0;
    virtual void getBreakpointList(std::vector<BreakpointListEntry>& list) = 0;

    virtual IBlock* getCurrentScope() const = 0;
    virtual void setCurrentScope(IBlock* block) = 0;

    virtual void setArrayDisplayLength(int length) = 0;
    virtual void setMaxTraceableSize(int size) = 0;

    virtual void getValue(const IDataObj* object, StringBase& value, Radix radix) const = 0;
    virtual void getBlockValues(const IBlock* block, ValueMap& values, Radix radix) const = 0;
    virtual void setValue(const IDataObj* object, const StringBase& value, Radix radix) = 0;

    virtual void addForce(const IDataObj* object, const ForceCriteria& criteria) = 0;
    virtual void removeForce(const IDataObj* object) = 0;
    virtual void getDrivers(const IDataObj* object, DriverMap& drivers) const = 0;
    virtual void getLoads(const IDataObj* object, LoadMap& loads) const = 0;

    /// Blocking requests: the caller waits for the event that ends them.
    virtual void restart() = 0;
    virtual void run(std::int64_t time) = 0;
    virtual void step() = 0;
    virtual void runAll() = 0;
    /// Asks a running simulation to stop; nobody waits for it.
    virtual void stop() = 0;

    virtual EngineStatus& getStatus(EngineStatus& status) const = 0;

    virtual void ntraceStart() = 0;
    virtual void ntraceStop() = 0;
    virtual void ntraceSelectBlock(const IBlock* block, bool all, bool on) = 0;
    virtual void ntraceSelectObject(const IDataObj* object, bool on) = 0;
    virtual void ptraceOn() = 0;
    virtual void ptraceOff() = 0;
    virtual void ltraceOn() = 0;
    virtual void ltraceOff() = 0;

    virtual void annotateSdf(int kind, const StringBase& file, const IBlock* root, bool noerror,
                             bool nowarn) = 0;
    virtual void setPathPulse(std::int64_t reject, std::int64_t error) = 0;
    virtual void setPulseStyle(int style) = 0;
    virtual void setShowCancelled(bool on) = 0;

    virtual void vcdDumpFile(const StringBase& name) = 0;
    virtual void vcdDumpFlush() = 0;
    virtual void vcdDumpOn() = 0;
    virtual void vcdDumpOff() = 0;
    virtual void vcdDumpVars(const IBlock* block, int level) = 0;
    virtual void vcdDumpLimit(std::int64_t bytes) = 0;
    virtual void saifOpen(const IBlock* block, const StringBase& file, bool allnets, int level) = 0;
    virtual void saifClose() = 0;

    virtual int addCondition(const Condition& condition) = 0;
    virtual void removeConditionByLabel(const StringBase& label) = 0;
    virtual void removeConditionById(int id) = 0;
    virtual void removeAllConditions() = 0;
    virtual void getConditionList(std::vector<ConditionListEntry>& list) = 0;

    /// Returns true when the quit goes ahead.
    virtual bool quit(bool force, bool exit) = 0;
    virtual void exitSimulation() = 0;
    virtual void terminate() = 0;

    /// The engine's precision as a power of ten of seconds (-15 is 1 fs).
    virtual int getTimeResolution() const = 0;
};

} // namespace Tavrin
