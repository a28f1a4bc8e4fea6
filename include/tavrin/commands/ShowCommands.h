// show: the blocks and objects of the current scope, the drivers and loads of a signal, one
// object's value, the simulation time and the engine status.
#pragma once

#include "tavrin/commands/CommandDeclarations.h"

namespace Tavrin {

/// `show <subcommand>`: dispatches to the eleven subcommands below.
ORVEX_TOP_LEVEL_COMMAND(showCommand, "show");

/// `show child [-r]`: the child blocks of the current scope; with -r the scope and its whole
/// subtree, each level indented further.
ORVEX_SUBCOMMAND_WITH_FIELDS(showChildCommand, "child", bool recursive = false;);

/// `show driver <signal_name>`: the drivers of a signal, grouped by the driven net.
ORVEX_SUBCOMMAND_WITH_FIELDS(showDriverCommand, "driver", StringBase objectName;);

/// `show load <signal_name>`: the loads driven by a signal, grouped by net.
ORVEX_SUBCOMMAND_WITH_FIELDS(showLoadCommand, "load", StringBase objectName;);

/// `show scope`: the kind and name of the current scope.
ORVEX_SUBCOMMAND(showScopeCommand, "scope");

/// `show time`: the current simulation time as the command's result.
ORVEX_SUBCOMMAND_WITH_FIELDS(showTimeCommand, "time", Tcl_Interp* resultInterp = nullptr;);

/// `show value <hdl_object_name> [-radix <type>]`: one object's value as the command's result.
ORVEX_SUBCOMMAND_WITH_FIELDS(showValueCommand, "value",
    StringBase objectName;
    Radix radix = NoRadix;
    Tcl_Interp* resultInterp = nullptr;
);

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
