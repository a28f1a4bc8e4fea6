// The waveform window commands against a recording window: which calls the window receives, in
// which order, with which property keys and values, and that no call is made when a command
// fails its checks. (What a real GTKWave window shows after them: gui.window; the commands
// without a window: transcript.wave_console.)
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "RecordingGui.h"
#include "ShellTestSupport.h"
#include "control/TclControlImpl.h"
#include "orvex/FakeDataReader.h"
#include "tavrin/TclControl.h"
#include "tavrin/commands/WaveCommands.h"

using namespace Tavrin;
using Calls = std::vector<std::string>;

namespace {

// A control on a recording console with the window commands in a plain interpreter, over
// /tb with clk, count (a vector), hidden (of the hidden type class) and the instance /tb/dut.
class WaveCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        IBlock* tb = design.addBlock(nullptr, "tb", VerilogInstance);
        design.addObject(tb, "clk", VariableClass, LogicTypeClass);
        design.addObject(tb, "count", SignalClass, LogicTypeClass, VectorObjectKind);
        design.addObject(tb, "hidden", SignalClass, HiddenTypeClass);
        design.addBlock(tb, "dut", VerilogInstance);

        control = std::make_unique<TclControl>(&console, false);
        control->setReader(&design);
        control->setGuiControl(&gui);
        interp = Tcl_CreateInterp();
        TclControlInterface* tcl = control->getImpl();
        waveCommand::registerCommand(interp, tcl);
        groupCommand::registerCommand(interp, tcl);
        dividerCommand::registerCommand(interp, tcl);
        virtualbusCommand::registerCommand(interp, tcl);
        markerCommand::registerCommand(interp, tcl);
        wcfgCommand::registerCommand(interp, tcl);
    }
    void TearDown() override {
        Tcl_DeleteInterp(interp);
        control.reset();
    }

    // Runs one command with fresh logs; the Tcl code is returned, the result kept in `result`.
    int run(const std::string& command) {
        console.clear();
        gui.calls.clear();
        const int code = Tcl_Eval(interp, command.c_str());
        result = Tcl_GetStringResult(interp);
        return code;
    }

    // The usage block of a subcommand, as the dispatcher prints it.
    static std::string usageBlock(const std::string& command, const std::string& usage) {
        return "Incorrect usage of command '" + command + "'\nUsage: " + usage +
               "\nfor detailed help use 'help " + command + "'\n";
    }

    FakeDataReader design;
    Tavrin::Test::RecordingConsole console;
    Tavrin::Test::RecordingGui gui;
    std::unique_ptr<TclControl> control;
    Tcl_Interp* interp = nullptr;
    std::string result;
};

const std::string waveAddUsage =
    "wave add [-into <id>] [-reverse] [-radix <radix>] [-color <color>] [-name <custom_name>] "
    "[-r] [-wcfg <wcfg_name>] <object_name> [<object_name>...]";

} // namespace

// ---- wave add ----

TEST_F(WaveCommandsTest, WaveAddAddsBlocksAndObjectsInOrderAndSelectsThem) {
    EXPECT_EQ(run("wave add clk /tb/dut count"), TCL_OK);
    EXPECT_EQ(gui.calls, (Calls{"useWcfg {}",
                                "addWaveObjects [/tb/clk,/tb/dut,/tb/count] -1 {} 0 -> [1,2,3]",
                                "updateWcfg {}", "selectWaveObjects {} [1,2,3]"}));
    EXPECT_EQ(console.text(), "");
    EXPECT_EQ(result, "");
}

