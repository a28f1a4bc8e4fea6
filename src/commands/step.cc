// step: advances to the next executable line of HDL code.
#include "tavrin/commands/FlowCommands.h"

namespace Tavrin {

stepCommand::stepCommand(TclControlInterface* tcl) : TclCommand(tcl) {}

StringBase stepCommand::usage() const { return "step"; }

StringBase stepCommand::help() const {
    return "    Steps through VHDL/Verilog code, advancing to the next line of executable\n"
           "    HDL code in the design.";
}

int stepCommand::execute(Tcl_Interp*, int objc, Tcl_Obj* const[]) {
    return guarded([&] {
        requireLiveEngine();
        if (objc != 1) usageError("Invalid number of argument.");
        getTclInterface()->step();
    });
}

} // namespace Tavrin
