// The top-level commands in their order of registration; `help` sorts them afterwards.
#include "commands/CommandTable.h"

#include "tavrin/commands/FlowCommands.h"
#include "tavrin/commands/WaveCommands.h"

namespace Tavrin {

void registerAllCommands(Tcl_Interp* interp, TclControlInterface* tcl) {
    helpCommand::registerCommand(interp, tcl);
    onErrorCommand::registerCommand(interp, tcl);
    resumeCommand::registerCommand(interp, tcl);
    runCommand::registerCommand(interp, tcl);
    initCommand::registerCommand(interp, tcl);
    restartCommand::registerCommand(interp, tcl);
    stepCommand::registerCommand(interp, tcl);
    quitCommand::registerCommand(interp, tcl);
    stopCommand::registerCommand(interp, tcl);
    waveCommand::registerCommand(interp, tcl);
    groupCommand::registerCommand(interp, tcl);
    dividerCommand::registerCommand(interp, tcl);
    virtualbusCommand::registerCommand(interp, tcl);
    markerCommand::registerCommand(interp, tcl);
    wcfgCommand::registerCommand(interp, tcl);
}

} // namespace Tavrin
