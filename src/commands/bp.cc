// bp: adds, removes, deletes, clears and lists line breakpoints. The engine keeps them and
// assigns their indices; every command asks it afresh.
#include <string>

#include "tavrin/commands/BpCommands.h"

namespace Tavrin {

namespace {

// The name component of a file as the engine lists it, so that a bare file name typed by the
// user matches a breakpoint listed with its full path (C:\work\top.vhd matches top.vhd).
std::string fileLeaf(std::string file) {
    if (file.compare(0, 3, "//:") == 0) file.erase(0, 3);
    for (char& c : file)
        if (c == '\\') c = '/';
    if (!file.empty() && file.back() == '/') return ".";
    std::size_t slash = file.rfind('/');
    return slash == std::string::npos ? file : file.substr(slash + 1);
}

} // namespace

// ---- bp ----

bpCommand::bpCommand(TclControlInterface* tcl) : TclCommand(tcl) {
    addCommandCreator(bpListCommand::getSubCommandName(), createSubCommandOf<bpListCommand>);
    addCommandCreator(bpAddCommand::getSubCommandName(), createSubCommandOf<bpAddCommand>);
    addCommandCreator(bpRemoveCommand::getSubCommandName(), createSubCommandOf<bpRemoveCommand>);
    addCommandCreator(bpDelCommand::getSubCommandName(), createSubCommandOf<bpDelCommand>);
    addCommandCreator(bpClearCommand::getSubCommandName(), createSubCommandOf<bpClearCommand>);
}

StringBase bpCommand::usage() const {
    return "bp < list | <add <file_name> <line_number>> | <remove <file_name> <line_number>> | "
           "<del <index_list>> | clear >";
}

StringBase bpCommand::help() const { return "    Manages breakpoints."; }

int bpCommand::execute(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    return parseAndDoSubCommand(interp, objc, objv);
}

// ---- bp list ----

bpListCommand::bpListCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : TclSubCommand(parent, tcl) {}

StringBase bpListCommand::usage() const { return "bp list"; }

StringBase bpListCommand::help() const { return "    Lists all breakpoints."; }

void bpListCommand::parse(Tcl_Interp*, int objc, Tcl_Obj* const[]) {
    if (objc != 0) usageError();
}

void bpListCommand::doCommand() {
    requireSimulationControl();
    std::vector<BreakpointListEntry> list;
    getTclInterface()->getSimulationControl()->getBreakpointList(list);
    for (const BreakpointListEntry& entry : list)
        getTclInterface()->print(std::to_string(entry.index) + " File \"" + entry.file.str() +
                                     "\" Line " + std::to_string(entry.line),
                                 true);
    getTclInterface()->print("Total break points = " + std::to_string(list.size()), true);
}

// ---- bp clear ----

bpClearCommand::bpClearCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : TclSubCommand(parent, tcl) {}

StringBase bpClearCommand::usage() const { return "bp clear"; }

StringBase bpClearCommand::help() const { return "    Clears all breakpoints."; }

void bpClearCommand::parse(Tcl_Interp*, int objc, Tcl_Obj* const[]) {
    if (objc != 0) usageError();
}

void bpClearCommand::doCommand() {
    requireSimulationControl();
    getTclInterface()->getSimulationControl()->clearBreakpoints();
}

// ---- bp add and bp remove: the location ----

bpLocationCommand::bpLocationCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : TclSubCommand(parent, tcl) {}

void bpLocationCommand::parse(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    if (objc != 2) usageError();
    location.file = Tcl_GetString(objv[0]);
    // Tcl's own conversion message stays in the interpreter result.
    if (Tcl_GetIntFromObj(interp, objv[1], &location.line) != TCL_OK)
        usageError("Invalid line number.");
}

StringBase bpLocationCommand::describeLocation() const {
    return location.file + ":" + std::to_string(location.line);
}

// ---- bp add ----

bpAddCommand::bpAddCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : bpLocationCommand(parent, tcl) {}

StringBase bpAddCommand::usage() const { return "bp add <file_name> <line_number>"; }

StringBase bpAddCommand::help() const {
    return "    Adds a breakpoint at the given line and file.";
}

void bpAddCommand::doCommand() {
    requireSimulationControl();
    try {
        getTclInterface()->getSimulationControl()->addBreakpoint(location);
    } catch (const CommandErrorException& e) {
        actionError(describeLocation() + ": " + e.getDescription());
    }
}

// ---- bp remove ----

bpRemoveCommand::bpRemoveCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : bpLocationCommand(parent, tcl) {}

StringBase bpRemoveCommand::usage() const { return "bp remove <file_name> <line_number>"; }

StringBase bpRemoveCommand::help() const {
    return "    Removes a breakpoint at the given line and file.";
}

void bpRemoveCommand::doCommand() {
    requireSimulationControl();
    ISimulationControl* engine = getTclInterface()->getSimulationControl();
    std::vector<BreakpointListEntry> list;
    engine->getBreakpointList(list);
    for (const BreakpointListEntry& entry : list) {
        bool sameFile = entry.file == location.file || fileLeaf(entry.file.str()) == location.file.str();
        if (!sameFile || entry.line != location.line) continue;
        try {
            engine->removeBreakpoint(entry.index);
        } catch (const CommandErrorException& e) {
            actionError(describeLocation() + e.getDescription());
        }
        return;
    }
    actionError(describeLocation() + "Breakpoint not found");
}

// ---- bp del ----

bpDelCommand::bpDelCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : TclSubCommand(parent, tcl) {}

StringBase bpDelCommand::usage() const { return "bp del <index> [ <index>... ]"; }

StringBase bpDelCommand::help() const {
    return "    Deletes breakpoint number(s) specified by indices. The command can take\n"
           "    one index or a list of space-separated indices.";
}

void bpDelCommand::parse(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    if (objc < 1) usageError();
    // All or nothing: a malformed index anywhere means nothing is deleted.
    indices.clear();
    for (int i = 0; i < objc; ++i) {
        int index = 0;
        if (Tcl_GetIntFromObj(interp, objv[i], &index) != TCL_OK)
            usageError("Invalid index number.");
        indices.push_back(index);
    }
}

void bpDelCommand::doCommand() {
    requireSimulationControl();
    ISimulationControl* engine = getTclInterface()->getSimulationControl();
    for (int index : indices) {
        try {
            engine->removeBreakpoint(index);
        } catch (const CommandErrorException& e) {
            actionError(std::to_string(index) + ":" + e.getDescription());
        }
    }
}

} // namespace Tavrin
