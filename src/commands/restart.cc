// restart: back to time 0; the onerror script is cleared and the first top-level block becomes
// the current scope.
#include "tavrin/commands/FlowCommands.h"

namespace Tavrin {

restartCommand::restartCommand(TclControlInterface* tcl) : TclCommand(tcl) {}

StringBase restartCommand::usage() const { return "restart"; }

StringBase restartCommand::help() const { return "    Restarts the simulation from time 0."; }

int restartCommand::execute(Tcl_Interp*, int objc, Tcl_Obj* const[]) {
    return guarded([&] {
        requireLiveEngine();
        if (objc != 1) usageError("Invalid number of argument.");
        getTclInterface()->restart();
    });
}

} // namespace Tavrin
