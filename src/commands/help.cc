// help: the overview of every registered command, or the usage, help and subcommands of one.
#include "tavrin/HelpInstance.h"
#include "tavrin/commands/FlowCommands.h"

namespace Tavrin {

helpCommand::helpCommand(TclControlInterface* tcl) : TclCommand(tcl) {}

StringBase helpCommand::usage() const { return "help [<command_name>]"; }

// The help of `help` is the overview itself, printed here; the text returned is empty.
StringBase helpCommand::help() const {
    TclControlInterface* out = getTclInterface();
    out->print("Usage: ", false);
    out->print(usage(), true);
    out->print("Type \"help <command>\" for help on commands.", true);
    out->print("Valid commands are: ", false);
    const std::vector<TclCommand*>& commands = HelpInstance::getInstance().getAllCommands();
    for (std::size_t i = 0; i < commands.size(); ++i) {
        if (i > 0) out->print(", ", false);
        out->print(commands[i]->getName(), false);
    }
    out->print("", true);
    for (TclCommand* command : commands) out->print(command->usage(), true);
    return StringBase();
}

int helpCommand::execute(Tcl_Interp*, int objc, Tcl_Obj* const objv[]) {
    if (objc >= 2) {
        if (TclCommand* command = HelpInstance::getInstance().get(Tcl_GetString(objv[1]))) {
            command->printHelp(objc - 2, objv + 2);
            return TCL_OK;
        }
    }
    help();
    return TCL_OK;
}

} // namespace Tavrin
