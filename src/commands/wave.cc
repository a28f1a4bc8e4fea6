// wave: add puts blocks and data objects into a wave configuration of the window; log records
// them in the waveform database through the engine.
#include "tavrin/commands/WaveCommands.h"

namespace Tavrin {

waveCommand::waveCommand(TclControlInterface* tcl) : TclCommand(tcl) {
    addCommandCreator(waveAddCommand::getSubCommandName(), createSubCommandOf<waveAddCommand>);
    addCommandCreator(waveLogCommand::getSubCommandName(), createSubCommandOf<waveLogCommand>);
}

StringBase waveCommand::usage() const {
    return "wave <add [options] [<object_name>...]> | <log [options] [<object_name>...]>";
}

StringBase waveCommand::help() const { return StringBase(); }

int waveCommand::execute(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    return parseAndDoSubCommand(interp, objc, objv);
}

// ---- wave add ----

waveAddCommand::waveAddCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : WaveOptionsCommand(parent, tcl, WaveOptions::AllOptions, true) {}

StringBase waveAddCommand::usage() const {
    return "wave add [-into <id>] [-reverse] [-radix <radix>] [-color <color>] "
           "[-name <custom_name>] [-r] [-wcfg <wcfg_name>] <object_name> [<object_name>...]";
}

StringBase waveAddCommand::help() const {
    return "    Adds an HDL object to a wave configuration and selects it for tracing.\n" +
           waveOptionsHelp(WaveOptions::AllOptions);
}

void waveAddCommand::doCommand() {
    IGuiControl& gui = requireGuiAndDatabase();
    const std::vector<const IObject*> objects =
        resolveWaveObjects(options.names, *getTclInterface()->getReader());
    if (objects.empty()) actionError("No matching HDL object or HDL block found");
    if (!options.wcfgName.empty()) {
        getTclInterface()->print(
            "Warning: The usage of -wcfg with wave add is being deprecated.\n"
            "In order to save this to a wave configuration, please use the \"wcfg save\" "
            "command instead.\n"
            "Please see the Orvex User Guide for more information.\n",
            true);
    }
    gui.useWcfg(options.wcfgName);
    std::vector<int> ids;
    gui.addWaveObjects(ids, objects, options.intoId, options.wcfgName, options.recursive);
    if (!ids.empty()) applyWaveProperties(options, ids, gui, StringBase());
    finishWcfg(gui, ids);
}

// ---- wave log ----

waveLogCommand::waveLogCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : WaveOptionsCommand(parent, tcl, WaveOptions::RecursiveOption, false) {}

StringBase waveLogCommand::usage() const {
    return "wave log [-r] <object_name> [<object_name>...]";
}

StringBase waveLogCommand::help() const {
    return "    Logs an HDL object to a wave database.\n" +
           waveOptionsHelp(WaveOptions::RecursiveOption);
}

void waveLogCommand::doCommand() {
    requireLiveEngine();
    const std::vector<const IObject*> objects =
        resolveWaveObjects(options.names, *getTclInterface()->getReader());
    if (objects.empty()) actionError("No matching HDL object or HDL block found");
    ISimulationControl* engine = getTclInterface()->getSimulationControl();
    engine->ntraceStart();
    for (const IObject* object : objects) {
        if (const IBlock* block = dynamic_cast<const IBlock*>(object))
            engine->ntraceSelectBlock(block, options.recursive, true);
        else
            engine->ntraceSelectObject(dynamic_cast<const IDataObj*>(object), true);
    }
}

} // namespace Tavrin
