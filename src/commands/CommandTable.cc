// The top-level commands in their order of registration; `help` sorts them afterwards.
#include "commands/CommandTable.h"

#include "tavrin/commands/DescribeCommands.h"
#include "tavrin/commands/DumpCommands.h"
#include "tavrin/commands/FlowCommands.h"
#include "tavrin/commands/PutCommands.h"
#include "tavrin/commands/ScopeCommands.h"
#include "tavrin/commands/ShowCommands.h"
#include "tavrin/commands/TestCommands.h"

namespace Tavrin {

void registerAllCommands(Tcl_Interp* interp, TclControlInterface* tcl) {
    helpCommand::registerCommand(interp, tcl);
    onErrorCommand::registerCommand(interp, tcl);
    resumeCommand::registerCommand(interp, tcl);
    putCommand::registerCommand(interp, tcl);
    dumpCommand::registerCommand(interp, tcl);
    scopeCommand::registerCommand(interp, tcl);
    describeCommand::registerCommand(interp, tcl);
    runCommand::registerCommand(interp, tcl);
    initCommand::registerCommand(interp, tcl);
    restartCommand::registerCommand(interp, tcl);
    stepCommand::registerCommand(interp, tcl);
    testCommand::registerCommand(interp, tcl);
    showCommand::registerCommand(interp, tcl);
    quitCommand::registerCommand(interp, tcl);
    stopCommand::registerCommand(interp, tcl);
}

} // namespace Tavrin
