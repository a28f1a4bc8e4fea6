// The engine double delivers events as the shell expects them (on its own thread, in order,
// after the request returned), serves scripted reactions in order, and rejects bad scripts.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "EngineDouble.h"

using namespace Tavrin;
using namespace Tavrin::Test;

namespace {

/// Waits for blocking requests the way the shell does: the request is issued under the state
/// mutex, and the caller waits until a named event or a termination clears the busy flag.
class WaitingHandler : public IEventHandler {
public:
    void handleEvent(const EngineEvent& event) override {
        std::lock_guard<std::mutex> lock(mutex_);
        events_.push_back(event);
        threads_.push_back(std::this_thread::get_id());
        if (event.kind == NamedSimulationEvent || event.kind == EngineTerminatedEvent) {
            busy_ = false;
            changed_.notify_all();
        }
    }

    /// Issues a request and waits (bounded) for its end; false when no end arrived.
    template <typename Request> bool request(Request issue) {
        std::unique_lock<std::mutex> lock(mutex_);
        busy_ = true;
        issue();
        return changed_.wait_for(lock, std::chrono::seconds(5), [this] { return !busy_; });
    }

    std::vector<EngineEvent> events() {
        std::lock_guard<std::mutex> lock(mutex_);
        return events_;
    }
    std::vector<std::thread::id> threads() {
        std::lock_guard<std::mutex> lock(mutex_);
        return threads_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool busy_ = false;
    std::vector<EngineEvent> events_;
    std::vector<std::thread::id> threads_;
};

class CountingHandler : public IEventHandler {
public:
    void handleEvent(const EngineEvent&) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        ++count;
    }
    std::atomic<int> count{0};
};

class FakeObject : public IDataObj {
public:
    explicit FakeObject(std::string path) : path_(std::move(path)) {}
    int getObjectKind() const override { return ScalarObjectKind; }
    StringBase getPath() const override { return path_; }
    StringBase getName() const override { return path_; }
    IBlock* getParent() const override { return nullptr; }
    void getDisplayName(StringBase& name) const override { name = path_; }
    const IType* getType() const override { return nullptr; }
    const IObjectClass* getObjectClass() const override { return nullptr; }

private:
    std::string path_;
};

std::string describe(const EngineEvent& event) {
    std::ostringstream out;
    out << event.kind;
    if (event.kind == NamedSimulationEvent)
        out << " " << event.name << " t=" << event.time << " " << event.file << ":" << event.line
            << " id=" << event.conditionId;
    if (event.kind == EngineTerminatedEvent)
        out << " expected=" << event.expected << " " << event.text;
    if (event.kind == EngineTextEvent)
        out << " " << event.text;
    return out.str();
}

std::vector<std::string> describeAll(const std::vector<EngineEvent>& events) {
    std::vector<std::string> out;
    for (const EngineEvent& event : events)
        out.push_back(describe(event));
    return out;
}

std::string loadError(const std::string& script) {
    EngineDouble engine;
    std::istringstream in(script);
    try {
        engine.loadScript(in);
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "no error";
}

} // namespace

TEST(EngineDouble, BlockingRequestsEndByEventsFromAnotherThreadInOrder) {
    EngineDouble engine;
    WaitingHandler handler;
    engine.addEventHandler(&handler);
    engine.start();
    engine.setStepLocation("cpu.v", 7);

    // Each wait only ends if the event arrives after the request returned and released the
    // mutex, i.e. from the engine's thread.
    ASSERT_TRUE(handler.request([&] { engine.run(10000000); }));
    ASSERT_TRUE(handler.request([&] { engine.run(5000); }));
    ASSERT_TRUE(handler.request([&] { engine.step(); }));
    ASSERT_TRUE(handler.request([&] { engine.runAll(); }));
    ASSERT_TRUE(handler.request([&] { engine.restart(); }));
    engine.waitIdle();

    EXPECT_EQ(describeAll(handler.events()),
              (std::vector<std::string>{"0",
                                        "1 run-complete t=10000000 :0 id=0",
                                        "1 run-complete t=10005000 :0 id=0",
                                        "1 end-stepping t=10005000 cpu.v:7 id=0",
                                        "1 run-complete t=10005000 :0 id=0",
                                        "1 restart-complete t=0 :0 id=0"}));
    for (std::thread::id id : handler.threads())
        EXPECT_NE(id, std::this_thread::get_id());
    EngineStatus status;
    EXPECT_EQ(engine.getStatus(status).time, 0);
    EXPECT_EQ(status.code, 1u);
}

TEST(EngineDouble, ScriptedReactionsAreServedOncePerCallInOrder) {
    EngineDouble engine;
    WaitingHandler handler;
    engine.addEventHandler(&handler);
    engine.script("run", Reaction::deliver({namedEvent("condition-met", RequestEndTime, "", 0, 2),
                                            namedEvent("breakpoint-hit", 400, "top.v", 12)}));
    engine.script("run", Reaction::die("Segmentation fault"));

    ASSERT_TRUE(handler.request([&] { engine.run(1000); }));
    engine.waitIdle();
    EXPECT_EQ(engine.currentTime(), 400); // the last named event sets the time
    ASSERT_TRUE(handler.request([&] { engine.step(); })); // other requests keep their default
    ASSERT_TRUE(handler.request([&] { engine.run(1000); }));
    engine.waitIdle();

    EXPECT_EQ(describeAll(handler.events()),
              (std::vector<std::string>{"1 condition-met t=1000 :0 id=2",
                                        "1 breakpoint-hit t=400 top.v:12 id=0",
                                        "1 end-stepping t=400 top.v:1 id=0",
                                        "2 expected=0 Segmentation fault"}));
    // A terminated engine refuses blocking requests rather than leaving the caller waiting.
    EXPECT_THROW(engine.run(1000), Orvex::InterruptException);
    EXPECT_EQ(engine.calls(),
              (std::vector<std::string>{"addEventHandler", "run 1000", "step", "run 1000",
                                        "run 1000"}));
}

TEST(EngineDouble, ThrowingReactionsAndQuitAnswers) {
    EngineDouble engine;
    engine.script("vcdDumpFile", Reaction::throwError("cannot open file x.vcd"));
    engine.script("run", Reaction::throwInterrupt());
    try {
        engine.vcdDumpFile("x.vcd");
        FAIL() << "no error thrown";
    } catch (const CommandErrorException& error) {
        EXPECT_STREQ(error.getDescription(), "cannot open file x.vcd");
    }
    EXPECT_NO_THROW(engine.vcdDumpFile("x.vcd"));
    EXPECT_THROW(engine.run(10), Orvex::InterruptException);

    engine.script("quit", Reaction::answer(false));
    EXPECT_FALSE(engine.quit(false, true));
    EXPECT_FALSE(engine.terminated());
    EXPECT_TRUE(engine.quit(true, false));
    EXPECT_TRUE(engine.terminated());
    EXPECT_EQ(engine.calls(),
              (std::vector<std::string>{"vcdDumpFile x.vcd", "vcdDumpFile x.vcd", "run 10",
                                        "quit 0 1", "quit 1 0"}));
}

TEST(EngineDouble, ValuesBreakpointsAndNullObjects) {
    EngineDouble engine;
    FakeObject clk("/top/clk");
    engine.setSignalValue("/top/clk", "1");
    StringBase value;
    engine.getValue(&clk, value, HexRadix);
    EXPECT_EQ(value, "1");
    engine.setValue(&clk, "0", BinRadix);
    engine.getValue(&clk, value, HexRadix);
    EXPECT_EQ(value, "0");
    try {
        engine.getValue(nullptr, value, HexRadix);
        FAIL() << "no error thrown";
    } catch (const CommandErrorException& error) {
        EXPECT_STREQ(error.getDescription(), "Object not found");
    }
    EXPECT_THROW(engine.removeForce(nullptr), CommandErrorException);

    engine.addBreakpoint({"top.v", 12});
    engine.addBreakpoint({"top.v", 20});
    engine.removeBreakpoint(1);
    EXPECT_THROW(engine.removeBreakpoint(1), CommandErrorException);
    std::vector<BreakpointListEntry> list;
    engine.getBreakpointList(list);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].index, 2);
    EXPECT_EQ(list[0].line, 20);

    EXPECT_EQ(engine.calls(),
              (std::vector<std::string>{"getValue /top/clk 4", "setValue /top/clk 0 2",
                                        "getValue /top/clk 4", "getValue <null> 4",
                                        "removeForce <null>", "addBreakpoint top.v 12",
                                        "addBreakpoint top.v 20", "removeBreakpoint 1",
                                        "removeBreakpoint 1", "getBreakpointList"}));
}

