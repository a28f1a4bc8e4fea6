// EngineDouble: a scripted stand-in for the engine control, used by unit tests and by the
// transcript host. It records every call as one line of text, keeps a small model of the engine
// state (time, values, breakpoints, conditions) and delivers engine events on a thread of its
// own, after the call that caused them has returned, as the real engine control does.
//
// Call log. Each ISimulationControl call appends its operation name and its arguments separated
// by single blanks: objects and blocks as their path ("<null>" for none), booleans as 0 or 1,
// radixes as their number, times in femtoseconds, an empty text as "{}". Examples:
//     run 10000000            quit 1 0                getValue /top/clk 4
//     addBreakpoint top.v 12  setValue /top/x 1010 2  addCondition "a == 1" 0 lbl
//     addForce /top/clk 1@0:1 0@5000:2 repeat=10000 cancel=-1
//
// Reactions. An operation first takes the oldest reaction scripted for its name
// (script("run", ...)), which replaces its default behaviour for that one call:
//     run(t)    time += t, then named event "run-complete" at the new time
//     runAll()  "run-complete" at the current time
//     step()    "end-stepping" at the current time and the step location (default top.v, 1)
//     restart() time := 0, then "restart-complete" at time 0
//     quit(), terminate()   an expected termination event
//     others    no event
// start() (the host's "start the engine process") is not logged; it queues the engine-ready
// event, or the reaction scripted for "start" (e.g. a death during start-up). After a
// termination (die, quit, terminate) run, runAll, step and restart throw InterruptException until
// start() is called again, so that a shell never waits for an engine that is gone. Removing an
// unknown breakpoint index throws CommandErrorException; removing by label removes every
// condition with that label. A null data object throws "Object not found", a null block (except
// annotateSdf's root) "Block not found"; getValue of an object without a seeded value throws
// "No value for PATH". Read-only operations (getValue, getStatus ...) honour only throwing
// reactions. A reaction's named events set the time; an event time of `RequestEndTime` takes the
// time at which the request would have ended by default (for run(t): the current time + t).
//
// Script text (loadScript), one directive per line; blank lines and '#' lines are ignored. Words
// are separated by blanks; a double-quoted part may hold blanks and the escapes \" \\ \n \t.
// Times are femtoseconds or a number with a unit suffix (fs ps ns us ms s), e.g. 10ns.
//     value /top/clk 1                   seed the value of an object path
//     time 5ns                           set the current simulation time
//     status 0                           status code reported by getStatus (1 ready, 0 busy)
//     step-location top.v 3              file and line of the default end-stepping event
//     driver /top/q /top/u1/d "1"        a driver record of /top/q: the design object (or
//                                        block) at the second path and its text
//     load /top/q /top/u2/a 3            a load record of /top/q: the object and its index
//     on REQUEST REACTION                queue a reaction for the next call of REQUEST
// REQUEST is an operation name (run, runAll, addBreakpoint, vcdDumpFile, ...) or "start";
// REACTION is `error "message"` (throws CommandErrorException), `interrupt` (throws
// InterruptException) or ITEM [then ITEM ...], events delivered in order instead of the default:
//     event NAME [file=F] [line=N] [time=T] [id=N]   named event (id: condition id)
//     text "output"                      engine text output
//     die "message"                      unexpected termination
// e.g. "on run event condition-met id=1 then event breakpoint-hit file=top.v line=12"; several
// "on run" lines queue reactions for successive run calls. A malformed line throws
// std::runtime_error naming the line number and its text.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <istream>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "orvex/ISimulationControl.h"

namespace Tavrin {
namespace Test {

/// Time of a scripted event that takes the time at which its request ends by default.
constexpr std::int64_t RequestEndTime = -1;

/// A named simulation event (kind 1).
EngineEvent namedEvent(const std::string& name, std::int64_t time = RequestEndTime,
                       const std::string& file = std::string(), int line = 0,
                       int conditionId = 0);
/// An engine termination event (kind 2).
EngineEvent terminationEvent(bool expected, const std::string& text = std::string());
/// An engine text output event (kind 3).
EngineEvent textEvent(const std::string& text);

/// What one call of an operation does instead of its default behaviour.
struct Reaction {
    enum class Kind { Events, ThrowInterrupt, ThrowError };

    Kind kind = Kind::Events;
    std::vector<EngineEvent> events; // Kind::Events: delivered in order after the call
    std::string message;             // Kind::ThrowError: the exception's description

    static Reaction deliver(std::vector<EngineEvent> events);
    /// The engine dies: an unexpected termination event with this text.
    static Reaction die(const std::string& text);
    static Reaction throwInterrupt();
    static Reaction throwError(const std::string& message);
};

class EngineDouble : public ISimulationControl {
public:
    explicit EngineDouble(IReader* reader = nullptr, int timeResolution = -12);
    /// Stops the event thread; events still queued are dropped and no handler is called once
    /// destruction has begun (a handler already running is waited for).
    ~EngineDouble() override;

