// The control interface's output, settings and engine start-up: error reports, the time
// precision, settings forwarded to the engine, restart, the log's heading and every way the start
// of the engine can end. (Console and log text of whole sessions: the transcripts' .out and .log;
// a session without a log: reliability.engine_death.)
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "EngineDouble.h"
#include "ShellTestSupport.h"
#include "control/TclControlImpl.h"
#include "orvex/FakeDataReader.h"
#include "tavrin/SimClient.h"
#include "tavrin/TclControl.h"

using namespace Tavrin;
using namespace Tavrin::Test;

namespace {

bool called(const EngineDouble& engine, const std::string& call) {
    std::vector<std::string> calls = engine.calls();
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

Orvex::Exception withDescription(const std::string& text) {
    Orvex::Exception e("Orvex", __FILE__, ORVEX_REVISION, __LINE__);
    e.setDescription(text);
    return e;
}

/// A control on a recording console, with an engine double handed over as a live client.
class ControlTest : public ::testing::Test {
protected:
    ControlTest() {
        tb = design.addBlock(nullptr, "tb", VerilogInstance);
        design.addBlock(nullptr, "glbl", VerilogInstance);
    }
    ~ControlTest() override {
        engine.waitIdle();
        control.reset();
    }
    void attachEngine() {
        control->setLiveSimClient(new LiveSimClient(&engine, &design, [this] {
            ++starts;
            engine.start();
        }, false));
    }
    TclControlImpl* impl() { return control->getImpl(); }

    FakeDataReader design;
    IBlock* tb = nullptr;
    EngineDouble engine{&design, -12};
    RecordingConsole console;
    std::unique_ptr<TclControl> control{new TclControl(&console, false)};
    ScratchDir dir;
    int starts = 0;
};

TEST_F(ControlTest, ReportErrorPrintsPrefixAndDescription) {
    impl()->reportError(withDescription("Object not found"), "put");
    impl()->reportError(withDescription("Object not found"), "");
    impl()->reportError(withDescription("Object not found"), nullptr);
    // An empty description and no prefix: an empty text still reaches the console.
    impl()->reportError(withDescription(""), nullptr);
    impl()->reportError(withDescription(""), "wave");
    EXPECT_EQ(console.writes(), (std::vector<std::string>{"put: Object not found\n",
                                                          "Object not found\n", "Object not found\n",
                                                          "", "wave: "}));
}

TEST_F(ControlTest, TimePrecisionIsTheUserUnitInFemtoseconds) {
    const std::pair<int, std::int64_t> cases[] = {
        {-15, 1}, {-14, 10}, {-12, 1000}, {-9, 1000000}, {0, 1000000000000000LL}, {-20, 1}};
    for (auto [unit, femtoseconds] : cases) {
        impl()->setUserUnit(unit);
        EXPECT_EQ(control->getTimePrecision(), femtoseconds) << unit;
    }
}

TEST_F(ControlTest, DisplaySettingsReachTheEngineOnlyWhenOneExists) {
    impl()->setArrayDisplayLength(16);
    impl()->setMaxTraceableSize(1024);
    EXPECT_EQ(impl()->getArrayDisplayLength(), 16);
    EXPECT_EQ(impl()->getMaxTraceableSize(), 1024);
    attachEngine();
    // A value stored before the engine existed is not sent later.
    EXPECT_FALSE(called(engine, "setArrayDisplayLength 16"));
    impl()->setArrayDisplayLength(128);
    impl()->setMaxTraceableSize(4096);
    EXPECT_TRUE(called(engine, "setArrayDisplayLength 128"));
    EXPECT_TRUE(called(engine, "setMaxTraceableSize 4096"));
    EXPECT_EQ(impl()->getArrayDisplayLength(), 128);
    EXPECT_EQ(impl()->getMaxTraceableSize(), 4096);
}

TEST_F(ControlTest, RestartClearsTheOnErrorScriptAndScopesTheFirstTopLevelBlock) {
    attachEngine();
    control->startEngineProcess(nullptr, true);
    design.setCurrentScope(design.findBlock("/glbl"));
    impl()->setOnErrorScript("resume");
    engine.clearCalls();
    impl()->restart();
    EXPECT_EQ(impl()->getOnErrorScript(), "");
    EXPECT_EQ(engine.calls(), (std::vector<std::string>{"restart", "setCurrentScope /tb"}));
    EXPECT_EQ(design.getCurrentScope(), tb);
    EXPECT_EQ(console.text(), ""); // a restart prints nothing itself
}

TEST_F(ControlTest, StartOpensTheLogHeadsItAndAppendsOnTheNextStart) {
    // The default log name is relative to the working directory.
    WorkingDirectory inDir(dir.path());

    attachEngine();
    engine.setTimeResolution(-9);
    control->startEngineProcess(nullptr, false);
    EXPECT_EQ(starts, 1);
    // The engine's resolution becomes the user unit.
    EXPECT_EQ(impl()->getUserUnit(), -9);
    EXPECT_EQ(control->getTimePrecision(), 1000000);
    char a[] = "a", b[] = "b";
    char* const argv[] = {a, b};
    control->saveCommandLineToLog(2, argv);
    impl()->print("first run", true);
    const std::string firstRun = "Orvex log file\n Running : a b \nfirst run\n";
    EXPECT_EQ(readFile(dir.file("orvex.log")), firstRun);

    engine.waitIdle();
    control->closeLiveSimClient();
    control.reset(new TclControl(&console, false));
    control->startEngineProcess(nullptr, false);
    control->saveCommandLineToLog(1, argv);
    EXPECT_EQ(readFile(dir.file("orvex.log")), firstRun + "Orvex log file\n Running : a \n");
}

TEST_F(ControlTest, UnopenableLogFailsBeforeTheEngineStarts) {
    attachEngine();
    const std::string log = dir.file("missing/orvex.log");
    try {
        control->startEngineProcess(log.c_str(), false);
        FAIL() << "no exception";
    } catch (const Orvex::OpenException& e) {
        EXPECT_STREQ(e.getDescription(), "Can't open log file.");
    }
    EXPECT_EQ(console.text(), "Can't open log file " + log + "\n");
    EXPECT_EQ(starts, 0);
    impl()->print("later", true); // no log stream is left behind
    EXPECT_FALSE(std::filesystem::exists(log));
}

TEST_F(ControlTest, EngineDyingDuringStartFailsAndKeepsTheUserUnit) {
    attachEngine();
    engine.script("start", Reaction::die("engine crashed\n"));
    try {
        control->startEngineProcess(nullptr, true);
        FAIL() << "no exception";
    } catch (const Orvex::OpenException& e) {
        // Without a log there is none to point to.
        EXPECT_STREQ(e.getDescription(),
                     "The Simulation shut down unexpectedly during initialization.");
    }
    EXPECT_EQ(impl()->getUserUnit(), -15);
    engine.waitIdle();
    // The death was the answer to the start: it is not reported again as an unexpected end.
    EXPECT_EQ(console.text(), "");
    EXPECT_EQ(impl()->events().state(), EngineState::Ended);
}

} // namespace
