// EngineDouble: a scripted stand-in for the engine control, used by unit tests and by the
// transcript host. It records every call as one line of text, keeps a small model of the engine
// state (time, values, breakpoints, conditions) and delivers engine events on a thread of its
// own, after the call that caused them has returned, as the real engine control does.
//
// Call log. Each call of an ISimulationControl operation appends one line: the operation name
// followed by its arguments separated by single blanks. Objects and blocks appear as their path
// ("<null>" for a null pointer), booleans as 0 or 1, radixes as their number, times in
// femtoseconds, and an empty text as "{}". Examples:
//     run 10000000            quit 1 0                getValue /top/clk 4
//     addBreakpoint top.v 12  setValue /top/x 1010 2  addCondition "a == 1" 0 lbl
//     addForce /top/clk 1@0:1 0@5000:2 repeat=10000 cancel=-1
//
// Reactions. Every operation first looks for a scripted reaction queued for its name
// (script("run", ...)); the oldest one is consumed and replaces the default behaviour of that
// one call. Without a scripted reaction:
//     run(t)    time += t, then named event "run-complete" at the new time
//     runAll()  named event "run-complete" at the current time
//     step()    named event "end-stepping" at the current time, file and line of the step
//               location (default "top.v", 1)
//     restart() time := 0, then named event "restart-complete" at time 0
//     quit()    answers true and delivers an expected termination event
//     others    no event
// start() (the host's "start the engine process") is not logged; it queues the engine-ready
// event, or the reaction scripted for "start" instead (e.g. a death during start-up).
// Once a termination event has been queued (die, accepted quit, terminate), run, runAll, step
// and restart throw Orvex::InterruptException until start() is called again, so that a shell
// never waits for an engine that is gone. removeBreakpoint of an unknown index throws
// CommandErrorException; removing an unknown condition does nothing, removing by label removes
// every condition with that label. Operations on a null
// data object throw "Object not found", on a null block (except annotateSdf's root)
// "Block not found"; getValue of an object without a seeded value throws "No value for PATH".
// The read-only operations (getValue, getStatus, getCurrentScope ...) honour only throwing
// reactions; events scripted for them are dropped.
// A reaction that delivers events sets the simulation time to the time of its last named event.
// A scripted event whose time is `RequestEndTime` takes the time at which the request would have
// ended by default (for run(t): the current time + t).
//
// Script text (loadScript). One directive per line; blank lines and lines whose first non-blank
// character is '#' are ignored. Words are separated by blanks; a double-quoted part may hold
// blanks and the escapes \" \\ \n \t. Times are femtoseconds or a number with a unit suffix
// (fs ps ns us ms s), e.g. 10ns.
//     resolution -9                      time resolution (power of ten of seconds)
//     value /top/clk 1                   seed the value of an object path
//     time 5ns                           set the current simulation time
//     status 0                           status code reported by getStatus (1 ready, 0 busy)
//     step-location top.v 3              file and line of the default end-stepping event
//     driver /top/q /top/u1/d "1"        add a driver record of /top/q: the design object (or
//                                        block) at the second path and its text
//     load /top/q /top/u2/a 3            add a load record of /top/q: the object and its index
//     on REQUEST REACTION                queue a reaction for the next call of REQUEST
// REQUEST is an operation name (run, runAll, step, restart, quit, addBreakpoint, vcdDumpFile,
// ...) or "start". REACTION is one of
//     error "message"                    the call throws CommandErrorException
//     interrupt                          the call throws Orvex::InterruptException
//     answer true|false                  quit only: the answer (true also terminates)
//     ITEM [then ITEM ...]               deliver these events, in order, instead of the default
// where ITEM is one of
//     event NAME [file=F] [line=N] [time=T] [id=N]   named event (id: condition id)
//     text "output"                      engine text output (kind 3)
//     die "message"                      unexpected termination (kind 2)
//     hang                               engine hang (kind 6); no end-of-request event follows
//     ready                              engine ready (kind 0)
// So several events of one request are one line joined by "then", e.g.
//     on run event condition-met id=1 then event breakpoint-hit file=top.v line=12
// while several "on run" lines queue reactions for successive run calls.
// A malformed line throws std::runtime_error naming the line number and its text.
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
/// An event of the given kind with no other field set (ready, hang, capture resumed).
EngineEvent plainEvent(EngineEventKind kind);

/// What one call of an operation does instead of its default behaviour.
struct Reaction {
    enum class Kind { Events, ThrowInterrupt, ThrowError, Answer };

    Kind kind = Kind::Events;
    std::vector<EngineEvent> events; // Kind::Events: delivered in order after the call
    std::string message;             // Kind::ThrowError: the exception's description
    bool accept = true;              // Kind::Answer: what quit returns

    static Reaction deliver(std::vector<EngineEvent> events);
    /// The engine dies: an unexpected termination event with this text.
    static Reaction die(const std::string& text);
    static Reaction throwInterrupt();
    static Reaction throwError(const std::string& message);
    static Reaction answer(bool accept);
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
    // Appends one line to the call log. Requires mutex_ held.
    void log(const std::string& line) const;
    // Consumes the oldest reaction scripted for `operation`: a throwing one is thrown here,
    // any other is returned. Requires mutex_ held.
    std::optional<Reaction> takeReaction(const std::string& operation) const;
    // log() then takeReaction().
    std::optional<Reaction> record(const std::string& operation, const std::string& line) const;
    // Queues a reaction's events; `endTime` replaces RequestEndTime in them. Requires mutex_.
    void perform(const Reaction& reaction, std::int64_t endTime);
    // record() and perform() for an operation without a default event.
    void simpleCall(const std::string& operation, const std::string& line);
    // Refuses a blocking request once the engine has terminated. Requires mutex_ held.
    void requireRunning(const std::string& operation) const;
    void enqueueLocked(const EngineEvent& event);
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
