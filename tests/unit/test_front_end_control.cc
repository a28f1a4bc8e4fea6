// FrontEndControl on the stand-in engine: the ready sequence with the design load, answers
// mapped to the reader's objects, request encoding, engine errors, malformed lines, an engine
// that hangs, refuses to quit or cannot start, and shut-down. (Stop events of run, step, run all
// and restart, and an engine killed or ended: e2e.test_run_semantics, reliability.engine_death,
// reliability.hung_engine and the Transport tests.)
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

#include "EngineProcessKit.h"
#include "orvex/FakeDataReader.h"
#include "orvex/FrontEndControl.h"

using namespace Tavrin;
using namespace EngineProcessKit;

namespace {

class Control : public ::testing::Test {
protected:
    void TearDown() override { control.reset(); }

    // Starts the stand-in engine and waits until it is ready.
    void startEngine(const std::string& options = "", bool handleHang = false) {
        control = std::make_unique<FrontEndControl>(transport, reader, handleHang);
        control->addEventHandler(&handler);
        transport.start(fakeEngine(options));
        ASSERT_TRUE(handler.waitFor(EngineReadyEvent));
    }

    std::string description(const std::function<void()>& action) {
        try {
            action();
        } catch (const Orvex::Exception& e) {
            return e.getDescription();
        }
        return "(no error)";
    }

    IDataObj* object(const char* path) { return reader.findDataObj(path); }

    DataReader reader{DataReader::LiveMode, "", "wave.wdb", 0};
    BoostProcessTransport transport;
    RecordingHandler handler;
    std::unique_ptr<FrontEndControl> control;
};

// The requests the engine received, without their tokens.
std::vector<std::string> requestsIn(const std::string& logFile) {
    std::vector<std::string> lines;
    std::ifstream log(logFile);
    for (std::string line; std::getline(log, line);)
        lines.push_back(line.substr(line.find('-') + 1));
    return lines;
}

} // namespace

TEST_F(Control, ReadyIsDeliveredOnlyOnceTheDesignIsLoaded) {
    bool loadedAtReady = false;
    handler.onEvent = [&](const EngineEvent& event) {
        if (event.kind == EngineReadyEvent)
            loadedAtReady = reader.findDataObj("/top/u1/q") != nullptr;
    };
    startEngine();
    EXPECT_TRUE(loadedAtReady);
    EXPECT_EQ(control->getTimeResolution(), -9);
    EXPECT_EQ(control->getCurrentScope(), reader.findBlock("/top"));
}

TEST_F(Control, HandlersMayUseTheControlWhileAnEventIsDeliveredAndSeeTheDesignsOutput) {
    std::string valueSeen;
    handler.onEvent = [&](const EngineEvent& event) {
        if (event.kind == NamedSimulationEvent) {
            StringBase value;
            control->getValue(reader.findDataObj("/top/u1/q"), value, HexRadix);
            valueSeen = value.str();
        }
    };
    startEngine("--print");
    control->run(1);
    ASSERT_TRUE(handler.waitFor(NamedSimulationEvent));
    EXPECT_EQ(valueSeen, "/top/u1/q hex");
    // Standard output and standard error of the engine both become text events.
    EXPECT_TRUE(eventually([&] {
        const std::string text = handler.text();
        return text.find("design says hi\n") != std::string::npos &&
               text.find("design warns\n") != std::string::npos;
    })) << handler.text();
}

