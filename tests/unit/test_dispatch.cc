// Subcommand dispatch, error reporting, subcommand lifetime and help printing, on a command tree
// of the test's own: "orvex" with a middle level "condition" (default parse and doCommand) over
// the leaf "add", and a leaf "leaf" directly below the top.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ShellTestSupport.h"
#include "control/TclControlImpl.h"
#include "tavrin/HelpInstance.h"
#include "tavrin/TclControl.h"
#include "tavrin/commands/FlowCommands.h"

using namespace Tavrin;
using namespace Tavrin::Test;

namespace {

int alive = 0; // subcommand objects in existence
int made = 0;  // subcommand objects created since the counter was last reset

/// A subcommand with fixed texts that counts its constructions and destructions.
class CountedSub : public TclSubCommand {
public:
    CountedSub(const TclCommandBase* parent, TclControlInterface* tcl, const char* word,
               const char* usageText, const char* helpText)
        : TclSubCommand(parent, tcl), word_(word), usage_(usageText), help_(helpText) {
        ++alive;
        ++made;
    }
    ~CountedSub() override { --alive; }
    StringBase getName() const override { return word_; }
    StringBase usage() const override { return usage_; }
    StringBase help() const override { return help_; }

private:
    const char *word_, *usage_, *help_;
};

// A leaf whose first argument says how it fails: "usage", "usage-msg", "action" and "interrupt"
// in parse; "later-usage", "later-action" and "later-interrupt" in doCommand. Any other word
// succeeds and prints "done WORD".
class Probe : public CountedSub {
public:
    using CountedSub::CountedSub;
    void parse(Tcl_Interp*, int objc, Tcl_Obj* const objv[]) override {
        if (objc == 0) usageError();
        mode = Tcl_GetString(objv[0]);
        if (mode == "usage") usageError();
        if (mode == "usage-msg") usageError("Bad option 'usage-msg'.");
        if (mode == "action") actionError("Cannot do that now.");
        if (mode == "interrupt") ORVEX_THROW(Orvex::InterruptException, "Engine lost");
    }
    void doCommand() override {
        if (mode == "later-usage") usageError("Noticed too late.");
        if (mode == "later-action") actionError("Failed while doing it.");
        if (mode == "later-interrupt") ORVEX_THROW(Orvex::InterruptException, "Engine lost");
        getTclInterface()->print("done " + mode, true);
    }
    std::string mode;
};

struct ConditionAdd : Probe {
    ConditionAdd(const TclCommandBase* p, TclControlInterface* t)
        : Probe(p, t, "add", "orvex condition add <how>", "    Adds a condition.") {}
};

struct DirectLeaf : Probe { // no help text
    DirectLeaf(const TclCommandBase* p, TclControlInterface* t)
        : Probe(p, t, "leaf", "orvex leaf <how>", "") {}
};

// The middle level keeps the default parse and doCommand.
struct Condition : CountedSub {
    Condition(const TclCommandBase* p, TclControlInterface* t)
        : CountedSub(p, t, "condition", "orvex condition < add <how> >", "    Manages conditions.") {
        addCommandCreator("add", createSubCommandOf<ConditionAdd>);
    }
};

class Top : public TclCommand, public TclCommandRegistration<Top> {
public:
    explicit Top(TclControlInterface* tcl) : TclCommand(tcl) {
        addCommandCreator("condition", createSubCommandOf<Condition>);
        addCommandCreator("leaf", createSubCommandOf<DirectLeaf>);
    }
    static const char* getCommandName() { return "orvex"; }
    StringBase getName() const override { return getCommandName(); }
    StringBase usage() const override { return "orvex < condition ... | leaf <how> >"; }
    StringBase help() const override { return "    Manages test features."; }
    int execute(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
        return parseAndDoSubCommand(interp, objc, objv);
    }
};

std::string block(const std::string& full, const std::string& usage) {
    return "Incorrect usage of command '" + full + "'\nUsage: " + usage +
           "\nfor detailed help use 'help " + full + "'\n";
}

const std::string topBlock = block("orvex", "orvex < condition ... | leaf <how> >");
const std::string conditionBlock = block("orvex condition", "orvex condition < add <how> >");

class DispatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        Tcl_FindExecutable(nullptr);
        interp = Tcl_CreateInterp();
        impl = control.getImpl();
        impl->setInterpreter(interp);
        top = Top::registerCommand(interp, impl);
        alive = made = 0;
    }
    void TearDown() override {
        EXPECT_EQ(alive, 0);
        Tcl_DeleteInterp(interp);
        impl->setInterpreter(nullptr);
        // Deleting the interpreter deleted the command, which left the help registry.
        EXPECT_EQ(HelpInstance::getInstance().get("orvex"), nullptr);
    }
    /// Evaluates a line; every subcommand object it created must be gone when it returns.
    int eval(const std::string& script) {
        console.clear();
        int code = Tcl_Eval(interp, script.c_str());
        EXPECT_EQ(alive, 0) << script;
        return code;
    }
    /// Calls printHelp of `command` with the given words; returns what it printed.
    std::string helpText(const TclCommandBase& command, const std::vector<std::string>& words) {
        std::vector<Tcl_Obj*> objv;
        for (const std::string& w : words) objv.push_back(Tcl_NewStringObj(w.c_str(), -1));
        for (Tcl_Obj* o : objv) Tcl_IncrRefCount(o);
        console.clear();
        command.printHelp(static_cast<int>(objv.size()), objv.data());
        for (Tcl_Obj* o : objv) Tcl_DecrRefCount(o);
        return console.text();
    }

    RecordingConsole console;
    TclControl control{&console, false};
    TclControlImpl* impl = nullptr;
    Tcl_Interp* interp = nullptr;
    TclCommand* top = nullptr;
};

