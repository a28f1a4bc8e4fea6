// The top-level commands in their order of registration; `help` sorts them afterwards.
#include "commands/CommandTable.h"

#include "tavrin/commands/BpCommands.h"
#include "tavrin/commands/DescribeCommands.h"
#include "tavrin/commands/DumpCommands.h"
#include "tavrin/commands/FlowCommands.h"
#include "tavrin/commands/NtraceCommands.h"
#include "tavrin/commands/OrvexCommands.h"
#include "tavrin/commands/PutCommands.h"
#include "tavrin/commands/SaifCommands.h"
#include "tavrin/commands/ScopeCommands.h"
#include "tavrin/commands/SdfannoCommands.h"
#include "tavrin/commands/ShowCommands.h"
#include "tavrin/commands/SpecifyCommands.h"
#include "tavrin/commands/TestCommands.h"
#include "tavrin/commands/VcdCommands.h"
#include "tavrin/commands/WaveCommands.h"

namespace Tavrin {

void registerAllCommands(Tcl_Interp* interp, TclControlInterface* tcl) {
    helpCommand::registerCommand(interp, tcl);
    onErrorCommand::registerCommand(interp, tcl);
    resumeCommand::registerCommand(interp, tcl);
    putCommand::registerCommand(interp, tcl);
    dumpCommand::registerCommand(interp, tcl);
    scopeCommand::registerCommand(interp, tcl);
    sdfannoCommand::registerCommand(interp, tcl);
    describeCommand::registerCommand(interp, tcl);
    saifCommand::registerCommand(interp, tcl);
    runCommand::registerCommand(interp, tcl);
    initCommand::registerCommand(interp, tcl);
    restartCommand::registerCommand(interp, tcl);
    stepCommand::registerCommand(interp, tcl);
    bpCommand::registerCommand(interp, tcl);
    vcdCommand::registerCommand(interp, tcl);
    ntraceCommand::registerCommand(interp, tcl);
    testCommand::registerCommand(interp, tcl);
    showCommand::registerCommand(interp, tcl);
    quitCommand::registerCommand(interp, tcl);
    stopCommand::registerCommand(interp, tcl);
    specifyCommand::registerCommand(interp, tcl);
    orvexCommand::registerCommand(interp, tcl);
    waveCommand::registerCommand(interp, tcl);
    groupCommand::registerCommand(interp, tcl);
    dividerCommand::registerCommand(interp, tcl);
    virtualbusCommand::registerCommand(interp, tcl);
    markerCommand::registerCommand(interp, tcl);
    wcfgCommand::registerCommand(interp, tcl);
}

} // namespace Tavrin