TEST_F(Control, AnswersAreMappedBackToTheReadersObjects) {
    startEngine();
    IDataObj* q = object("/top/u1/q");
    ASSERT_NE(q, nullptr);

    StringBase value;
    control->getValue(object("/top/mem[3]"), value, BinRadix);
    EXPECT_EQ(value, "/top/mem[3] bin");

    ValueMap values; // unknown paths and blocks are left out; elements are found
    control->getBlockValues(reader.findBlock("/top"), values, DefaultRadix);
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[object("/top/clk")], "1");
    EXPECT_EQ(values[object("/top/mem[2]")], "8'h0f");

    DriverMap drivers;
    control->getDrivers(q, drivers);
    ASSERT_EQ(drivers.size(), 1u);
    const std::vector<DriverRecord>& ofQ = drivers[q];
    ASSERT_EQ(ofQ.size(), 2u);
    EXPECT_EQ(ofQ[0].driver, reader.findBlock("/top/u1/p0"));
    EXPECT_EQ(ofQ[0].text, "always");
    EXPECT_EQ(ofQ[1].driver, object("/top/clk"));
    EXPECT_EQ(ofQ[1].text, "0"); // without a text, the kind

    LoadMap loads;
    control->getLoads(q, loads);
    ASSERT_EQ(loads[q].size(), 1u);
    EXPECT_EQ(loads[q][0].load, reader.findBlock("/top/u1"));
    EXPECT_EQ(loads[q][0].index, 2);

    std::vector<BreakpointListEntry> breakpoints{BreakpointListEntry{}};
    control->getBreakpointList(breakpoints);
    ASSERT_EQ(breakpoints.size(), 2u);
    EXPECT_EQ(breakpoints[1].index, 3);
    EXPECT_EQ(breakpoints[1].file, "cell.v");
    EXPECT_EQ(breakpoints[1].line, 12);

    EXPECT_EQ(control->addCondition(Condition{"\"clk == 1\"", HexRadix, "c1"}), 7);
    std::vector<ConditionListEntry> conditions;
    control->getConditionList(conditions);
    ASSERT_EQ(conditions.size(), 2u);
    EXPECT_EQ(conditions[0].expression, "\"clk == 1\"");
    EXPECT_EQ(conditions[0].radix, HexRadix); // listed by name
    EXPECT_EQ(conditions[1].radix, DecRadix); // listed by number
    EXPECT_EQ(conditions[0].label, "c1");

    EngineStatus status;
    EXPECT_EQ(&control->getStatus(status), &status);
    EXPECT_EQ(status.code, 1u);
    EXPECT_EQ(status.time, 42);
}

TEST_F(Control, RequestsCarryTheirArgumentsInProtocolForm) {
    char name[] = "/tmp/orvex-requests-XXXXXX";
    const int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    close(fd);
    startEngine(std::string("--log ") + name);
    IDataObj* q = object("/top/u1/q");

    ForceCriteria force;
    force.values = {ForceValue{"1", 0, BinRadix}, ForceValue{"0f", 50, HexRadix}};
    force.repeat = 100;
    control->addForce(q, force);
    control->setValue(q, "8'hff", NoRadix);
    control->ntraceStart();
    control->ntraceStart();
    control->vcdDumpVars(nullptr, 0);
    control->annotateSdf(2, "d.sdf", reader.findBlock("/top/u1"), true, false);
    control->addBreakpoint(BreakpointLocation{"top v.v", 5});
    control->setPathPulse(-1, 20);
    reader.setCurrentScope(reader.findBlock("/top/u1"));
    control->addCondition(Condition{"\"q == 0f\"", DefaultRadix, "c"});
    StringBase value;
    control->getValue(object("../mem(2)"), value, BinRadix);
    control->quit(true, false);

    const std::vector<std::string> expected = {
        "design",
        "force-add \"/top/u1/q\" \"100\" \"-1\" \"1\" \"0\" \"bin\" \"0f\" \"50\" \"hex\"",
        "set-value \"/top/u1/q\" \"8'hff\" \"noradix\"",
        "wdb \"wave.wdb\"", // named once, before the first ntrace-start
        "ntrace-start",
        "ntrace-start",
        "vcd-vars \"\" \"0\"",
        "sdf-annotate \"2\" \"d.sdf\" \"/top/u1\" \"1\" \"0\"",
        "bp-add \"top v.v\" \"5\"",
        "path-pulse \"-1\" \"20\"",
        // names in a condition resolve from the current scope; selects go out in one form
        "cond-add \"\\\"q == 0f\\\"\" \"default\" \"c\" \"/top/u1\"",
        "value \"/top/mem[2]\" \"bin\"",
        "quit \"1\" \"0\"",
    };
    ASSERT_TRUE(handler.waitFor(EngineTerminatedEvent));
    EXPECT_EQ(requestsIn(name), expected);
    std::remove(name);
}

TEST_F(Control, RefusalsBecomeCommandErrorsWithTheEnginesMessage) {
    startEngine("--fail-on bp-add");
    EXPECT_EQ(description([&] { control->addBreakpoint(BreakpointLocation{"top.v", 3}); }),
              "bp-add refused");
    EXPECT_THROW(control->addBreakpoint(BreakpointLocation{"top.v", 3}), CommandErrorException);

    StringBase value;
    EXPECT_EQ(description([&] { control->getValue(nullptr, value, HexRadix); }),
              "Object not found");
    EXPECT_EQ(description([&] { control->removeForce(nullptr); }), "Object not found");
    EXPECT_EQ(description([&] { control->setCurrentScope(nullptr); }), "No such HDL block.");
    FakeDataReader other;
    IBlock* foreign = other.addBlock(nullptr, "top", VerilogInstance);
    EXPECT_EQ(description([&] { control->setCurrentScope(foreign); }), "No such HDL block.");

    IBlock* u1 = reader.findBlock("/top/u1");
    control->setCurrentScope(u1);
    EXPECT_EQ(control->getCurrentScope(), u1);
    EXPECT_EQ(reader.findDataObj("q"), object("/top/u1/q")); // names resolve in the new scope
}

