// Registration of every top-level command with the interpreter and the help registry.
#pragma once

#include <tcl.h>

namespace Tavrin {
class TclControlInterface;
/// Registers the top-level commands in their fixed order.
void registerAllCommands(Tcl_Interp* interp, TclControlInterface* tcl);
} // namespace Tavrin
