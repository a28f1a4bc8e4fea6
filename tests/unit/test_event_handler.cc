// Engine events as the shell handles them, with the engine double delivering them on its own
// thread: stop lines, the end of blocking requests, the scripts of met conditions, and the
// engine's death or silence during a request and while idle.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "EngineDouble.h"
#include "ShellTestSupport.h"
#include "control/EngineLifecycle.h"
#include "control/TclControlImpl.h"
#include "orvex/FakeDataReader.h"
#include "tavrin/SimClient.h"
#include "tavrin/TclControl.h"
#include "tavrin/commands/FlowCommands.h"

using namespace Tavrin;
using namespace Tavrin::Test;

namespace {

std::string unexpectedEnd(const std::string& log) {
    return "The simulator has terminated in an unexpected manner.  Please review the Orvex log (" +
           log + ") for details.\n";
}

Reaction events(std::vector<EngineEvent> list) { return Reaction::deliver(std::move(list)); }

EngineEvent conditionMet(int id) { return namedEvent("condition-met", RequestEndTime, "", 0, id); }

/// A started engine double behind a live client, a control on a host console with a log, and
/// an interpreter for condition scripts.
class EventHandlerTest : public ::testing::Test {
protected:
    EventHandlerTest() {
        design.addBlock(nullptr, "tb", VerilogInstance);
        control->setLiveSimClient(
            new LiveSimClient(&engine, &design, [this] { engine.start(); }, false));
        control->startEngineProcess(log.c_str(), false);
        Tcl_FindExecutable(nullptr);
        interp = Tcl_CreateInterp();
        impl()->setInterpreter(interp);
        engine.clearCalls();
    }
    ~EventHandlerTest() override {
        engine.waitIdle();
        impl()->setInterpreter(nullptr);
        Tcl_DeleteInterp(interp);
        control.reset();
    }
    TclControlImpl* impl() { return control->getImpl(); }
    /// The control owns the condition records once they are in its table.
    void addScript(int id, const std::string& script) {
        TclCondition* condition = new TclCondition;
        condition->script = script;
        condition->id = id;
        impl()->getConditionScripts()[id] = condition;
    }
    std::string var(const char* name) {
        const char* value = Tcl_GetVar(interp, name, TCL_GLOBAL_ONLY);
        return value ? value : "<unset>";
    }
    /// Console text once every queued event has been handled.
    std::string settledConsole() {
        engine.waitIdle();
        return console.text();
    }
    int callCount(const std::string& call) {
        std::vector<std::string> calls = engine.calls();
        return static_cast<int>(std::count(calls.begin(), calls.end(), call));
    }

