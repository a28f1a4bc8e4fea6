// saif: Switching Activity Interchange Format monitoring. open names the block, the file and
// what is recorded; close stops monitoring. The engine writes the file.
#include "tavrin/commands/SaifCommands.h"

#include "client/OutputLocks.h"

namespace Tavrin {

namespace {
const char* const defaultSaifFile = "zantel.saif";
} // namespace

saifCommand::saifCommand(TclControlInterface* tcl) : TclCommand(tcl) {
    addCommandCreator(saifOpenCommand::getSubCommandName(), createSubCommandOf<saifOpenCommand>);
    addCommandCreator(saifCloseCommand::getSubCommandName(), createSubCommandOf<saifCloseCommand>);
}

StringBase saifCommand::usage() const {
    return "saif < <open [-scope <path_name>] [-file <file_name>] [-level <nesting_level>] "
           "[-allnets] > |  close >";
}

StringBase saifCommand::help() const { return "    Controls SAIF monitoring."; }

int saifCommand::execute(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    return parseAndDoSubCommand(interp, objc, objv);
}

// ---- saif open ----

saifOpenCommand::saifOpenCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : TclSubCommand(parent, tcl) {}

StringBase saifOpenCommand::usage() const {
    return "saif open [-scope <path_name>] [-file <file_name>] [-level <nesting_level>] "
           "[-allnets]";
}

StringBase saifOpenCommand::help() const {
    return "    Selects a block for SAIF monitoring and records its switching activity in\n"
           "    the specified file. The default is to record activity on port signals only.\n"
           "    '-scope' specifies the block; the default is the current scope.\n"
           "    '-file' specifies the SAIF file; the default is zantel.saif.\n"
           "    '-level' specifies the depth of the hierarchy to monitor, starting with\n"
           "    the block; 0 means all blocks below it. Default is 0.\n"
           "    '-allnets' also records activity on internal signals.";
}

void saifOpenCommand::parse(Tcl_Interp*, int objc, Tcl_Obj* const objv[]) {
    allnets = false;
    fileName = defaultSaifFile;
    level = 0;
    scopePath = StringBase();
    requireArgumentCount(objc, 0, 7);
    for (ArgumentCursor args(objc, objv); !args.atEnd();) {
        std::string word = args.take();
        if (word == "-allnets")
            allnets = true;
        else if (word == "-file")
            fileName = args.value();
        else if (word == "-level")
            level = args.intValue("Invalid level value.");
        else if (word == "-scope")
            scopePath = args.value();
        else
            usageError();
    }
}

void saifOpenCommand::doCommand() {
    requireLiveEngine();
    TclControlInterface* tcl = getTclInterface();
    ISimulationControl* engine = tcl->getSimulationControl();
    // A scope path that names no block falls back to the current scope without a message.
    IBlock* block = scopePath.empty() ? nullptr : tcl->getReader()->findBlock(scopePath);
    if (block == nullptr) block = engine->getCurrentScope();
    requireBlock(block, scopePath);
    // Another session writing the same file would leave it corrupt.
    const std::string refusal = OutputLocks::claim(fileName.str(), "SAIF");
    if (!refusal.empty()) actionError(refusal);
    engine->saifOpen(block, fileName, allnets, level);
}

// ---- saif close ----

saifCloseCommand::saifCloseCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : TclPlainSubCommand(parent, tcl) {}
StringBase saifCloseCommand::usage() const { return "saif close"; }
StringBase saifCloseCommand::help() const {
    return "    Stops monitoring and flushes the SAIF file.";
}
void saifCloseCommand::doCommand() {
    requireSimulationControl();
    getTclInterface()->getSimulationControl()->saifClose();
}

} // namespace Tavrin
