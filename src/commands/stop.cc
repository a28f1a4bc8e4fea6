// stop: asks a running simulation to stop; it does not wait, and never runs the onerror script.
#include "tavrin/commands/FlowCommands.h"

namespace Tavrin {

stopCommand::stopCommand(TclControlInterface* tcl) : TclCommand(tcl) {}

StringBase stopCommand::usage() const { return "stop"; }

StringBase stopCommand::help() const { return "    stop the simulation"; }

int stopCommand::execute(Tcl_Interp*, int objc, Tcl_Obj* const[]) {
    return guarded(
        [&] {
            if (objc != 1) usageError();
            getTclInterface()->stop();
        },
        nullptr, false);
}

} // namespace Tavrin