    ScratchDir dir;
    const std::string log = dir.file("orvex.log");
    FakeDataReader design;
    EngineDouble engine{&design, -12};
    RecordingConsole console;
    std::unique_ptr<TclControl> control{new TclControl(&console, false)};
    Tcl_Interp* interp = nullptr;
};

TEST_F(EventHandlerTest, BreakpointAndStepEndsPrintTheStopLineToConsoleAndLog) {
    engine.script("run", events({namedEvent("breakpoint-hit", RequestEndTime, "top.vhd", 12)}));
    impl()->runFor(10000000);
    engine.setStepLocation("top.vhd", 13);
    impl()->step();
    const std::string expected = "Stopped at time : 10 ns : File \"top.vhd\" Line 12\n"
                                 "Stopped at time : 10 ns : File \"top.vhd\" Line 13\n";
    EXPECT_EQ(settledConsole(), expected);
    EXPECT_EQ(readFile(log), expected);
}

TEST_F(EventHandlerTest, OtherEventsEndARunSilentlyAndEngineOutputIsPassedThrough) {
    impl()->runFor(5000); // ends with the double's own "run-complete"
    engine.script("runAll", events({textEvent("count = 3"), namedEvent("some-other-event")}));
    impl()->runAll();
    EXPECT_EQ(engine.calls(), (std::vector<std::string>{"run 5000", "runAll"}));
    EXPECT_EQ(settledConsole(), "count = 3"); // no line end is added
    // The log takes whole lines, so that sessions sharing it never mix within a line: the start
    // of a line waits for its end, or for the log to be flushed.
    EXPECT_EQ(readFile(log), "");
    impl()->flushLog();
    EXPECT_EQ(readFile(log), "count = 3");
}

TEST_F(EventHandlerTest, ConditionMetRunsTheScriptOfItsIdOnceAfterTheRequest) {
    addScript(1, "set ::one 1");
    addScript(2, "set ::two 2");
    engine.script("run", events({conditionMet(2)}));
    impl()->runFor(10);
    EXPECT_EQ(var("two"), "2");
    EXPECT_EQ(var("one"), "<unset>");
    EXPECT_TRUE(impl()->events().pendingConditions().empty());
    Tcl_UnsetVar(interp, "two", TCL_GLOBAL_ONLY);
    impl()->runFor(10);
    EXPECT_EQ(var("two"), "<unset>");
    EXPECT_EQ(settledConsole(), "Stopped at time : 10 fs : Condition 2 met\n");
}

TEST_F(EventHandlerTest, ConditionScriptMayRunTheSimulationOnItself) {
    // A common script records something and goes on running; the inner run must not find the
    // condition it was started for still pending. The counter bounds the loop such a fault makes.
    runCommand::registerCommand(interp, impl());
    addScript(2, "lappend ::hits [incr ::count]; if {$::count < 5} {run 10 ns}");
    engine.script("run", events({conditionMet(2)}));
    impl()->runFor(10);
    EXPECT_EQ(var("hits"), "1");
    EXPECT_EQ(engine.calls(), (std::vector<std::string>{"run 10", "run 10000000"}));
    EXPECT_EQ(settledConsole(), "Stopped at time : 10 fs : Condition 2 met\n");
}

TEST_F(EventHandlerTest, ConditionIdZeroOrNegativeSchedulesNothing) {
    addScript(0, "lappend ::ran zero");
    addScript(2, "lappend ::ran two");
    engine.script("run", events({conditionMet(0)}));
    engine.script("run", events({conditionMet(-1)}));
    impl()->runFor(10);
    impl()->runFor(10);
    EXPECT_EQ(var("ran"), "<unset>");
    // Nor does such an id displace a condition met earlier.
    engine.deliver(namedEvent("condition-met", 0, "", 0, 2));
    engine.deliver(namedEvent("condition-met", 0, "", 0, 0));
    engine.waitIdle();
    engine.script("run", events({conditionMet(-1)}));
    impl()->runFor(10);
    EXPECT_EQ(var("ran"), "two");
    // Only the stop for the real condition, not even a missing-script message.
    EXPECT_EQ(settledConsole(), "Stopped at time : 0 fs : Condition 2 met\n");
}

TEST_F(EventHandlerTest, AllConditionsOfOneStopRunInIdOrder) {
    addScript(1, "lappend ::ran one");
    addScript(3, "lappend ::ran three");
    EngineEvent met = conditionMet(1);
    met.conditionIds = {1, 3};
    engine.script("run", events({met}));
    impl()->runFor(10);
    EXPECT_EQ(var("ran"), "one three");
    EXPECT_EQ(settledConsole(), "Stopped at time : 10 fs : Conditions 1, 3 met\n");
}

TEST_F(EventHandlerTest, OnlyTheLastMetConditionBeforeTheEndRuns) {
    addScript(1, "set ::one 1");
    addScript(3, "set ::three 3");
    // The first condition is met while no request waits; the second ends the run.
    engine.deliver(namedEvent("condition-met", 0, "", 0, 1));
    engine.waitIdle();
    engine.script("run", events({conditionMet(3)}));
    impl()->runFor(10);
    EXPECT_EQ(var("three"), "3");
    EXPECT_EQ(var("one"), "<unset>");
}

TEST_F(EventHandlerTest, MissingScriptsAndFailingScriptsAreReported) {
    addScript(6, "");
    addScript(7, "error {bad things happened}");
    for (int id : {5, 6, 7}) {
        engine.script("run", events({conditionMet(id)}));
        impl()->runFor(10);
    }
    const std::string expected = "Stopped at time : 10 fs : Condition 5 met\n"
                                 "Unable to find script corresponding to condition\n"
                                 "Stopped at time : 20 fs : Condition 6 met\n"
                                 "Unable to find script corresponding to condition\n"
                                 "Stopped at time : 30 fs : Condition 7 met\n"
                                 "bad things happened\n";
    EXPECT_EQ(settledConsole(), expected);
    EXPECT_EQ(readFile(log), expected);
}

TEST_F(EventHandlerTest, EngineDeathDuringARunFailsTheRunAndIsReportedOnceWithItsCause) {
    engine.script("run", Reaction::die("Simulation engine exited with status 137 (signal 9)\n"));
    EXPECT_THROW(impl()->runFor(10), CommandErrorException);
    EXPECT_EQ(settledConsole(),
              "Simulation engine exited with status 137 (signal 9)\n" + unexpectedEnd(log));
    EXPECT_EQ(impl()->events().state(), EngineState::Ended);
    EXPECT_EQ(callCount("quit 1 0"), 0); // the engine is gone: nothing is asked of it
    EXPECT_EQ(control->getExitStatus(), 1);
}

TEST_F(EventHandlerTest, EngineNotRespondingIsReportedOnceAndEndsTheEngine) {
    impl()->setCurrentCommand("# run 10 ns");
    engine.script("run", Reaction::throwInterrupt());
    impl()->runFor(10000000);
    EXPECT_EQ(settledConsole(), "Command failed: # run 10 ns Simulation engine not responding\n"
                                "Simulation engine not responding\n"
                                "The simulation engine has been ended.\n");
    EXPECT_EQ(callCount("terminate"), 1);
    // Ended, and so no longer running: no command waits on it.
    EXPECT_EQ(impl()->events().state(), EngineState::Ended);
}

TEST_F(EventHandlerTest, FinishWithAHostConsolePrintsTheStopLineAndDoesNotQuit) {
    engine.script("runAll", events({namedEvent("vlog-finish", RequestEndTime, "tb.v", 40)}));
    impl()->runAll();
    EXPECT_FALSE(impl()->events().quitPending());
    impl()->runFor(1000000); // the shell goes on
    EXPECT_EQ(settledConsole(), "Stopped at time : 0 fs : File \"tb.v\" Line 40\n");
    EXPECT_EQ(engine.calls(), (std::vector<std::string>{"runAll", "run 1000000"}));
}

TEST_F(EventHandlerTest, EveryStopSaysWhy) {
    EngineEvent fatal = namedEvent("vlog-finish", 30000000, "tb.v", 9);
    fatal.status = 1;
    EngineEvent ended = namedEvent("run-complete", 40000000);
    ended.ended = true;
    engine.script("run", events({namedEvent("vlog-stop", 7000000, "tb.v", 5)}));
    engine.script("run", events({namedEvent("user-stop", 8000000, "tb.v", 6)}));
    engine.script("run", events({namedEvent("user-stop", 9000000)}));
    engine.script("run", events({namedEvent("run-complete", 10000000)})); // a timed run's end
    engine.script("run", events({ended}));
    engine.script("run", events({fatal}));
    for (int i = 0; i < 6; ++i) impl()->runFor(1000000);
    EXPECT_EQ(settledConsole(), "Stopped at time : 7 ns : $stop : File \"tb.v\" Line 5\n"
                                "Stopped at time : 8 ns : Stop requested : File \"tb.v\" Line 6\n"
                                "Stopped at time : 9 ns : Stop requested\n"
                                "Stopped at time : 40 ns : No more events\n"
                                "Stopped at time : 30 ns : $fatal : File \"tb.v\" Line 9\n");
    // As vvp exits 1 after $fatal, so does the shell.
    EXPECT_EQ(control->getExitStatus(), 1);
}

TEST_F(EventHandlerTest, EndWhileIdleIsReportedOnlyWhenUnexpected) {
    engine.deliver(terminationEvent(true, "normal end\n"));
    EXPECT_EQ(settledConsole(), "");
    engine.deliver(terminationEvent(false, "Engine crashed\n"));
    // With a host console the process goes on; the host decides what to do.
    EXPECT_EQ(settledConsole(), "Engine crashed\n" + unexpectedEnd(log));
    EXPECT_EQ(readFile(log), "Engine crashed\n" + unexpectedEnd(log));
}

TEST(EventHandlerNoLogTest, UnexpectedEndWhileIdleWithTheStandardConsoleGoesOnWithoutAnEngine) {
    FakeDataReader design;
    EngineDouble engine(&design, -12);
    TclControl control(nullptr, false);
    control.setLiveSimClient(new LiveSimClient(&engine, &design, [&engine] { engine.start(); }, false));
    control.startEngineProcess(nullptr, true);
    testing::internal::CaptureStdout();
    engine.deliver(terminationEvent(false, "Engine crashed"));
    engine.waitIdle();
    // No log to point to: the message says only what happened; the cause gets its line end.
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Engine crashed\nThe simulator has terminated in an unexpected manner.\n");
    EXPECT_EQ(control.getExitStatus(), 1);
}

// The whole lifecycle table: every input from every state. A run is over only through its stop
// event or the engine's end; a restart's ready event (inside the request) must not end it.
TEST(EngineLifecycleTest, EveryInputFromEveryState) {
    using S = EngineState;
    using I = EngineInput;
    const I inputs[] = {I::Start, I::ReadyEvent, I::RequestTaken, I::StopEvent, I::End};
    const struct {
        S from;
        S to[5]; // after Start, ReadyEvent, RequestTaken, StopEvent, End
    } table[] = {
        {S::Ended, {S::Starting, S::Ended, S::Ended, S::Ended, S::Ended}},
        {S::Starting, {S::Starting, S::Ready, S::Running, S::Starting, S::Ended}},
        {S::Ready, {S::Starting, S::Ready, S::Running, S::Ready, S::Ended}},
        {S::Running, {S::Starting, S::Running, S::Running, S::Stopped, S::Ended}},
        {S::Stopped, {S::Starting, S::Stopped, S::Running, S::Stopped, S::Ended}},
    };
    for (const auto& row : table)
        for (int i = 0; i < 5; ++i)
            EXPECT_STREQ(stateName(nextState(row.from, inputs[i])), stateName(row.to[i]))
                << "from " << stateName(row.from) << ", input " << i;
}

} // namespace
