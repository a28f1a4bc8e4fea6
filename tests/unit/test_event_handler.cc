// Engine events as the shell handles them, with the engine double delivering them on its own
// thread: the stops and condition scripts no transcript or run against vvp can arrange, and the
// engine lifecycle table.
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

    ScratchDir dir;
    const std::string log = dir.file("orvex.log");
    FakeDataReader design;
    EngineDouble engine{&design, -12};
    RecordingConsole console;
    std::unique_ptr<TclControl> control{new TclControl(&console, false)};
    Tcl_Interp* interp = nullptr;
};

// What the transcripts (events, engine_death, engine_hang, orvex_conditions) and
// e2e.test_run_semantics cannot show: a stop without a place, a finish that leaves a host
// console's session going, design text without a line end held back from the log until a flush,
// and a condition whose script is empty.
TEST_F(EventHandlerTest, StopsWithoutAPlaceFinishesAtAHostConsoleAndPartialLines) {
    addScript(6, "");
    engine.script("run", events({namedEvent("user-stop", 9000000)}));
    engine.script("run", events({conditionMet(6)}));
    engine.script("runAll", events({namedEvent("vlog-finish", RequestEndTime, "tb.v", 40)}));
    engine.script("runAll", events({textEvent("count = 3"), namedEvent("some-other-event")}));
    impl()->runFor(1000000);
    impl()->runFor(1000000);
    impl()->runAll();
    EXPECT_FALSE(impl()->events().quitPending());
    impl()->runFor(1000000); // the shell goes on
    impl()->runAll();
    const std::string lines = "Stopped at time : 9 ns : Stop requested\n"
                              "Stopped at time : 10 ns : Condition 6 met\n"
                              "Unable to find script corresponding to condition\n"
                              "Stopped at time : 10 ns : File \"tb.v\" Line 40\n";
    EXPECT_EQ(settledConsole(), lines + "count = 3"); // no line end is added
    EXPECT_EQ(engine.calls(),
              (std::vector<std::string>{"run 1000000", "run 1000000", "runAll", "run 1000000", "runAll"}));
    // The log takes whole lines, so that sessions sharing it never mix within a line: the start
    // of a line waits for its end, or for the log to be flushed.
    EXPECT_EQ(readFile(log), lines);
    impl()->flushLog();
    EXPECT_EQ(readFile(log), lines + "count = 3");
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
