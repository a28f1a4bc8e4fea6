// init: initialises the simulation by running it for time 0.
#include "tavrin/commands/FlowCommands.h"

namespace Tavrin {

initCommand::initCommand(TclControlInterface* tcl) : TclCommand(tcl) {}

StringBase initCommand::usage() const { return "init"; }

StringBase initCommand::help() const { return "    Run for time 0"; }

int initCommand::execute(Tcl_Interp*, int objc, Tcl_Obj* const[]) {
    return guarded([&] {
        requireLiveEngine();
        if (objc != 1) usageError();
        getTclInterface()->runFor(0);
    });
}

} // namespace Tavrin
