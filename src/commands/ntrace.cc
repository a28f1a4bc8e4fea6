// ntrace: selection of HDL objects for tracing into the simulation database, and the start and
// stop of that tracing.
#include "tavrin/commands/NtraceCommands.h"

namespace Tavrin {

ntraceCommand::ntraceCommand(TclControlInterface* tcl) : TclCommand(tcl) {
    addCommandCreator(ntraceStartCommand::getSubCommandName(), createSubCommandOf<ntraceStartCommand>);
    addCommandCreator(ntraceStopCommand::getSubCommandName(), createSubCommandOf<ntraceStopCommand>);
    addCommandCreator(ntraceSelectCommand::getSubCommandName(), createSubCommandOf<ntraceSelectCommand>);
}

StringBase ntraceCommand::usage() const {
    return "ntrace <  start | stop | < select [-o <on|off>] < <-m <path_name> [-l <all|this>]> | "
           "<-n <signal_name>> > >";
}

StringBase ntraceCommand::help() const {
    return "    Manages the tracing of HDL objects in the simulation database (WDB file).";
}

int ntraceCommand::execute(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    return parseAndDoSubCommand(interp, objc, objv);
}

// ---- ntrace start, stop ----

ntraceStartCommand::ntraceStartCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : TclPlainSubCommand(parent, tcl) {}
StringBase ntraceStartCommand::usage() const { return "ntrace start"; }
StringBase ntraceStartCommand::help() const {
    return "    Starts tracing for all HDL objects selected with the \"ntrace select\"command.";
}
void ntraceStartCommand::doCommand() {
    requireSimulationControl();
    getTclInterface()->getSimulationControl()->ntraceStart();
}

ntraceStopCommand::ntraceStopCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : TclPlainSubCommand(parent, tcl) {}
StringBase ntraceStopCommand::usage() const { return "ntrace stop"; }
StringBase ntraceStopCommand::help() const {
    return "    Stops tracing for all HDL objects selected with the \"ntrace select\"command.";
}
void ntraceStopCommand::doCommand() {
    requireSimulationControl();
    getTclInterface()->getSimulationControl()->ntraceStop();
}

// ---- ntrace select ----

ntraceSelectCommand::ntraceSelectCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : TclSubCommand(parent, tcl) {}

StringBase ntraceSelectCommand::usage() const {
    return "ntrace select [-o <on|off>] < <-m <path_name> [-l <all|this>]> | <-n <signal_name>> >";
}

StringBase ntraceSelectCommand::help() const {
    return "    Selects HDL objects for tracing in the simulation database.\n"
           "    '-o' turns tracing on or off for the selected objects; the default is on.\n"
           "    '-m' selects a block whose HDL objects are traced.\n"
           "    '-l all' also selects all child modules recursively; '-l this' selects\n"
           "    the block only.\n"
           "    '-n' selects HDL objects by name.";
}

void ntraceSelectCommand::parse(Tcl_Interp*, int objc, Tcl_Obj* const objv[]) {
    requireArgumentCount(objc, 2, 48);
    on = true;
    modulePath = StringBase();
    levelWord = StringBase();
    signalNames.clear();
    for (ArgumentCursor args(objc, objv); !args.atEnd();) {
        std::string word = args.take();
        if (word == "-o") {
            std::string state = args.value();
            if (state == "on" || state == "yes") on = true;
            else if (state == "off" || state == "no") on = false;
        } else if (word == "-m") {
            modulePath = args.value();
        } else if (word == "-l") {
            levelWord = args.value();
        } else if (word == "-n") {
            for (const std::string& name : args.valuesUpToOption()) signalNames.push_back(name);
        } else {
            usageError("unknown options : " + word);
        }
    }
}

void ntraceSelectCommand::doCommand() {
    requireLiveEngine();
    TclControlInterface* tcl = getTclInterface();
    ISimulationControl* engine = tcl->getSimulationControl();
    IReader* reader = tcl->getReader();
    if (!modulePath.empty()) {
        // A block wins; signal names given beside it are ignored.
        IBlock* block = requireBlock(reader->findBlock(modulePath), modulePath);
        engine->ntraceSelectBlock(block, levelWord == "all", on);
        return;
    }
    if (signalNames.empty()) actionError("No module instance or signal has been selected.");
    // Every name is resolved before the first one is selected, so that a misspelt name
    // leaves the selection as it was.
    std::vector<const IDataObj*> objects;
    for (const StringBase& name : signalNames) {
        const IDataObj* object = reader->findDataObj(name);
        if (object == nullptr) actionError("{" + name + "}: No such HDL object.");
        objects.push_back(object);
    }
    for (const IDataObj* object : objects) engine->ntraceSelectObject(object, on);
}

} // namespace Tavrin
