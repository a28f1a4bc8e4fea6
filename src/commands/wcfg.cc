// wcfg: new, open, save and select wave configurations of the waveform window.
#include "tavrin/commands/WaveCommands.h"

namespace Tavrin {

wcfgCommand::wcfgCommand(TclControlInterface* tcl) : TclCommand(tcl) {
    addCommandCreator(wcfgNewCommand::getSubCommandName(), createSubCommandOf<wcfgNewCommand>);
    addCommandCreator(wcfgOpenCommand::getSubCommandName(), createSubCommandOf<wcfgOpenCommand>);
    addCommandCreator(wcfgSaveCommand::getSubCommandName(), createSubCommandOf<wcfgSaveCommand>);
    addCommandCreator(wcfgSelectCommand::getSubCommandName(),
                      createSubCommandOf<wcfgSelectCommand>);
}

StringBase wcfgCommand::usage() const {
    return "wcfg new | open <fileName> | save <fileName> | select <fileName>";
}

StringBase wcfgCommand::help() const { return StringBase(); }

int wcfgCommand::execute(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    return parseAndDoSubCommand(interp, objc, objv);
}

// ---- wcfg new ----

wcfgNewCommand::wcfgNewCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : TclSubCommand(parent, tcl) {}

StringBase wcfgNewCommand::usage() const { return "wcfg new"; }

StringBase wcfgNewCommand::help() const { return "    Create a new wave configuration."; }

void wcfgNewCommand::parse(Tcl_Interp*, int objc, Tcl_Obj* const[]) {
    if (objc != 0) usageError();
}

void wcfgNewCommand::doCommand() {
    requireGui();
    getTclInterface()->getGuiControl()->newWcfg();
}

// ---- the subcommands that take a file name ----

WcfgFileCommand::WcfgFileCommand(const TclCommandBase* parent, TclControlInterface* tcl,
                                 Operation fileOperation)
    : TclSubCommand(parent, tcl), operation(fileOperation) {}

// Exactly one file name; an empty one names no file and is refused like a missing one.
void WcfgFileCommand::parse(Tcl_Interp*, int objc, Tcl_Obj* const objv[]) {
    if (objc != 1) usageError();
    fileName = Tcl_GetString(objv[0]);
    if (fileName.empty()) usageError();
}

void WcfgFileCommand::doCommand() {
    requireGui();
    (getTclInterface()->getGuiControl()->*operation)(fileName);
}

wcfgOpenCommand::wcfgOpenCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : WcfgFileCommand(parent, tcl, &IGuiControl::openWcfg) {}
StringBase wcfgOpenCommand::usage() const { return "wcfg open"; }
StringBase wcfgOpenCommand::help() const { return "    Open a wave configuration from a file."; }

wcfgSaveCommand::wcfgSaveCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : WcfgFileCommand(parent, tcl, &IGuiControl::saveWcfg) {}
StringBase wcfgSaveCommand::usage() const { return "wcfg save"; }
StringBase wcfgSaveCommand::help() const {
    return "    Save the current active wave window to a wave configuration file.";
}

wcfgSelectCommand::wcfgSelectCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : WcfgFileCommand(parent, tcl, &IGuiControl::selectWcfg) {}
StringBase wcfgSelectCommand::usage() const { return "wcfg select"; }
StringBase wcfgSelectCommand::help() const {
    return "    Select the wave configuration file to be active window.";
}

} // namespace Tavrin