TEST_F(DispatchTest, MissingOrUnknownWordPrintsTheBlockOfTheLevelWhereItWasMissing) {
    // Words match exactly: no case folding, no prefixes, and an empty word is no word.
    for (const char* line : {"orvex", "orvex {}", "orvex nosuch", "orvex CONDITION", "orvex cond"}) {
        EXPECT_EQ(eval(line), TCL_ERROR) << line;
        EXPECT_EQ(console.text(), topBlock) << line;
    }
    EXPECT_EQ(made, 0);
    for (const char* line : {"orvex condition", "orvex condition {}", "orvex condition ADD",
                             "orvex condition ad"}) {
        EXPECT_EQ(eval(line), TCL_ERROR) << line;
        EXPECT_EQ(console.text(), conditionBlock) << line;
    }
    EXPECT_EQ(made, 4); // only the middle level, once per line
}

// (A usage error in a leaf with and without a description, below a middle level and right below
// the top: transcript.orvex_conditions and transcript.wave_console.)
TEST_F(DispatchTest, LeafErrorsAndSuccess) {
    // A usage error raised while acting has passed the middle level's parse: the block is that of
    // the level the top dispatcher created.
    EXPECT_EQ(eval("orvex condition add later-usage"), TCL_ERROR);
    EXPECT_EQ(console.text(), "Noticed too late.\n" + conditionBlock);
    // An action error prints only its description.
    EXPECT_EQ(eval("orvex condition add action"), TCL_ERROR);
    EXPECT_EQ(console.text(), "Cannot do that now.\n");
    EXPECT_EQ(eval("orvex condition add later-action"), TCL_ERROR);
    EXPECT_EQ(console.text(), "Failed while doing it.\n");
    EXPECT_EQ(eval("orvex leaf later-action"), TCL_ERROR);
    EXPECT_EQ(console.text(), "Failed while doing it.\n");

    EXPECT_EQ(eval("orvex condition add go extra"), TCL_OK);
    EXPECT_EQ(console.text(), "done go\n");
    EXPECT_EQ(made, 9); // middle and leaf, or the direct leaf alone, for every line
    EXPECT_STREQ(Tcl_GetStringResult(interp), ""); // the dispatcher never sets a result
}

TEST_F(DispatchTest, OnErrorScriptGivesTheResultOfAFailedCommand) {
    resumeCommand::registerCommand(interp, impl);
    impl->setOnErrorScript("resume");
    for (const char* line : {"orvex", "orvex condition", "orvex condition add usage-msg",
                             "orvex condition add later-action", "orvex leaf action"}) {
        EXPECT_EQ(eval(line), TCL_OK) << line;
        EXPECT_NE(console.text(), "") << line; // the failure is still reported
    }
    impl->setOnErrorScript("set ::recovered yes");
    EXPECT_EQ(eval("orvex condition add action"), TCL_OK);
    EXPECT_STREQ(Tcl_GetVar(interp, "recovered", TCL_GLOBAL_ONLY), "yes");
    impl->setOnErrorScript("error {still failing}");
    EXPECT_EQ(eval("orvex condition add action"), TCL_ERROR);
    impl->setOnErrorScript("");
    EXPECT_EQ(eval("orvex condition add action"), TCL_ERROR);
}

TEST_F(DispatchTest, EngineFailureIsReportedAndFailsWithoutTheOnErrorScript) {
    impl->setOnErrorScript("set ::recovered yes");
    for (std::string line : {"orvex condition add interrupt", "orvex condition add later-interrupt",
                             "orvex leaf interrupt", "orvex leaf later-interrupt"}) {
        impl->setCurrentCommand("# " + line);
        EXPECT_EQ(eval(line), TCL_ERROR) << line;
        EXPECT_EQ(console.text(),
                  "Command failed: # " + line + " Engine lost\nSimulation engine not responding\n");
        EXPECT_EQ(Tcl_GetVar(interp, "recovered", TCL_GLOBAL_ONLY), nullptr) << line;
    }
}