TEST_F(WaveCommandsTest, WaveAddSetsEveryGivenPropertyInItsFixedOrder) {
    // Options come in a different order than the properties are set; the color is stored
    // without its quotes and in lower case.
    // A configuration name warns, once every check has passed, and is used by every call.
    EXPECT_EQ(run("wave add -name my_clk -r -color {\"#AbCdEf\"} -reverse clk -radix hex "
                  "-into 4 -wcfg w1 count"),
              TCL_OK);
    EXPECT_EQ(gui.calls,
              (Calls{"useWcfg w1", "addWaveObjects [/tb/clk,/tb/count] 4 w1 1 -> [1,2]",
                     "setWaveObjectProperty w1 [1,2] CustomSignalColor #abcdef",
                     "setWaveObjectProperty w1 [1,2] USECUSTOMSIGNALCOLOR true",
                     "setWaveObjectProperty w1 [1,2] Radix HEXRADIX",
                     "setWaveObjectProperty w1 [1,2] Reversed true",
                     "setWaveObjectProperty w1 [1,2] DisplayName label",
                     "setWaveObjectProperty w1 [1,2] label my_clk", "updateWcfg w1",
                     "selectWaveObjects w1 [1,2]"}));
    EXPECT_EQ(console.text(),
              "Warning: The usage of -wcfg with wave add is being deprecated.\n"
              "In order to save this to a wave configuration, please use the \"wcfg save\" "
              "command instead.\n"
              "Please see the Orvex User Guide for more information.\n\n");
}

