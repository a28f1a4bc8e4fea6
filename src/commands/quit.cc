// quit: ends the simulation, and the GUI unless -s is given; -f does not ask for confirmation.
#include <cstring>

#include "tavrin/commands/FlowCommands.h"

namespace Tavrin {

quitCommand::quitCommand(TclControlInterface* tcl) : TclCommand(tcl) {}

StringBase quitCommand::usage() const { return "quit [-f | -s]"; }

StringBase quitCommand::help() const {
    return "    Terminates the current simulation and possibly the GUI as well.\n"
           "\n"
           "    quit\n"
           "       Terminates the simulation and exits the GUI after asking for\n"
           "       confirmation.\n"
           "    quit -f\n"
           "       Terminates the simulation and exits the GUI without asking for\n"
           "       confirmation (\"forced\").\n"
           "    quit -s\n"
           "       Terminates the simulation without exiting the GUI.";
}

int quitCommand::execute(Tcl_Interp*, int objc, Tcl_Obj* const objv[]) {
    return guarded(
        [&] {
            bool force = false;
            bool exit = true;
            if (objc >= 3) usageError();
            if (objc == 2) {
                const char* option = Tcl_GetString(objv[1]);
                if (std::strcmp(option, "-f") == 0) {
                    force = true;
                } else if (std::strcmp(option, "-s") == 0) {
                    force = true;
                    exit = false;
                } else {
                    usageError();
                }
            }
            getTclInterface()->quit(force, exit);
        },
        nullptr, false);
}

} // namespace Tavrin
