// specify: how Verilog specify blocks treat pulses: the path-pulse limits, the pulse style and
// whether cancelled events are shown.
#include "tavrin/TclHelper.h"
#include "tavrin/commands/SpecifyCommands.h"

namespace Tavrin {

namespace {
enum PulseStyle { PulseOnEvent = 0, PulseOnDetect = 1 };
} // namespace

specifyCommand::specifyCommand(TclControlInterface* tcl) : TclCommand(tcl) {
    addCommandCreator(specifyPathpulseCommand::getSubCommandName(),
                      createSubCommandOf<specifyPathpulseCommand>);
    addCommandCreator(specifyPulsestyleCommand::getSubCommandName(),
                      createSubCommandOf<specifyPulsestyleCommand>);
    addCommandCreator(specifyshowcancelledCommand::getSubCommandName(),
                      createSubCommandOf<specifyshowcancelledCommand>);
    addCommandCreator(specifyNoshowcancelledCommand::getSubCommandName(),
                      createSubCommandOf<specifyNoshowcancelledCommand>);
}

StringBase specifyCommand::usage() const {
    return "specify < <pathpulse <int> [<int>]> | <pulsestyle <onevent|ondetect>> | "
           "showcancelled | noshowcancelled >";
}

StringBase specifyCommand::help() const {
    return "    Modifies the behavior of specify blocks in verilog modules.";
}

int specifyCommand::execute(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    return parseAndDoSubCommand(interp, objc, objv);
}

// ---- specify pathpulse ----

specifyPathpulseCommand::specifyPathpulseCommand(const TclCommandBase* parent,
                                                 TclControlInterface* tcl)
    : TclSubCommand(parent, tcl) {}
StringBase specifyPathpulseCommand::usage() const { return "specify pathpulse <int> [<int>]"; }
StringBase specifyPathpulseCommand::help() const {
    return "    Sets global path pulse reject, error limit value.";
}

void specifyPathpulseCommand::parse(Tcl_Interp*, int objc, Tcl_Obj* const objv[]) {
    requireArgumentCount(objc, 0, 4);
    const int userUnit = getTclInterface()->getUserUnit();
    // Each limit is one time: a number, a number with its unit, or a number and a unit word.
    int index = 0;
    if (TclHelper::getTimeArgument(objc, objv, index, reject, userUnit) != 0)
        usageError("Invalid Time value");
    error = reject;
    if (index < objc && TclHelper::getTimeArgument(objc, objv, index, error, userUnit) != 0)
        usageError("Invalid Time value");
}

void specifyPathpulseCommand::doCommand() {
    requireLiveEngine();
    getTclInterface()->getSimulationControl()->setPathPulse(reject, error);
}

// ---- specify pulsestyle ----

specifyPulsestyleCommand::specifyPulsestyleCommand(const TclCommandBase* parent,
                                                   TclControlInterface* tcl)
    : TclSubCommand(parent, tcl) {}
StringBase specifyPulsestyleCommand::usage() const {
    return "specify pulsestyle <onevent | ondetect>";
}
StringBase specifyPulsestyleCommand::help() const {
    return "    Sets the pulse filtering mode to either \"on-event\" or \"on-detect.\"";
}

void specifyPulsestyleCommand::parse(Tcl_Interp*, int objc, Tcl_Obj* const objv[]) {
    requireArgumentCount(objc, 1, 1);
    const std::string word = Tcl_GetString(objv[0]);
    if (word == "onevent") style = PulseOnEvent;
    else if (word == "ondetect") style = PulseOnDetect;
    else usageError("unknown option \"" + word + "\"");
}

void specifyPulsestyleCommand::doCommand() {
    requireLiveEngine();
    getTclInterface()->getSimulationControl()->setPulseStyle(style);
}

// ---- specify showcancelled, noshowcancelled ----

specifyshowcancelledCommand::specifyshowcancelledCommand(const TclCommandBase* parent,
                                                         TclControlInterface* tcl)
    : TclPlainSubCommand(parent, tcl) {}
StringBase specifyshowcancelledCommand::usage() const { return "specify showcancelled"; }
StringBase specifyshowcancelledCommand::help() const {
    return "    Enables negative pulse detection.";
}
void specifyshowcancelledCommand::doCommand() {
    requireLiveEngine();
    getTclInterface()->getSimulationControl()->setShowCancelled(true);
}

specifyNoshowcancelledCommand::specifyNoshowcancelledCommand(const TclCommandBase* parent,
                                                             TclControlInterface* tcl)
    : TclPlainSubCommand(parent, tcl) {}
StringBase specifyNoshowcancelledCommand::usage() const { return "specify noshowcancelled"; }
StringBase specifyNoshowcancelledCommand::help() const {
    return "    Disables negative pulse detection.";
}
void specifyNoshowcancelledCommand::doCommand() {
    requireLiveEngine();
    getTclInterface()->getSimulationControl()->setShowCancelled(false);
}

} // namespace Tavrin
