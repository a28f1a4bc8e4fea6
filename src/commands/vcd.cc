// vcd: the engine's Value Change Dump output. Each subcommand checks its arguments and forwards
// one request; the engine writes the file.
#include <cmath>

#include "tavrin/commands/VcdCommands.h"

#include "client/OutputLocks.h"

namespace Tavrin {

vcdCommand::vcdCommand(TclControlInterface* tcl) : TclCommand(tcl) {
    addCommandCreator(vcdDumpfileCommand::getSubCommandName(), createSubCommandOf<vcdDumpfileCommand>);
    addCommandCreator(vcdDumpflushCommand::getSubCommandName(), createSubCommandOf<vcdDumpflushCommand>);
    addCommandCreator(vcdDumponCommand::getSubCommandName(), createSubCommandOf<vcdDumponCommand>);
    addCommandCreator(vcdDumpoffCommand::getSubCommandName(), createSubCommandOf<vcdDumpoffCommand>);
    addCommandCreator(vcdDumpvarsCommand::getSubCommandName(), createSubCommandOf<vcdDumpvarsCommand>);
    addCommandCreator(vcdDumplimitCommand::getSubCommandName(), createSubCommandOf<vcdDumplimitCommand>);
}

StringBase vcdCommand::usage() const {
    return "vcd < <dumpfile <file_name>> | dumpflush | dumpon | dumpoff | "
           "<dumpvars -m <path_name> [-l <level>]> | <dumplimit <size>> >";
}

StringBase vcdCommand::help() const { return "    Controls the generation of a VCD dump file."; }

int vcdCommand::execute(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    return parseAndDoSubCommand(interp, objc, objv);
}

// ---- vcd dumpfile ----

vcdDumpfileCommand::vcdDumpfileCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : TclSubCommand(parent, tcl) {}
StringBase vcdDumpfileCommand::usage() const { return "vcd dumpfile <file_name>"; }
StringBase vcdDumpfileCommand::help() const { return "    Specifies the VCD output file."; }

void vcdDumpfileCommand::parse(Tcl_Interp*, int objc, Tcl_Obj* const objv[]) {
    requireArgumentCount(objc, 1, 1);
    fileName = Tcl_GetString(objv[0]);
}

namespace {
// The VCD file this session's engine writes: the engine's default until one is named.
std::string& sessionVcdFile() {
    static std::string name = "dump.vcd";
    return name;
}

// Another session writing the same file would interleave its dump with ours.
void claimVcdFile(const std::string& name) {
    const std::string refusal = OutputLocks::claim(name, "VCD");
    if (!refusal.empty()) ORVEX_THROW(TclCommandActionErrorException, refusal);
}
} // namespace

void vcdDumpfileCommand::doCommand() {
    requireSimulationControl();
    claimVcdFile(fileName.str());
    getTclInterface()->getSimulationControl()->vcdDumpFile(fileName);
    sessionVcdFile() = fileName.str();
}

// ---- vcd dumpflush, dumpon, dumpoff ----

vcdDumpflushCommand::vcdDumpflushCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : TclPlainSubCommand(parent, tcl) {}
StringBase vcdDumpflushCommand::usage() const { return "vcd dumpflush"; }
StringBase vcdDumpflushCommand::help() const {
    return "    Flushes VCD data to the VCD output file.";
}
void vcdDumpflushCommand::doCommand() {
    requireSimulationControl();
    getTclInterface()->getSimulationControl()->vcdDumpFlush();
}

vcdDumponCommand::vcdDumponCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : TclPlainSubCommand(parent, tcl) {}
StringBase vcdDumponCommand::usage() const { return "vcd dumpon"; }
StringBase vcdDumponCommand::help() const { return "    Turns VCD dumping on."; }
void vcdDumponCommand::doCommand() {
    requireSimulationControl();
    getTclInterface()->getSimulationControl()->vcdDumpOn();
}

vcdDumpoffCommand::vcdDumpoffCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : TclPlainSubCommand(parent, tcl) {}
StringBase vcdDumpoffCommand::usage() const { return "vcd dumpoff"; }
StringBase vcdDumpoffCommand::help() const { return "    Turns VCD dumping off."; }
void vcdDumpoffCommand::doCommand() {
    requireSimulationControl();
    getTclInterface()->getSimulationControl()->vcdDumpOff();
}

// ---- vcd dumpvars ----

vcdDumpvarsCommand::vcdDumpvarsCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : TclSubCommand(parent, tcl) {}
StringBase vcdDumpvarsCommand::usage() const { return "vcd dumpvars [-m <path_name>] [-l <level>]"; }
StringBase vcdDumpvarsCommand::help() const {
    return "    Selects all HDL objects of the specified block for VCD tracing.\n"
           "    '-m' specifies the block; without it the current scope is used.\n"
           "    '-l' specifies the depth of the hierarchy to trace, starting with the\n"
           "    specified block; the default is 1, the block only.\n"
           "    A value of 0 for level selects the HDL objects from all blocks\n"
           "    recursively starting from the specified block.";
}

void vcdDumpvarsCommand::parse(Tcl_Interp*, int objc, Tcl_Obj* const objv[]) {
    requireArgumentCount(objc, 0, 4);
    path = StringBase();
    level = 1;
    // Words other than the two options are ignored.
    for (ArgumentCursor args(objc, objv); !args.atEnd();) {
        std::string word = args.take();
        if (word == "-m")
            path = args.value("Incorrect usage of -m swtch: path name is missing");
        else if (word == "-l")
            level = args.intValue("Incorrect usage of -l swtch: Invalid level");
    }
}

void vcdDumpvarsCommand::doCommand() {
    requireLiveEngine();
    TclControlInterface* tcl = getTclInterface();
    ISimulationControl* engine = tcl->getSimulationControl();
    IBlock* block = path.empty() ? engine->getCurrentScope() : tcl->getReader()->findBlock(path);
    requireBlock(block, path);
    claimVcdFile(sessionVcdFile());
    engine->vcdDumpVars(block, level);
}

// ---- vcd dumplimit ----

vcdDumplimitCommand::vcdDumplimitCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : TclSubCommand(parent, tcl) {}
StringBase vcdDumplimitCommand::usage() const { return "vcd dumplimit <size>"; }
StringBase vcdDumplimitCommand::help() const {
    return "    Limits the size of the VCD output file to the specified number of bytes.";
}

void vcdDumplimitCommand::parse(Tcl_Interp*, int objc, Tcl_Obj* const objv[]) {
    requireArgumentCount(objc, 1, 1);
    double bytes = 0.0;
    if (Tcl_GetDoubleFromObj(nullptr, objv[0], &bytes) != TCL_OK) usageError("Invalid bytesize.");
    // The size is the number truncated toward zero; one that no 64-bit count can hold (or that
    // is not a number at all) would make the conversion undefined, so it is refused the same way.
    const double limit = 9223372036854775808.0; // 2^63
    if (!std::isfinite(bytes) || bytes >= limit || bytes < -limit) usageError("Invalid bytesize.");
    size = static_cast<std::int64_t>(bytes);
}

void vcdDumplimitCommand::doCommand() {
    requireSimulationControl();
    getTclInterface()->getSimulationControl()->vcdDumpLimit(size);
}

} // namespace Tavrin
