// marker add: a time marker in the waveform window.
#include <string>

#include "tavrin/TclHelper.h"
#include "tavrin/commands/WaveCommands.h"

namespace Tavrin {

namespace {
const char* const markerUsage = "marker add <time>";
} // namespace

markerCommand::markerCommand(TclControlInterface* tcl) : TclCommand(tcl) {
    addCommandCreator(markerAddCommand::getSubCommandName(), createSubCommandOf<markerAddCommand>);
}

StringBase markerCommand::usage() const { return markerUsage; }

StringBase markerCommand::help() const { return StringBase(); }

int markerCommand::execute(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    return parseAndDoSubCommand(interp, objc, objv);
}

markerAddCommand::markerAddCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : TclSubCommand(parent, tcl) {}

StringBase markerAddCommand::usage() const { return markerUsage; }

StringBase markerAddCommand::help() const {
    return "    Adds a new marker.\n"
           "    '<time>' specifies the location of the new marker.";
}

// A time is one argument ("10ns"), or a value and a unit ("10 ns"); of two values, the last
// one counts.
void markerAddCommand::parse(Tcl_Interp*, int objc, Tcl_Obj* const objv[]) {
    if (objc < 1 || objc > 2) usageError();
    time = 0;
    int index = 0;
    while (index < objc) {
        const std::string arg = Tcl_GetString(objv[index]);
        if (arg.empty() || arg[0] == '-') usageError("<" + arg + ">: Undefined command option.");
        if (TclHelper::getTimeArgument(objc, objv, index, time, getTclInterface()->getUserUnit()) != 0)
            usageError("Invalid time value");
    }
}

void markerAddCommand::doCommand() {
    requireGui();
    getTclInterface()->getGuiControl()->addMarker(time, StringBase());
}

} // namespace Tavrin
