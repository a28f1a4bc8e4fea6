// orvex: the simulator's settings (set, get), process and line tracing, conditional actions
// (condition) and forces (force).
#pragma once

#include <string>
#include <vector>

#include "tavrin/commands/CommandDeclarations.h"

namespace Tavrin {

/// One entry of the table of settings that `orvex set` and `orvex get` share.
struct OrvexSetting;

/// `orvex ...`: groups the simulator's settings, trace switches, conditions and forces.
ORVEX_TOP_LEVEL_COMMAND(orvexCommand, "orvex");


/// `orvex set <setting> <value>`: sets one of the shell's settings.
ORVEX_SUBCOMMAND_GROUP(orvexSetCommand, "set");
/// `orvex get <setting>`: prints one of the shell's settings.
ORVEX_SUBCOMMAND_GROUP(orvexGetCommand, "get");
/// `orvex condition <list | add | remove>`: manages conditional actions.
ORVEX_SUBCOMMAND_GROUP(orvexConditionCommand, "condition");
/// `orvex force <add | remove>`: forces signals to values and releases them.
ORVEX_SUBCOMMAND_GROUP(orvexForceCommand, "force");

// ---- settings ----

/// `orvex set <setting> <value>`: reads the value as the setting's table entry says and
/// stores it in the control interface.
class orvexSetSettingCommand : public TclSubCommand {
public:
    StringBase getName() const override;
    StringBase usage() const override;
    StringBase help() const override;
    void parse(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) override;
    void doCommand() override;

protected:
    orvexSetSettingCommand(const TclCommandBase* parent, TclControlInterface* tcl,
                           const OrvexSetting& setting);

private:
    const OrvexSetting& setting;
    int value = 0;
};

/// `orvex get <setting>`: prints the setting's current value as its table entry says.
class orvexGetSettingCommand : public TclSubCommand {
public:
    StringBase getName() const override;
    StringBase usage() const override;
    StringBase help() const override;
    void parse(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) override;
    void doCommand() override;

protected:
    orvexGetSettingCommand(const TclCommandBase* parent, TclControlInterface* tcl,
                           const OrvexSetting& setting);

private:
    const OrvexSetting& setting;
};

// One leaf of `orvex set` or `orvex get`: the shared base bound to one setting.
#define ORVEX_SETTING_SUBCOMMAND(Class, Base, word)                     \
    class Class : public Base {                                         \
    public:                                                             \
        Class(const TclCommandBase* parent, TclControlInterface* tcl);  \
        static StringBase getSubCommandName() { return word; }          \
    }

/// `orvex set userunit [1|10|100]<unit>`: the unit of times typed without one.
ORVEX_SETTING_SUBCOMMAND(orvexSetUserunitCommand, orvexSetSettingCommand, "userunit");
/// `orvex set radix <type>`: the default radix of shown values.
ORVEX_SETTING_SUBCOMMAND(orvexSetRadixCommand, orvexSetSettingCommand, "radix");
/// `orvex set arraydisplaylength <size>`: how many array elements values show (0: all).
ORVEX_SETTING_SUBCOMMAND(orvexSetArraydisplaylengthCommand, orvexSetSettingCommand,
                         "arraydisplaylength");
/// `orvex set maxtraceablesize <size>`: the largest array or record that can be traced.
ORVEX_SETTING_SUBCOMMAND(orvexSetMaxtraceablesizeCommand, orvexSetSettingCommand,
                         "maxtraceablesize");
/// `orvex get userunit`: prints the user unit, such as "1 ns".
ORVEX_SETTING_SUBCOMMAND(orvexGetUserunitCommand, orvexGetSettingCommand, "userunit");
/// `orvex get radix`: prints the default radix name.
ORVEX_SETTING_SUBCOMMAND(orvexGetRadixCommand, orvexGetSettingCommand, "radix");
/// `orvex get arraydisplaylength`: prints the array display length.
ORVEX_SETTING_SUBCOMMAND(orvexGetArraydisplaylengthCommand, orvexGetSettingCommand,
                         "arraydisplaylength");
/// `orvex get maxtraceablesize`: prints the maximum traceable size.
ORVEX_SETTING_SUBCOMMAND(orvexGetMaxtraceablesizeCommand, orvexGetSettingCommand,
                         "maxtraceablesize");

// ---- tracing ----

/// `orvex ptrace|ltrace <on|off>`: one of the engine's trace switches.
class orvexTraceCommand : public TclSubCommand {
public:
    void parse(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) override;
    void doCommand() override;

protected:
    using Switch = void (ISimulationControl::*)();
    orvexTraceCommand(const TclCommandBase* parent, TclControlInterface* tcl, Switch on,
                      Switch off);

private:
    Switch switchOn;
    Switch switchOff;
    bool on = false;
};

/// `orvex ptrace <on|off>`: HDL process tracing.
class orvexPtraceCommand : public orvexTraceCommand {
public:
    orvexPtraceCommand(const TclCommandBase* parent, TclControlInterface* tcl);
    static StringBase getSubCommandName() { return "ptrace"; }
    StringBase getName() const override { return getSubCommandName(); }
    StringBase usage() const override;
    StringBase help() const override;
};

/// `orvex ltrace <on|off>`: HDL line execution tracing.
class orvexLtraceCommand : public orvexTraceCommand {
public:
    orvexLtraceCommand(const TclCommandBase* parent, TclControlInterface* tcl);
    static StringBase getSubCommandName() { return "ltrace"; }
    StringBase getName() const override { return getSubCommandName(); }
    StringBase usage() const override;
    StringBase help() const override;
};

// ---- conditions ----

/// `orvex condition list`: prints every condition as the `orvex condition add` command that
/// would recreate it.
ORVEX_SUBCOMMAND(orvexConditionListCommand, "list");

/// `orvex condition add {<expression>} {<command>} [-label <label>] [-radix <type>]`: hands
/// the expression to the engine and keeps the script to run when the engine reports it met.
ORVEX_SUBCOMMAND_WITH_FIELDS(orvexConditionAddCommand, "add",
    TclCondition condition; // everything but the id, which the engine assigns
    bool expressionGiven = false;
    bool scriptGiven = false;
);

/// `orvex condition remove <-label <labels> | -index <ids> | -all>`: removes conditions from
/// the engine and their scripts from the condition-script table.
ORVEX_SUBCOMMAND_WITH_FIELDS(orvexConditionRemoveCommand, "remove",
    // Splits a Tcl list; a malformed list fails with Tcl's message left in the result.
    std::vector<std::string> splitList(const StringBase& list) const;

    Tcl_Interp* interp = nullptr;
    bool all = false;
    bool labelsGiven = false;
    bool indicesGiven = false;
    StringBase labels;
    StringBase indices;
);

// ---- forces ----

/// `orvex force add <name> <value> [options]`: forces an object to a value, or to a sequence
/// of values at time offsets, optionally repeated and cancelled later.
ORVEX_SUBCOMMAND_CLASS(orvexForceAddCommand, TclSubCommand, "add", ORVEX_PARSE_AND_DO

    /// Reads the arguments after `add` into the object name and the force criteria. Values of
    /// "-value" groups start in `radix`; times without a unit are in `userUnit`. Throws the
    /// usage error (or TclHelpException for a malformed time value).
    static void parseArguments(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[], Radix radix,
                               int userUnit, StringBase& name, ForceCriteria& criteria);

private:
    StringBase name;
    ForceCriteria criteria;
);

/// `orvex force remove <name>`: lifts the force on an object.
ORVEX_SUBCOMMAND_WITH_FIELDS(orvexForceRemoveCommand, "remove", StringBase name;);

} // namespace Tavrin
