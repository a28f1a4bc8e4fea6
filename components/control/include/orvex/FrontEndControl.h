// FrontEndControl: the engine control of a live engine process, speaking the engine protocol
// over a BoostProcessTransport and loading the design into a DataReader.
#pragma once

#include <chrono>
#include <memory>

#include "orvex/DataReader.h"
#include "orvex/ISimulationControl.h"
#include "orvex/ProcessTransport.h"

namespace Tavrin {

class EngineConnection;

/// The ISimulationControl of the engine that a transport runs: each operation is one protocol
/// request, and engine events reach every added handler on the control's own event thread.
/// Before the engine's ready event is delivered, the design hierarchy is loaded into the reader.
///
/// Failures: an ^error answer is a CommandErrorException with the engine's message; a request
/// to an engine that is not running (not started, ended, or ending while the request waits) is
/// a CommandErrorException "Simulation engine is not running"; an engine that does not answer
/// within the request time limit is an Orvex::InterruptException (and, for a control made with
/// hang handling, the hang event once per engine). quit, exitSimulation and terminate on an
/// engine that is not running succeed without doing anything (quit returns true).
class FrontEndControl : public ISimulationControl {
public:
    /// The transport and the reader must outlive the control; construct the control before the
    /// transport is started. With `handleEngineHang`, a request that times out also delivers the
    /// hang event.
    FrontEndControl(BoostProcessTransport& transport, DataReader& reader,
                    bool handleEngineHang = false);
    /// Ends a still running engine (an exit request with a short wait, then a kill of its process
    /// group) and joins the control's threads. No events are delivered once it has begun, so it
    /// must not run on the event thread itself.
    ~FrontEndControl() override;
    FrontEndControl(const FrontEndControl&) = delete;
    FrontEndControl& operator=(const FrontEndControl&) = delete;

    /// How long a request waits for its answer (30 s unless changed).
    void setRequestTimeout(std::chrono::milliseconds timeout);

    void addEventHandler(IEventHandler* handler) override;

    void addBreakpoint(const BreakpointLocation& location) override;
    void removeBreakpoint(int index) override;
    void clearBreakpoints() override;
    void getBreakpointList(std::vector<BreakpointListEntry>& list) override;

    /// The scope is the reader's: names are resolved against it there.
    IBlock* getCurrentScope() const override;
    /// Throws CommandErrorException "No such HDL block." for null or a block of no reader here.
    void setCurrentScope(IBlock* block) override;

    void setArrayDisplayLength(int length) override;
    void setMaxTraceableSize(int size) override;

    /// Null objects fail with "Object not found".
    void getValue(const IDataObj* object, StringBase& value, Radix radix) const override;
    /// Values of paths the reader does not know are left out.
    void getBlockValues(const IBlock* block, ValueMap& values, Radix radix) const override;
    void setValue(const IDataObj* object, const StringBase& value, Radix radix) override;

    void addForce(const IDataObj* object, const ForceCriteria& criteria) override;
    void removeForce(const IDataObj* object) override;
    /// Drivers and loads whose paths the reader does not know are left out.
    void getDrivers(const IDataObj* object, DriverMap& drivers) const override;
    void getLoads(const IDataObj* object, LoadMap& loads) const override;

    /// These return once the engine has accepted the request; the *stopped event ends them.
    void restart() override;
    void run(std::int64_t time) override;
    void step() override;
    void runAll() override;
    void stop() override;

    EngineStatus& getStatus(EngineStatus& status) const override;

    /// The first ntraceStart names the reader's waveform database to the engine.
    void ntraceStart() override;
    void ntraceStop() override;
    void ntraceSelectBlock(const IBlock* block, bool all, bool on) override;
    void ntraceSelectObject(const IDataObj* object, bool on) override;
    void ptraceOn() override;
    void ptraceOff() override;
    void ltraceOn() override;
    void ltraceOff() override;

    /// A null root block means the whole design (the empty path), as for vcdDumpVars and saifOpen.
    void annotateSdf(int kind, const StringBase& file, const IBlock* root, bool noerror,
                     bool nowarn) override;
    void setPathPulse(std::int64_t reject, std::int64_t error) override;
    void setPulseStyle(int style) override;
    void setShowCancelled(bool on) override;

    void vcdDumpFile(const StringBase& name) override;
    void vcdDumpFlush() override;
    void vcdDumpOn() override;
    void vcdDumpOff() override;
    void vcdDumpVars(const IBlock* block, int level) override;
    void vcdDumpLimit(std::int64_t bytes) override;
    void saifOpen(const IBlock* block, const StringBase& file, bool allnets, int level) override;
    void saifClose() override;

    int addCondition(const Condition& condition) override;
    void removeConditionByLabel(const StringBase& label) override;
    void removeConditionById(int id) override;
    void removeAllConditions() override;
    void getConditionList(std::vector<ConditionListEntry>& list) override;

    /// True when the engine accepts (it then ends: an expected termination).
    bool quit(bool force, bool exit) override;
    /// Asks the engine to end; its end is an expected termination.
    void exitSimulation() override;
    /// Kills the engine's process group and waits until it is reaped; an expected termination.
    void terminate() override;

    /// From the engine's ready record and design answer; -15 before the engine was ready.
    int getTimeResolution() const override;

private:
    DataReader& reader_;
    std::unique_ptr<EngineConnection> connection_;
    bool databaseNamed_ = false;
};

} // namespace Tavrin
