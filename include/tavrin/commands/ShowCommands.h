// show: the blocks and objects of the current scope, the drivers and loads of a signal, one
// object's value, the simulation time and the engine status.
#pragma once

#include "tavrin/commands/CommandDeclarations.h"

namespace Tavrin {

/// `show <subcommand>`: dispatches to the eleven subcommands below.
ORVEX_TOP_LEVEL_COMMAND(showCommand, "show");

/// `show child [-r]`: the child blocks of the current scope; with -r the scope and its whole
/// subtree, each level indented further.
class showChildCommand : public TclSubCommand {
public:
    showChildCommand(const TclCommandBase* parent, TclControlInterface* tcl);
    static StringBase getSubCommandName() { return "child"; }
    StringBase getName() const override { return getSubCommandName(); }
    StringBase usage() const override;
    StringBase help() const override;
    void parse(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) override;
    void doCommand() override;

private:
    bool recursive = false;
};

/// `show driver <signal_name>`: the drivers of a signal, grouped by the driven net.
class showDriverCommand : public TclSubCommand {
public:
    showDriverCommand(const TclCommandBase* parent, TclControlInterface* tcl);
    static StringBase getSubCommandName() { return "driver"; }
    StringBase getName() const override { return getSubCommandName(); }
    StringBase usage() const override;
    StringBase help() const override;
    void parse(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) override;
    void doCommand() override;

private:
    StringBase objectName;
};

/// `show load <signal_name>`: the loads driven by a signal, grouped by net.
class showLoadCommand : public TclSubCommand {
public:
    showLoadCommand(const TclCommandBase* parent, TclControlInterface* tcl);
    static StringBase getSubCommandName() { return "load"; }
    StringBase getName() const override { return getSubCommandName(); }
    StringBase usage() const override;
    StringBase help() const override;
    void parse(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) override;
    void doCommand() override;

private:
    StringBase objectName;
};

/// `show scope`: the kind and name of the current scope.
ORVEX_SUBCOMMAND(showScopeCommand, "scope");

/// `show time`: the current simulation time as the command's result.
class showTimeCommand : public TclSubCommand {
public:
    showTimeCommand(const TclCommandBase* parent, TclControlInterface* tcl);
    static StringBase getSubCommandName() { return "time"; }
    StringBase getName() const override { return getSubCommandName(); }
    StringBase usage() const override;
    StringBase help() const override;
    void parse(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) override;
    void doCommand() override;

private:
    Tcl_Interp* resultInterp = nullptr;
};

/// `show value <hdl_object_name> [-radix <type>]`: one object's value as the command's result.
class showValueCommand : public TclSubCommand {
public:
    showValueCommand(const TclCommandBase* parent, TclControlInterface* tcl);
    static StringBase getSubCommandName() { return "value"; }
    StringBase getName() const override { return getSubCommandName(); }
    StringBase usage() const override;
    StringBase help() const override;
    void parse(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) override;
    void doCommand() override;

private:
    StringBase objectName;
    Radix radix = NoRadix;
    Tcl_Interp* resultInterp = nullptr;
};

/// `show signal`: the signals of the current scope (not its ports).
ORVEX_SUBCOMMAND(showSignalCommand, "signal");
/// `show variable`: the variables of the current scope.
ORVEX_SUBCOMMAND(showVariableCommand, "variable");
/// `show constant`: the constants and parameters of the current scope.
ORVEX_SUBCOMMAND(showConstantCommand, "constant");
/// `show port`: the ports of the current scope, one per line.
ORVEX_SUBCOMMAND(showPortCommand, "port");
/// `show status`: whether the engine is busy or ready.
ORVEX_SUBCOMMAND(showStatusCommand, "status");

} // namespace Tavrin
