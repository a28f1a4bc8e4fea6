// resume: succeeds and does nothing, so that `onerror {resume}` lets a script go on.
#include "tavrin/commands/FlowCommands.h"

namespace Tavrin {

resumeCommand::resumeCommand(TclControlInterface* tcl) : TclCommand(tcl) {}

StringBase resumeCommand::usage() const { return "resume"; }

StringBase resumeCommand::help() const { return "    Resumes execution of the script."; }

int resumeCommand::execute(Tcl_Interp*, int, Tcl_Obj* const[]) { return TCL_OK; }

} // namespace Tavrin