    EngineDouble(const EngineDouble&) = delete;
    EngineDouble& operator=(const EngineDouble&) = delete;

    // ---- Driving the double (tests and hosts) ----

    /// Starts the engine: queues the engine-ready event (or the reaction scripted for "start").
    void start();
    /// Queues any event for delivery to every handler.
    void deliver(const EngineEvent& event);
    /// Blocks until every queued event has been delivered and its handlers have returned.
    /// Must not be called from a handler.
    void waitIdle();
    /// Queues a reaction for the next call of `request` not yet served by an earlier one.
    void script(const std::string& request, const Reaction& reaction);
    /// Reads script directives (format above); throws std::runtime_error on a malformed line.
    void loadScript(std::istream& in);

    void setSignalValue(const std::string& path, const std::string& value);
    void setCurrentTime(std::int64_t time);
    void setStatusCode(std::uint32_t code);
    void setStepLocation(const std::string& file, int line);
    void setTimeResolution(int exponent);

    std::vector<std::string> calls() const;
    void clearCalls();

    // ---- ISimulationControl ----

    void addEventHandler(IEventHandler* handler) override;

    void addBreakpoint(const BreakpointLocation& location) override;
    void removeBreakpoint(int index) override;
    void clearBreakpoints() override;
    void getBreakpointList(std::vector<BreakpointListEntry>& list) override;

    IBlock* getCurrentScope() const override;
    void setCurrentScope(IBlock* block) override;

    void setArrayDisplayLength(int length) override;
    void setMaxTraceableSize(int size) override;

    void getValue(const IDataObj* object, StringBase& value, Radix radix) const override;
    void getBlockValues(const IBlock* block, ValueMap& values, Radix radix) const override;
    void setValue(const IDataObj* object, const StringBase& value, Radix radix) override;

    void addForce(const IDataObj* object, const ForceCriteria& criteria) override;
    void removeForce(const IDataObj* object) override;
    void getDrivers(const IDataObj* object, DriverMap& drivers) const override;
    void getLoads(const IDataObj* object, LoadMap& loads) const override;

    void restart() override;
    void run(std::int64_t time) override;
    void step() override;
    void runAll() override;
    void stop() override;

    EngineStatus& getStatus(EngineStatus& status) const override;

    void ntraceStart() override;
    void ntraceStop() override;
    void ntraceSelectBlock(const IBlock* block, bool all, bool on) override;
    void ntraceSelectObject(const IDataObj* object, bool on) override;
    void ptraceOn() override;
    void ptraceOff() override;
    void ltraceOn() override;
    void ltraceOff() override;

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

    bool quit(bool force, bool exit) override;
    void exitSimulation() override;
    void terminate() override;

    int getTimeResolution() const override;

private:
    // Logs the call and takes its reaction; a throwing one is thrown here. Requires mutex_ held.
    std::optional<Reaction> record(const std::string& line) const;
    std::optional<Reaction> takeReaction(const std::string& operation) const;
    // Queues a reaction's events; `endTime` replaces RequestEndTime in them. Requires mutex_.
    void perform(const std::optional<Reaction>& reaction, std::int64_t endTime);
    // record() and perform() for an operation without a default event.
    void simpleCall(const std::string& line);
    // record() and perform() for run, step ...: refused once the engine has terminated; whether
    // a reaction replaced the default. Requires mutex_ held.
    bool blockingCall(const std::string& line, std::int64_t endTime);
    // The expected termination of quit and terminate, once. Requires mutex_ held.
    void end();
    void eventLoop();

    IReader* reader_;

    mutable std::mutex mutex_; // guards everything below down to the event queue
    mutable std::vector<std::string> calls_;
    mutable std::map<std::string, std::deque<Reaction>> reactions_;
    int resolution_;
    std::int64_t time_ = 0;
    std::uint32_t statusCode_ = 1;
    bool terminated_ = false;
    std::string stepFile_ = "top.v";
    int stepLine_ = 1;
    std::map<std::string, std::string> values_;
    std::map<std::string, std::vector<DriverRecord>> drivers_;
    std::map<std::string, std::vector<LoadRecord>> loads_;
    std::vector<BreakpointListEntry> breakpoints_;
    int nextBreakpoint_ = 1;
    std::vector<ConditionListEntry> conditions_;
    int nextCondition_ = 1;

    // Event queue and delivery thread; queueMutex_ is taken after mutex_ when both are needed.
    std::mutex queueMutex_;
    std::condition_variable queueChanged_;
    std::deque<EngineEvent> queue_;
    std::vector<IEventHandler*> handlers_;
    bool delivering_ = false;
    std::atomic<bool> stopping_{false};
    bool loopEnded_ = false;
    std::thread thread_;
};

} // namespace Test
} // namespace Tavrin