TEST_F(WaveCommandsTest, WaveAddResolvesAllNamesBeforeTheWindowIsTouched) {
    struct Case {
        const char* command;
        const char* message;
    };
    const Case cases[] = {
        {"wave add clk count(3:0)", "count(3:0) : wave command does not support array slices\n"},
        {"wave add clk nothing", "nothing : No such HDL object or HDL block\n"},
        {"wave add clk hidden", "hidden : No such HDL object or HDL block\n"},
        {"wave add", "No matching HDL object or HDL block found\n"},
        {"wave add {} -r", "No matching HDL object or HDL block found\n"},
        // The warning comes only once every check has passed.
        {"wave add -wcfg w1 nothing", "nothing : No such HDL object or HDL block\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(run(c.command), TCL_ERROR) << c.command;
        EXPECT_EQ(console.text(), c.message) << c.command;
        EXPECT_TRUE(gui.calls.empty()) << c.command;
    }
    // An element (not a slice) is a data object like any other.
    EXPECT_EQ(run("wave add count(3)"), TCL_OK);
    EXPECT_EQ(gui.calls.at(1), "addWaveObjects [/tb/count[3]] -1 {} 0 -> [1]");
}

TEST_F(WaveCommandsTest, OptionErrorsPrintTheirTextAndTheUsageBlock) {
    struct Case {
        const char* command;
        const char* description; // empty: only the usage block
    };
    const Case cases[] = {
        {"wave add clk -wcfg", "Incorrect usage of -wcfg swtch: <filename> is missing"},
        {"wave add clk -into", "Incorrect usage of -into swtch: <location> is missing"},
        {"wave add clk -into x", "Incorrect usage of -into swtch: Expected integer value."},
        {"wave add clk -into 99999999999", "Incorrect usage of -into swtch: Expected integer value."},
        {"wave add clk -color", "Incorrect usage of -color swtch: <color> is missing"},
        {"wave add clk -color #12345",
         "Incorrect color value: <color> is defined in RGB \"#000000\""},
        {"wave add clk -color #1234567",
         "Incorrect color value: <color> is defined in RGB \"#000000\""},
        {"wave add clk -color Red", ""},
        {"wave add clk -color {\"red\"}", ""},
        {"wave add clk -radix", "Incorrect usage of -radix swtch: <radix> is missing"},
        {"wave add clk -radix HEX", ""},
        {"wave add clk -name", "Incorrect usage of -name swtch: <custom_name> is missing"},
        {"wave add clk -R", "<-R> : Undefined command option"},
        {"wave add clk -", "<-> : Undefined command option"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(run(c.command), TCL_ERROR) << c.command;
        std::string expected = c.description;
        if (!expected.empty()) expected += "\n";
        EXPECT_EQ(console.text(), expected + usageBlock("wave add", waveAddUsage)) << c.command;
        EXPECT_TRUE(gui.calls.empty()) << c.command;
    }
    // A refused color name leaves Tcl's own message as the result.
    run("wave add clk -color Red");
    EXPECT_EQ(result.rfind("bad color \"Red\": must be black, red,", 0), 0u) << result;
}

TEST_F(WaveCommandsTest, ColorsByNameAndByRgbValue) {
    EXPECT_EQ(run("wave add -color lightgray clk"), TCL_OK);
    EXPECT_EQ(gui.calls.at(2), "setWaveObjectProperty {} [1] CustomSignalColor lightgray");
    // Six characters after the hash sign are not examined further.
    EXPECT_EQ(run("wave add -color #GHIJKL clk"), TCL_OK);
    EXPECT_EQ(gui.calls.at(2), "setWaveObjectProperty {} [2] CustomSignalColor #ghijkl");
}

// ---- containers ----

// Nothing the window did not create gets properties or a selection.
TEST_F(WaveCommandsTest, WhatTheWindowDidNotCreateGetsNothingMore) {
    gui.nextObjectIds = std::vector<int>{};
    EXPECT_EQ(run("wave add -color red -name x clk"), TCL_OK);
    EXPECT_EQ(gui.calls, (Calls{"useWcfg {}", "addWaveObjects [/tb/clk] -1 {} 0 -> []",
                                "updateWcfg {}"}));
    gui.nextContainerIds = {0, -1};
    EXPECT_EQ(run("group add g1"), TCL_OK);
    EXPECT_EQ(result, "");
    EXPECT_EQ(gui.calls, (Calls{"useWcfg {}", "addWaveContainer group -1 {} -> 0",
                                "updateWcfg {}"}));
    EXPECT_EQ(run("virtualbus add b -radix hex"), TCL_OK);
    EXPECT_EQ(result, "");
    EXPECT_EQ(gui.calls, (Calls{"useWcfg {}", "addWaveContainer vbus -1 {} -> -1",
                                "updateWcfg {}"}));
}

TEST_F(WaveCommandsTest, DividerColorIsItsBackgroundAndNothingIsReturned) {
    EXPECT_EQ(run("divider add d1 -color #FF0000 -into 2"), TCL_OK);
    EXPECT_EQ(result, "");
    EXPECT_EQ(gui.calls, (Calls{"useWcfg {}", "addWaveContainer divider 2 {} -> 1",
                                "setWaveObjectProperty {} [1] label d1",
                                "setWaveObjectProperty {} [1] BKCOLOR #ff0000", "updateWcfg {}",
                                "selectWaveObjects {} [1]"}));
}

TEST_F(WaveCommandsTest, VirtualbusSetsItsPropertiesAndIgnoresFurtherNames) {
    EXPECT_EQ(run("virtualbus add bus extra -color green -reverse -radix bin"), TCL_OK);
    EXPECT_EQ(result, "1");
    EXPECT_EQ(gui.calls, (Calls{"useWcfg {}", "addWaveContainer vbus -1 {} -> 1",
                                "setWaveObjectProperty {} [1] label bus",
                                "setWaveObjectProperty {} [1] CustomSignalColor green",
                                "setWaveObjectProperty {} [1] USECUSTOMSIGNALCOLOR true",
                                "setWaveObjectProperty {} [1] Radix BINARYRADIX",
                                "setWaveObjectProperty {} [1] Reversed true", "updateWcfg {}",
                                "selectWaveObjects {} [1]"}));
}

TEST_F(WaveCommandsTest, ContainerArgumentAndNameErrors) {
    const std::string groupUsage = "group add <name> [-into <id>]";
    const std::string dividerUsage = "divider add <name> [-into <id>] [-color <color>]";
    const std::string busUsage =
        "virtualbus add <name> [-into <id>] [-reverse] [-radix <radix>] [-color <color>]";
    struct Case {
        const char* command;
        std::string output;
    };
    const Case cases[] = {
        {"group add", usageBlock("group add", groupUsage)},
        {"group add a b c d", usageBlock("group add", groupUsage)},
        {"group add -into 2", "Missing group name.\n"},
        {"group add g -color red",
         "<-color> : Undefined command option\n" + usageBlock("group add", groupUsage)},
        {"group add g -wcfg w", "<-wcfg> : Undefined command option\n" + usageBlock("group add", groupUsage)},
        {"divider add a b c d e f", usageBlock("divider add", dividerUsage)},
        {"divider add {} -color red", "Missing divider name.\n"},
        {"divider add d -radix hex",
         "<-radix> : Undefined command option\n" + usageBlock("divider add", dividerUsage)},
        {"virtualbus add", "Missing virtual bus name name.\n" + usageBlock("virtualbus add", busUsage)},
        {"virtualbus add -radix hex",
         "Missing virtual bus name name.\n" + usageBlock("virtualbus add", busUsage)},
        {"virtualbus add b -name n",
         "<-name> : Undefined command option\n" + usageBlock("virtualbus add", busUsage)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(run(c.command), TCL_ERROR) << c.command;
        EXPECT_EQ(console.text(), c.output) << c.command;
        EXPECT_TRUE(gui.calls.empty()) << c.command;
    }
}

// ---- marker and wcfg ----

TEST_F(WaveCommandsTest, MarkerTimes) {
    struct Case {
        const char* command;
        const char* call;
    };
    const Case cases[] = {
        {"marker add 10 ns", "addMarker 10000000 {}"},
        {"marker add 10ns", "addMarker 10000000 {}"},
        {"marker add 5 7", "addMarker 7 {}"}, // of two plain numbers the last counts
        {"marker add 0", "addMarker 0 {}"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(run(c.command), TCL_OK) << c.command;
        EXPECT_EQ(gui.calls, Calls{c.call}) << c.command;
    }
    control->getImpl()->setUserUnit(-9);
    EXPECT_EQ(run("marker add 3"), TCL_OK);
    EXPECT_EQ(gui.calls, Calls{"addMarker 3000000 {}"});
}

TEST_F(WaveCommandsTest, MarkerErrors) {
    const std::string usage = usageBlock("marker add", "marker add <time>");
    struct Case {
        const char* command;
        std::string output;
    };
    const Case cases[] = {
        {"marker add", usage},
        {"marker add 1 2 3", usage},
        {"marker add -5", "<-5>: Undefined command option.\n" + usage},
        {"marker add 5 -ns", "<-ns>: Undefined command option.\n" + usage},
        {"marker add {}", "<>: Undefined command option.\n" + usage},
        {"marker add xyz", "Invalid time value\n" + usage},
        {"marker add 10 xs", "Invalid time value\n" + usage},
        {"marker add 1.2.3", "Time value 1.2.3 is incorrect\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(run(c.command), TCL_ERROR) << c.command;
        EXPECT_EQ(console.text(), c.output) << c.command;
        EXPECT_TRUE(gui.calls.empty()) << c.command;
    }
}

// (wcfg new, open, save and select on a real window: gui.window.)
TEST_F(WaveCommandsTest, WcfgArgumentCountErrorsReachNoWindow) {
    for (const char* command : {"wcfg new x", "wcfg open", "wcfg save a b", "wcfg select {}"}) {
        EXPECT_EQ(run(command), TCL_ERROR) << command;
        EXPECT_TRUE(gui.calls.empty()) << command;
    }
    EXPECT_EQ(console.text(), usageBlock("wcfg select", "wcfg select"));
    EXPECT_EQ(run("wcfg save {my file.wcfg}"), TCL_OK);
    EXPECT_EQ(gui.calls, Calls{"saveWcfg my file.wcfg"});
}

// ---- missing components and failing windows ----

TEST_F(WaveCommandsTest, WithoutDesignDataAddsFailButMarkersAndConfigurationsWork) {
    control->setReader(nullptr);
    for (const char* command : {"wave add clk", "group add g", "divider add d", "virtualbus add b"}) {
        EXPECT_EQ(run(command), TCL_ERROR) << command;
        EXPECT_EQ(console.text(), "No active Database\n") << command;
        EXPECT_TRUE(gui.calls.empty()) << command;
    }
    EXPECT_EQ(run("marker add 1"), TCL_OK);
    EXPECT_EQ(run("wcfg new"), TCL_OK);
}

TEST_F(WaveCommandsTest, AWindowErrorStopsTheCommandAndIsReported) {
    gui.failOn = "addWaveObjects";
    EXPECT_EQ(run("wave add -color red clk"), TCL_ERROR);
    EXPECT_EQ(console.text(), "window refused addWaveObjects\n");
    EXPECT_EQ(gui.calls, (Calls{"useWcfg {}", "addWaveObjects [/tb/clk] -1 {} 0 -> [1]"}));
    gui.failOn = "addWaveContainer";
    EXPECT_EQ(run("group add g"), TCL_ERROR);
    EXPECT_EQ(result, "");
}

