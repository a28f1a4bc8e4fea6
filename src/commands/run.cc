// run: for 100 ns by default, for a time with an optional unit, or to the end (all, continue).
#include <memory>

#include "tavrin/TclHelper.h"
#include "tavrin/commands/FlowCommands.h"

namespace Tavrin {

namespace {
const char* const runAllHelp = "    Runs the simulation until there are no more events.";
const std::int64_t defaultRunLength = 100000000; // 100 ns, whatever the user unit is

// The engine counts in ticks of its resolution; a shorter run would silently move nothing.
void refuseTimeBelowResolution(TclControlInterface* tcl, std::int64_t time) {
    if (time <= 0) return;
    const int exponent = tcl->getTimeResolution();
    if (exponent < -15 || exponent > 0) return;
    std::int64_t tick = 1;
    for (int i = -15; i < exponent; ++i) tick *= 10;
    if (time >= tick) return;
    std::string shown;
    TclHelper::cvtRawTimeToDisplayableTime(time, shown);
    TclCommandBase::actionError("Time " + shown + " is below the time resolution (" +
                                std::string(TclHelper::precisionTable[exponent + 15]) +
                                "); the simulation was not run.");
}
} // namespace

runCommand::runCommand(TclControlInterface* tcl) : TclCommand(tcl) {
    addCommandCreator(runAllCommand::getSubCommandName(), createSubCommandOf<runAllCommand>);
    addCommandCreator(runContinueCommand::getSubCommandName(), createSubCommandOf<runContinueCommand>);
}

StringBase runCommand::usage() const { return "run [ all | continue | <<time> [<unit>]> ]"; }

StringBase runCommand::help() const {
    return "    Runs the simulation for the specified time.\n"
           "    run\n"
           "       Runs the simulation for 100 units of the current time unit.\n"
           "       The default time unit is the engine precision; it may be changed with\n"
           "       the command 'orvex set userunit'.\n"
           "    run <all | continue>\n"
           "       Runs the simulation until there are no more events.\n"
           "    run <time> [<unit>]\n"
           "       If unit is omitted, the current time unit is used.\n"
           "       The default time unit is the engine precision; it may be changed with\n"
           "       the command 'orvex set userunit'.\n"
           "       Possible values for unit are: fs, ps, ns, us, ms, s.";
}

int runCommand::execute(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    std::unique_ptr<TclSubCommand> sub;
    if (objc > 1) sub.reset(createSubCommand(Tcl_GetString(objv[1])));
    return guarded(
        [&] {
            requireLiveEngine();
            TclControlInterface* tcl = getTclInterface();
            if (objc == 1) {
                tcl->runFor(defaultRunLength);
            } else if (sub) {
                sub->parse(interp, objc - 2, objv + 2);
                sub->doCommand();
            } else {
                if (objc > 3) usageError();
                int index = 1;
                std::int64_t time = 0;
                if (TclHelper::getTimeArgument(objc, objv, index, time, tcl->getUserUnit()) != 0)
                    usageError();
                // A second word that is not a unit would silently turn 10 xs into 10 user units.
                if (index < objc) actionError(TclHelper::unknownTimeUnitMessage(Tcl_GetString(objv[index])));
                refuseTimeBelowResolution(tcl, time);
                Tcl_ResetResult(interp);
                tcl->runFor(time);
            }
        },
        sub ? static_cast<const TclCommandBase*>(sub.get()) : this);
}

runAllCommand::runAllCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : TclSubCommand(parent, tcl) {}
StringBase runAllCommand::usage() const { return "run all"; }
StringBase runAllCommand::help() const { return runAllHelp; }
void runAllCommand::parse(Tcl_Interp*, int, Tcl_Obj* const[]) {}
void runAllCommand::doCommand() {
    if (getTclInterface()->getSimulationControl() == nullptr)
        actionError("Unable to execute live simulation command.");
    getTclInterface()->runAll();
}

runContinueCommand::runContinueCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : TclSubCommand(parent, tcl) {}
StringBase runContinueCommand::usage() const { return "run continue"; }
StringBase runContinueCommand::help() const { return runAllHelp; }
void runContinueCommand::parse(Tcl_Interp*, int, Tcl_Obj* const[]) {}
void runContinueCommand::doCommand() {
    if (getTclInterface()->getSimulationControl() == nullptr)
        actionError("Unable to execute live simulation command.");
    getTclInterface()->runAll();
}

} // namespace Tavrin
