// divider add: a divider in the active wave configuration, labelled with its name; a color is
// its background.
#include "tavrin/commands/WaveCommands.h"

namespace Tavrin {

namespace {
const char* const dividerUsage = "divider add <name> [-into <id>] [-color <color>]";

const WaveContainerTraits dividerTraits = {"divider",
                                           WaveOptions::IntoOption | WaveOptions::ColorOption,
                                           false,
                                           5,
                                           "Missing divider name.",
                                           false,
                                           false};
} // namespace

dividerCommand::dividerCommand(TclControlInterface* tcl) : TclCommand(tcl) {
    addCommandCreator(dividerAddCommand::getSubCommandName(), createSubCommandOf<dividerAddCommand>);
}

StringBase dividerCommand::usage() const { return dividerUsage; }

StringBase dividerCommand::help() const { return StringBase(); }

int dividerCommand::execute(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    return parseAndDoSubCommand(interp, objc, objv);
}

dividerAddCommand::dividerAddCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : WaveContainerAddCommand(parent, tcl, dividerTraits) {}

StringBase dividerAddCommand::usage() const { return dividerUsage; }

StringBase dividerAddCommand::help() const {
    return "    Adds a divider\n" + waveOptionsHelp(dividerTraits.allowedOptions);
}

} // namespace Tavrin