// ---- Help ----

TEST_F(DispatchTest, HelpWithoutASubcommandListsTheSubcommandsInTableOrder) {
    std::string words;
    for (const StringBase& w : top->getSubCommandFactory()->getSubCommands())
        words += (words.empty() ? "" : ", ") + w.str();
    EXPECT_TRUE(words == "condition, leaf" || words == "leaf, condition") << words;
    const std::string expected =
        "Usage: orvex < condition ... | leaf <how> >\n    Manages test features.\n"
        "Type \"help orvex <subcommand>\" for help on orvex subcommands.\n"
        "Valid subcommands are: " + words + "\n";
    EXPECT_EQ(helpText(*top, {}), expected);
    // A word that is not a subcommand is ignored without a message.
    EXPECT_EQ(helpText(*top, {"nosuch"}), expected);
    EXPECT_EQ(helpText(*top, {"LEAF"}), expected);
}

TEST_F(DispatchTest, HelpFollowsSubcommandWordsToTheDeepestLevel) {
    EXPECT_EQ(helpText(*top, {"condition", "add", "extra"}),
              "Usage: orvex condition add <how>\n    Adds a condition.\n");
    // An empty help text prints no line, and a leaf lists no subcommands.
    EXPECT_EQ(helpText(*top, {"leaf"}), "Usage: orvex leaf <how>\n");
    // A word that is no subcommand of the middle level stops there.
    EXPECT_EQ(helpText(*top, {"condition", "bogus"}),
              "Usage: orvex condition < add <how> >\n    Manages conditions.\n"
              "Type \"help orvex condition <subcommand>\" for help on orvex condition "
              "subcommands.\nValid subcommands are: add\n");
}

TEST_F(DispatchTest, UseHelpFromSubCommandAnswersWhetherASubcommandPrinted) {
    Tcl_Obj* words[] = {Tcl_NewStringObj("condition", -1), Tcl_NewStringObj("nosuch", -1)};
    for (Tcl_Obj* w : words) Tcl_IncrRefCount(w);
    console.clear();
    EXPECT_FALSE(top->useHelpFromSubCommand(0, words));
    EXPECT_FALSE(top->useHelpFromSubCommand(1, words + 1));
    EXPECT_EQ(console.text(), "");
    EXPECT_TRUE(top->useHelpFromSubCommand(1, words));
    EXPECT_EQ(console.text().rfind("Usage: orvex condition <", 0), 0u);
    for (Tcl_Obj* w : words) Tcl_DecrRefCount(w);
}

// ---- The help registry ----

class Named : public TclCommand {
public:
    explicit Named(const char* word) : TclCommand(nullptr), word_(word) {}
    StringBase getName() const override { return word_; }
    StringBase usage() const override { return word_; }
    StringBase help() const override { return ""; }

private:
    const char* word_;
};

TEST(HelpInstanceTest, AddRemoveGetAndSortKeepTheRegistryConsistent) {
    HelpInstance& registry = HelpInstance::getInstance();
    const std::vector<TclCommand*> before = registry.getAllCommands();
    Named wave("wave"), bp("bp"), alpha("alpha"), alphaAgain("alpha");
    std::vector<TclCommand*> ours = {&wave, &bp, &alpha, &alphaAgain};
    // Whatever happens below, the registry is left as it was found.
    struct Restore {
        std::vector<TclCommand*>& ours;
        ~Restore() {
            for (TclCommand* c : ours) HelpInstance::getInstance().remove(c);
        }
    } restore{ours};

    registry.add(nullptr);
    EXPECT_EQ(registry.getAllCommands().size(), before.size());
    for (TclCommand* c : ours) registry.add(c);
    EXPECT_EQ(registry.getAllCommands().size(), before.size() + 4);

    EXPECT_EQ(registry.get("alpha"), &alpha); // the first of equal names
    EXPECT_EQ(registry.get("ALPHA"), nullptr);
    EXPECT_EQ(registry.get("alp"), nullptr);
    EXPECT_EQ(registry.get(""), nullptr);

    registry.remove(&alpha);
    EXPECT_EQ(registry.get("alpha"), &alphaAgain);
    registry.remove(&alpha); // absent: nothing happens
    EXPECT_EQ(registry.getAllCommands().size(), before.size() + 3);

    registry.sort();
    std::vector<std::string> order;
    for (TclCommand* c : registry.getAllCommands())
        if (std::find(ours.begin(), ours.end(), c) != ours.end()) order.push_back(c->getName().str());
    EXPECT_EQ(order, (std::vector<std::string>{"alpha", "bp", "wave"}));
}

} // namespace