TEST_F(Control, MalformedLinesAreReportedAndDoNotBreakTheConversation) {
    startEngine("--garbage --garble value");
    EXPECT_TRUE(eventually([&] { return handler.text().find("still talking") != std::string::npos; }));
    const std::string text = handler.text();
    EXPECT_NE(text.find("Malformed line from the simulation engine: "), std::string::npos) << text;
    EXPECT_NE(text.find("this is not a record"), std::string::npos) << text;
    EXPECT_NE(text.find("reason=\"broken"), std::string::npos) << text;
    EXPECT_EQ(handler.count(NamedSimulationEvent), 0);

    // A garbled answer fails its own request at once rather than leaving it waiting.
    const std::string error = description([&] {
        StringBase value;
        control->getValue(object("/top/clk"), value, HexRadix);
    });
    EXPECT_EQ(error.rfind("Malformed answer from the simulation engine: ", 0), 0u) << error;
    EngineStatus status;
    EXPECT_EQ(control->getStatus(status).time, 42);
}

TEST_F(Control, ASilentEngineGivesAnInterruptWithinTheLimit) {
    startEngine("--hang-on status", true);
    control->setRequestTimeout(300ms);
    EngineStatus status;
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_THROW(control->getStatus(status), Orvex::InterruptException);
    EXPECT_LT(std::chrono::steady_clock::now() - begin, 5s);
    EXPECT_EQ(description([&] { control->getStatus(status); }),
              "The simulation engine did not answer 'status' within 300 ms.");

    ASSERT_TRUE(handler.waitFor(EngineHangEvent));
    EXPECT_EQ(handler.count(EngineHangEvent), 1); // once per engine, not per request
    // The engine still answers other requests; a late answer to the lost one is ignored. (A
    // limit a loaded machine can keep: this answer is not the one under test.)
    control->setRequestTimeout(10000ms);
    control->vcdDumpFlush();
}

TEST_F(Control, ARequestTheEngineReportsProgressOnOutlastsTheLimit) {
    startEngine("--slow-on status", true);
    control->setRequestTimeout(300ms); // the engine works for 1 s, reporting every 100 ms
    EngineStatus status;
    EXPECT_EQ(control->getStatus(status).code, 1u);
    EXPECT_EQ(handler.count(EngineHangEvent), 0);
}

TEST_F(Control, WithoutHangHandlingATimeoutDeliversNoHangEvent) {
    startEngine("--hang-on status", false);
    control->setRequestTimeout(200ms);
    EngineStatus status;
    EXPECT_THROW(control->getStatus(status), Orvex::InterruptException);
    control->setRequestTimeout(10000ms); // a limit a loaded machine can keep
    control->vcdDumpOn(); // events queued before this answer have been delivered by now
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(handler.count(EngineHangEvent), 0);
}

TEST_F(Control, AskedForEndsAreExpectedTerminations) {
    startEngine("--refuse-quit");
    EXPECT_FALSE(control->quit(false, false));
    EngineStatus status;
    EXPECT_EQ(control->getStatus(status).code, 1u); // still running
    control->exitSimulation();
    EngineEvent ended;
    ASSERT_TRUE(handler.waitFor(EngineTerminatedEvent, &ended));
    EXPECT_TRUE(ended.expected);
    EXPECT_EQ(ended.text, "Simulation engine exited with status 0\n");
}

TEST_F(Control, EngineThatCannotStartEndsUnexpectedlyNamingTheProgram) {
    control = std::make_unique<FrontEndControl>(transport, reader);
    control->addEventHandler(&handler);
    EXPECT_EQ(description([&] { control->stop(); }), "Simulation engine is not running");
    transport.start("orvex-no-such-engine-here -simrunnum 0");
    EngineEvent ended;
    ASSERT_TRUE(handler.waitFor(EngineTerminatedEvent, &ended));
    EXPECT_FALSE(ended.expected);
    EXPECT_EQ(ended.text, "Cannot run the simulation engine 'orvex-no-such-engine-here': No "
                          "such file or directory\n");
    EXPECT_EQ(handler.count(EngineReadyEvent), 0);
}

TEST_F(Control, DestroyingTheControlEndsAnEngineThatIgnoresExit) {
    startEngine("--ignore-exit");
    const int pid = transport.getProcessId();
    const auto begin = std::chrono::steady_clock::now();
    control.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - begin, 8s);
    EXPECT_FALSE(transport.isRunning());
    EXPECT_EQ(waitpid(pid, nullptr, WNOHANG), -1);
    EXPECT_TRUE(processGone(pid));
}
