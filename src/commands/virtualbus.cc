// virtualbus add: a virtual bus in the active wave configuration, labelled with its name; its id
// is the command's result.
#include "tavrin/commands/WaveCommands.h"

namespace Tavrin {

namespace {
const char* const virtualbusUsage =
    "virtualbus add <name> [-into <id>] [-reverse] [-radix <radix>] [-color <color>]";

const WaveContainerTraits virtualbusTraits = {
    "vbus",
    WaveOptions::IntoOption | WaveOptions::ColorOption | WaveOptions::RadixOption |
        WaveOptions::ReverseOption,
    true,
    0,
    "Missing virtual bus name name.",
    true,
    true};
} // namespace

virtualbusCommand::virtualbusCommand(TclControlInterface* tcl) : TclCommand(tcl) {
    addCommandCreator(virtualbusAddCommand::getSubCommandName(),
                      createSubCommandOf<virtualbusAddCommand>);
}

StringBase virtualbusCommand::usage() const { return virtualbusUsage; }

StringBase virtualbusCommand::help() const { return StringBase(); }

int virtualbusCommand::execute(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    return parseAndDoSubCommand(interp, objc, objv);
}

virtualbusAddCommand::virtualbusAddCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : WaveContainerAddCommand(parent, tcl, virtualbusTraits) {}

StringBase virtualbusAddCommand::usage() const { return virtualbusUsage; }

StringBase virtualbusAddCommand::help() const {
    return "    Adds a virtual bus.\n" + waveOptionsHelp(virtualbusTraits.allowedOptions);
}

} // namespace Tavrin
