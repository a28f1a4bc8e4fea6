// onerror: the script evaluated whenever a command fails.
#include "tavrin/commands/FlowCommands.h"

namespace Tavrin {

onErrorCommand::onErrorCommand(TclControlInterface* tcl) : TclCommand(tcl) {}

StringBase onErrorCommand::usage() const { return "onerror {<script>}"; }

StringBase onErrorCommand::help() const {
    return "    Designates a script to be executed when an Orvex TCL command fails.\n"
           "    Note that '{}' are required.";
}

int onErrorCommand::execute(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    if (objc == 1) {
        StringBase script = getTclInterface()->getOnErrorScript();
        Tcl_SetObjResult(interp, Tcl_NewStringObj(script.c_str(), static_cast<int>(script.length())));
        return TCL_OK;
    }
    if (objc == 2) {
        int length = 0;
        const char* text = Tcl_GetStringFromObj(objv[1], &length);
        getTclInterface()->setOnErrorScript(StringBase(text, static_cast<std::size_t>(length)));
        return TCL_OK;
    }
    return TCL_ERROR;
}

} // namespace Tavrin