TEST(EngineDouble, DestructionStopsDeliveryCleanly) {
    CountingHandler handler;
    {
        EngineDouble engine;
        engine.addEventHandler(&handler);
        for (int i = 0; i < 200; ++i)
            engine.deliver(textEvent("x"));
    }
    const int delivered = handler.count;
    EXPECT_LT(delivered, 200);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(handler.count, delivered);
}

TEST(EngineDoubleScript, DirectivesSeedStateAndQueueReactions) {
    EngineDouble engine;
    WaitingHandler handler;
    engine.addEventHandler(&handler);
    std::istringstream script(
        "# a comment, then a blank line\n"
        "\n"
        "resolution -9\n"
        "value /top/bus \"10 10\"\n"
        "time 2ns\n"
        "on run text \"out\\n\" then event breakpoint-hit file=\"my top.v\" line=12\n"
        "on run event vlog-finish file=tb.v line=40 time=1us\n"
        "on run hang\n"
        "on addBreakpoint error \"no such file\"\n"
        "on quit answer false\n");
    engine.loadScript(script);

    EXPECT_EQ(engine.getTimeResolution(), -9);
    FakeObject bus("/top/bus");
    StringBase value;
    engine.getValue(&bus, value, NoRadix);
    EXPECT_EQ(value, "10 10");
    ASSERT_TRUE(handler.request([&] { engine.run(1000); }));
    ASSERT_TRUE(handler.request([&] { engine.run(1000); }));
    engine.run(1000); // a hang: only the hang event, no end of the request
    EXPECT_THROW(engine.addBreakpoint({"a.v", 1}), CommandErrorException);
    EXPECT_FALSE(engine.quit(false, false));
    engine.waitIdle();
    EXPECT_EQ(describeAll(handler.events()),
              (std::vector<std::string>{"3 out\n", "1 breakpoint-hit t=2001000 my top.v:12 id=0",
                                        "1 vlog-finish t=1000000000 tb.v:40 id=0", "6"}));
}

TEST(EngineDoubleScript, MalformedLinesAreRejectedWithTheirLineNumber) {
    const char* bad[] = {
        "on rum event run-complete",                 // unknown request
        "on run event",                              // event without a name
        "on run event breakpoint-hit line=twelve",   // bad number
        "on run event breakpoint-hit colour=red",    // unknown field
        "on run event a then",                       // dangling then
        "on step answer true",                       // answer outside quit
        "on run die \"unterminated",                 // open quote
        "on run error",                              // missing message
        "value /top/clk",                            // missing value
        "time 10 parsecs",                           // wrong count
        "time 10parsecs",                            // bad unit
        "resolution 3",                              // out of range
        "frobnicate",                                // unknown directive
    };
    for (const char* line : bad) {
        const std::string message = loadError(std::string("# ok\nvalue /a 1\n") + line + "\n");
        EXPECT_NE(message.find("line 3:"), std::string::npos) << line << " -> " << message;
        EXPECT_NE(message.find(line), std::string::npos) << message;
    }
    const std::string overflow = loadError("on run event x time=99999999999999999999s\n");
    EXPECT_NE(overflow.find("line 1:"), std::string::npos) << overflow;
}
