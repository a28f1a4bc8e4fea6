// group add: a group in the active wave configuration, labelled with its name; its id is the
// command's result.
#include "tavrin/commands/WaveCommands.h"

namespace Tavrin {

namespace {
const char* const groupUsage = "group add <name> [-into <id>]";

const WaveContainerTraits groupTraits = {"group", WaveOptions::IntoOption, false, 3,
                                         "Missing group name.", false, true};
} // namespace

groupCommand::groupCommand(TclControlInterface* tcl) : TclCommand(tcl) {
    addCommandCreator(groupAddCommand::getSubCommandName(), createSubCommandOf<groupAddCommand>);
}

StringBase groupCommand::usage() const { return groupUsage; }

StringBase groupCommand::help() const { return StringBase(); }

int groupCommand::execute(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    return parseAndDoSubCommand(interp, objc, objv);
}

groupAddCommand::groupAddCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : WaveContainerAddCommand(parent, tcl, groupTraits) {}

StringBase groupAddCommand::usage() const { return groupUsage; }

StringBase groupAddCommand::help() const {
    return "    Adds a group.\n" + waveOptionsHelp(groupTraits.allowedOptions);
}

} // namespace Tavrin
