// orvex: the shell's settings (set, get), the engine's process and line tracing, conditional
// actions (condition) and forces (force).
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>

#include "tavrin/TclHelper.h"
#include "tavrin/commands/OrvexCommands.h"

namespace Tavrin {

namespace {

// Reads a radix name; a missing word or a name that is no radix is a usage error (Tcl's own
// message, naming the accepted radixes, stays in the interpreter result).
Radix readRadix(Tcl_Interp* interp, Tcl_Obj* word) {
    int radix = TclHelper::getRadix(interp, word);
    if (radix < 0) TclCommandBase::usageError();
    return static_cast<Radix>(radix);
}

// Reads the time that follows a time option at objv[index], advancing index past it.
std::int64_t readTimeOption(int objc, Tcl_Obj* const objv[], int& index, int userUnit,
                            const char* option) {
    std::int64_t time = 0;
    if (TclHelper::getTimeArgument(objc, objv, index, time, userUnit) != 0)
        TclCommandBase::usageError(std::string(option) + " has an invalid time value");
    return time;
}

// A whole decimal int with an optional sign: no blanks, no fraction, nothing after it.
bool readWholeInt(const std::string& text, int& value) {
    std::size_t digits = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    if (digits == text.size()) return false;
    for (std::size_t i = digits; i < text.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    errno = 0;
    long long wide = std::strtoll(text.c_str(), nullptr, 10);
    if (errno == ERANGE || wide < INT_MIN || wide > INT_MAX) return false;
    value = static_cast<int>(wide);
    return true;
}

// The condition id in a list element, read as atoi reads it (leading digits; 0 for none),
// kept within the int range.
int leadingConditionId(const std::string& element) {
    long long id = std::strtoll(element.c_str(), nullptr, 10);
    if (id < INT_MIN) return INT_MIN;
    if (id > INT_MAX) return INT_MAX;
    return static_cast<int>(id);
}

} // namespace

// ---- orvex ----

orvexCommand::orvexCommand(TclControlInterface* tcl) : TclCommand(tcl) {
    addCommandCreator(orvexPtraceCommand::getSubCommandName(), createSubCommandOf<orvexPtraceCommand>);
    addCommandCreator(orvexLtraceCommand::getSubCommandName(), createSubCommandOf<orvexLtraceCommand>);
    addCommandCreator(orvexSetCommand::getSubCommandName(), createSubCommandOf<orvexSetCommand>);
    addCommandCreator(orvexGetCommand::getSubCommandName(), createSubCommandOf<orvexGetCommand>);
    addCommandCreator(orvexConditionCommand::getSubCommandName(),
                      createSubCommandOf<orvexConditionCommand>);
    addCommandCreator(orvexForceCommand::getSubCommandName(), createSubCommandOf<orvexForceCommand>);
}

StringBase orvexCommand::usage() const {
    return "orvex <  < <ptrace|ltrace> <on|off> > | "
           "< set <userunit|arraydisplaylength|maxtraceablesize|radix> <value> > | "
           "< get <userunit|arraydisplaylength|maxtraceablesize|radix> > | "
           "< condition <list | <add <options>> | <remove <options>> > | "
           "< force < <add <options>> | <remove <options>> > >";
}

StringBase orvexCommand::help() const { return "    Manages various simulation features."; }

int orvexCommand::execute(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    return parseAndDoSubCommand(interp, objc, objv);
}

// ---- settings: the table that set and get share ----

/// How `orvex set` reads one setting, where it is kept, and how `orvex get` shows it.
struct OrvexSetting {
    const char* word;
    const char* setUsage;
    const char* setHelp;
    const char* getUsage;
    const char* getHelp;
    /// Reads the arguments after `orvex set <word>`; a bad value is a usage error.
    int (*read)(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]);
    void (*store)(TclControlInterface& tcl, int value);
    std::string (*show)(TclControlInterface& tcl);
};

namespace {

// [1|10|100]<unit> as one word (10ns) or two (10 ns); only lower-case units.
int readUserUnit(Tcl_Interp*, int objc, Tcl_Obj* const objv[]) {
    if (objc < 1 || objc > 2) TclCommandBase::usageError();
    std::string value, unit;
    if (objc == 1) {
        TclHelper::extractValueAndUnitFromComposite(value, unit, Tcl_GetString(objv[0]));
    } else {
        value = Tcl_GetString(objv[0]);
        unit = Tcl_GetString(objv[1]);
    }
    static const struct {
        const char* name;
        int exponent;
    } units[] = {{"fs", -15}, {"ps", -12}, {"ns", -9}, {"us", -6},
                 {"ms", -3},  {"s", 0},    {"sec", 0}};
    const auto* found = std::find_if(std::begin(units), std::end(units),
                                     [&](const auto& candidate) { return unit == candidate.name; });
    if (found == std::end(units)) TclCommandBase::usageError();
    int exponent = found->exponent;
    if (value == "10") exponent += 1;
    else if (value == "100") exponent += 2;
    else if (!value.empty() && value != "1") TclCommandBase::usageError();
    // Times are counted in femtoseconds up to 1 s units; 10 s and 100 s have no user unit.
    if (exponent > 0)
        TclCommandBase::usageError("User unit " + value + " " + unit +
                                   " is too large: the largest user unit is 1 s");
    return exponent;
}

int readRadixSetting(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    if (objc != 1) TclCommandBase::usageError();
    return readRadix(interp, objv[0]);
}

int readSize(Tcl_Interp*, int objc, Tcl_Obj* const objv[]) {
    int size = 0;
    if (objc != 1 || !readWholeInt(Tcl_GetString(objv[0]), size) || size < 0)
        TclCommandBase::usageError();
    return size;
}

std::string showUserUnit(TclControlInterface& tcl) {
    int unit = tcl.getUserUnit();
    if (unit < -15 || unit > 0)
        TclCommandBase::actionError("Unknown user unit 1e" + std::to_string(unit) + " s");
    return TclHelper::precisionTable[unit + 15];
}

std::string showRadix(TclControlInterface& tcl) {
    Radix radix = tcl.getRadix();
    return radix == NoRadix ? "default" : TclHelper::getRadixName(radix).str();
}

const OrvexSetting userUnitSetting = {
    "userunit",
    "orvex set userunit [1|10|100]<fs|ps|ns|us|ms|s>",
    "    Sets the default unit of measurement for all time values for cases in\n"
    "    which the unit is unspecified. Default unit is the same as engine\n"
    "    precision (resolution limit).",
    "orvex get userunit",
    "    Displays the default unit of measurement for all time values for cases\n"
    "    in which the unit is unspecified.",
    readUserUnit,
    [](TclControlInterface& tcl, int value) { tcl.setUserUnit(value); },
    showUserUnit};

const OrvexSetting radixSetting = {
    "radix",
    "orvex set radix <type>",
    "    Sets the default radix for all values shown in Tcl commands.\n"
    "    Possible values for radix are: default, dec, bin, oct, hex, unsigned,\n"
    "    or ascii. When no radix is set, each value is shown in a radix\n"
    "    appropriate to its data type.",
    "orvex get radix",
    "    Displays the default radix for all values shown in Tcl commands.",
    readRadixSetting,
    [](TclControlInterface& tcl, int value) { tcl.setRadix(static_cast<Radix>(value)); },
    showRadix};

const OrvexSetting arrayDisplayLengthSetting = {
    "arraydisplaylength",
    "orvex set arraydisplaylength <size>",
    "    Sets the limit on the number of array elements displayed by\n"
    "    'show value'. 0 specifies unlimited length. Default is 64.",
    "orvex get arraydisplaylength",
    "    Displays the limit on the number of array elements displayed by\n"
    "    'show value'.",
    readSize,
    [](TclControlInterface& tcl, int value) { tcl.setArrayDisplayLength(value); },
    [](TclControlInterface& tcl) { return std::to_string(tcl.getArrayDisplayLength()); }};

const OrvexSetting maxTraceableSizeSetting = {
    "maxtraceablesize",
    "orvex set maxtraceablesize <size>",
    "    Sets the number of elements above which an array or a record cannot be\n"
    "    traced. With a size of 4000, an array of 4000 elements can be traced\n"
    "    and an array of 4001 elements is rejected. Default is 65536.",
    "orvex get maxtraceablesize",
    "    Displays the number of elements above which an array or a record cannot\n"
    "    be traced.",
    readSize,
    [](TclControlInterface& tcl, int value) { tcl.setMaxTraceableSize(value); },
    [](TclControlInterface& tcl) { return std::to_string(tcl.getMaxTraceableSize()); }};

} // namespace

// ---- orvex set ----

orvexSetCommand::orvexSetCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : TclSubCommand(parent, tcl) {
    addCommandCreator(orvexSetUserunitCommand::getSubCommandName(),
                      createSubCommandOf<orvexSetUserunitCommand>);
    addCommandCreator(orvexSetRadixCommand::getSubCommandName(),
                      createSubCommandOf<orvexSetRadixCommand>);
    addCommandCreator(orvexSetArraydisplaylengthCommand::getSubCommandName(),
                      createSubCommandOf<orvexSetArraydisplaylengthCommand>);
    addCommandCreator(orvexSetMaxtraceablesizeCommand::getSubCommandName(),
                      createSubCommandOf<orvexSetMaxtraceablesizeCommand>);
}

StringBase orvexSetCommand::usage() const {
    return "orvex set <userunit|arraydisplaylength|maxtraceablesize|radix> <value>";
}

StringBase orvexSetCommand::help() const { return "    Sets various simulation parameters."; }

orvexSetSettingCommand::orvexSetSettingCommand(const TclCommandBase* parent,
                                               TclControlInterface* tcl,
                                               const OrvexSetting& entry)
    : TclSubCommand(parent, tcl), setting(entry) {}

StringBase orvexSetSettingCommand::getName() const { return setting.word; }
StringBase orvexSetSettingCommand::usage() const { return setting.setUsage; }
StringBase orvexSetSettingCommand::help() const { return setting.setHelp; }

void orvexSetSettingCommand::parse(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    value = setting.read(interp, objc, objv);
}

void orvexSetSettingCommand::doCommand() { setting.store(*getTclInterface(), value); }

orvexSetUserunitCommand::orvexSetUserunitCommand(const TclCommandBase* parent,
                                                 TclControlInterface* tcl)
    : orvexSetSettingCommand(parent, tcl, userUnitSetting) {}

orvexSetRadixCommand::orvexSetRadixCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : orvexSetSettingCommand(parent, tcl, radixSetting) {}

orvexSetArraydisplaylengthCommand::orvexSetArraydisplaylengthCommand(const TclCommandBase* parent,
                                                                     TclControlInterface* tcl)
    : orvexSetSettingCommand(parent, tcl, arrayDisplayLengthSetting) {}

orvexSetMaxtraceablesizeCommand::orvexSetMaxtraceablesizeCommand(const TclCommandBase* parent,
                                                                 TclControlInterface* tcl)
    : orvexSetSettingCommand(parent, tcl, maxTraceableSizeSetting) {}

// ---- orvex get ----

orvexGetCommand::orvexGetCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : TclSubCommand(parent, tcl) {
    addCommandCreator(orvexGetUserunitCommand::getSubCommandName(),
                      createSubCommandOf<orvexGetUserunitCommand>);
    addCommandCreator(orvexGetRadixCommand::getSubCommandName(),
                      createSubCommandOf<orvexGetRadixCommand>);
    addCommandCreator(orvexGetArraydisplaylengthCommand::getSubCommandName(),
                      createSubCommandOf<orvexGetArraydisplaylengthCommand>);
    addCommandCreator(orvexGetMaxtraceablesizeCommand::getSubCommandName(),
                      createSubCommandOf<orvexGetMaxtraceablesizeCommand>);
}

StringBase orvexGetCommand::usage() const {
    return "orvex get <userunit|arraydisplaylength|maxtraceablesize|radix> <value>";
}

StringBase orvexGetCommand::help() const { return "    Gets various simulation parameters."; }

orvexGetSettingCommand::orvexGetSettingCommand(const TclCommandBase* parent,
                                               TclControlInterface* tcl,
                                               const OrvexSetting& entry)
    : TclSubCommand(parent, tcl), setting(entry) {}

StringBase orvexGetSettingCommand::getName() const { return setting.word; }
StringBase orvexGetSettingCommand::usage() const { return setting.getUsage; }
StringBase orvexGetSettingCommand::help() const { return setting.getHelp; }

void orvexGetSettingCommand::parse(Tcl_Interp*, int objc, Tcl_Obj* const[]) {
    if (objc != 0) usageError();
}

void orvexGetSettingCommand::doCommand() {
    getTclInterface()->print(setting.show(*getTclInterface()), true);
}

orvexGetUserunitCommand::orvexGetUserunitCommand(const TclCommandBase* parent,
                                                 TclControlInterface* tcl)
    : orvexGetSettingCommand(parent, tcl, userUnitSetting) {}

orvexGetRadixCommand::orvexGetRadixCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : orvexGetSettingCommand(parent, tcl, radixSetting) {}

orvexGetArraydisplaylengthCommand::orvexGetArraydisplaylengthCommand(const TclCommandBase* parent,
                                                                     TclControlInterface* tcl)
    : orvexGetSettingCommand(parent, tcl, arrayDisplayLengthSetting) {}

orvexGetMaxtraceablesizeCommand::orvexGetMaxtraceablesizeCommand(const TclCommandBase* parent,
                                                                 TclControlInterface* tcl)
    : orvexGetSettingCommand(parent, tcl, maxTraceableSizeSetting) {}

// ---- orvex ptrace and orvex ltrace ----

orvexTraceCommand::orvexTraceCommand(const TclCommandBase* parent, TclControlInterface* tcl,
                                     Switch onOperation, Switch offOperation)
    : TclSubCommand(parent, tcl), switchOn(onOperation), switchOff(offOperation) {}

void orvexTraceCommand::parse(Tcl_Interp*, int objc, Tcl_Obj* const objv[]) {
    if (objc != 1) usageError();
    std::string word = Tcl_GetString(objv[0]);
    if (word == "on" || word == "true" || word == "yes") on = true;
    else if (word == "off" || word == "false" || word == "no") on = false;
    else usageError("Unknown option : " + word);
}

void orvexTraceCommand::doCommand() {
    requireLiveEngine();
    ISimulationControl* engine = getTclInterface()->getSimulationControl();
    (engine->*(on ? switchOn : switchOff))();
}

orvexPtraceCommand::orvexPtraceCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : orvexTraceCommand(parent, tcl, &ISimulationControl::ptraceOn, &ISimulationControl::ptraceOff) {}

StringBase orvexPtraceCommand::usage() const { return "orvex ptrace <on|off>"; }

StringBase orvexPtraceCommand::help() const {
    return "    Turns on or off HDL process tracing. Default is off.";
}

orvexLtraceCommand::orvexLtraceCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : orvexTraceCommand(parent, tcl, &ISimulationControl::ltraceOn, &ISimulationControl::ltraceOff) {}

StringBase orvexLtraceCommand::usage() const { return "orvex ltrace <on|off>"; }

StringBase orvexLtraceCommand::help() const {
    return "    Turns HDL line execution tracing on or off. Default is off.";
}

// ---- orvex condition ----

orvexConditionCommand::orvexConditionCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : TclSubCommand(parent, tcl) {
    addCommandCreator(orvexConditionListCommand::getSubCommandName(),
                      createSubCommandOf<orvexConditionListCommand>);
    addCommandCreator(orvexConditionAddCommand::getSubCommandName(),
                      createSubCommandOf<orvexConditionAddCommand>);
    addCommandCreator(orvexConditionRemoveCommand::getSubCommandName(),
                      createSubCommandOf<orvexConditionRemoveCommand>);
}

StringBase orvexConditionCommand::usage() const {
    return "orvex condition < list | <add <options>> | <remove <options> >";
}

StringBase orvexConditionCommand::help() const { return "    Manages conditional actions."; }

// -- list --

orvexConditionListCommand::orvexConditionListCommand(const TclCommandBase* parent,
                                                     TclControlInterface* tcl)
    : TclSubCommand(parent, tcl) {}

StringBase orvexConditionListCommand::usage() const { return "orvex condition list"; }

StringBase orvexConditionListCommand::help() const {
    return "    Lists all conditional actions.";
}

void orvexConditionListCommand::parse(Tcl_Interp*, int objc, Tcl_Obj* const[]) {
    if (objc != 0) usageError();
}

void orvexConditionListCommand::doCommand() {
    requireLiveEngine();
    std::vector<ConditionListEntry> list;
    getTclInterface()->getSimulationControl()->getConditionList(list);
    std::ostringstream text;
    TclHelper::printCondition(text, list, getTclInterface()->getConditionScripts());
    getTclInterface()->print(text.str(), true);
}

// -- add --

orvexConditionAddCommand::orvexConditionAddCommand(const TclCommandBase* parent,
                                                   TclControlInterface* tcl)
    : TclSubCommand(parent, tcl) {}

StringBase orvexConditionAddCommand::usage() const {
    return "orvex condition add {<expression>} {<command>} -label <label_name> [-radix <type>]";
}

StringBase orvexConditionAddCommand::help() const {
    return "    Adds a conditional action and generates an index for it. The expression\n"
           "    may use VHDL or Verilog signals or a Verilog reg, and the operators\n"
           "    \"==\", \"!=\", \"&&\" and \"||\". Expression and command are each enclosed in\n"
           "    braces, with their tokens separated by blanks. The command is run when\n"
           "    the condition becomes true.\n"
           "    -label <label_name>\n"
           "       Names the conditional action, so that it can be removed by its label.\n"
           "    -radix <type>\n"
           "       The radix of the constants in the expression.\n"
           "    Example:\n"
           "       orvex condition add { sig1 == 1 &&  sig2 == 12f || sig3 == 9ab } { dump }"
           " -label ilab\n"
           "    Expression { sig1 == sig2 } is not allowed. RHS of == or != should\n"
           "    be a constant.";
}

void orvexConditionAddCommand::parse(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    if (objc < 2 || objc > 7) usageError();
    condition = TclCondition();
    condition.radix = getTclInterface()->getRadix();
    expressionGiven = false;
    scriptGiven = false;
    for (int i = 0; i < objc; ++i) {
        std::string word = Tcl_GetString(objv[i]);
        if (word == "-radix") {
            ++i;
            condition.radix = readRadix(interp, i < objc ? objv[i] : nullptr);
            condition.radixGiven = true;
        } else if (word == "-label") {
            if (++i >= objc) usageError();
            condition.label = Tcl_GetString(objv[i]);
            condition.labelGiven = true;
        } else if (!expressionGiven) {
            if (!Tcl_CommandComplete(word.c_str())) usageError("Expression {" + word + "} has error");
            condition.expression = word;
            expressionGiven = true;
        } else if (!scriptGiven) {
            if (!Tcl_CommandComplete(word.c_str())) usageError("Script {" + word + "} has error");
            condition.script = word;
            scriptGiven = true;
        }
    }
    if (!expressionGiven) usageError("Expression is missing");
    if (!scriptGiven) usageError("Script is missing");
}

void orvexConditionAddCommand::doCommand() {
    requireLiveEngine();
    Condition request;
    request.expression = "\"" + condition.expression.str() + "\"";
    request.radix = condition.radix;
    request.label = condition.label;
    int id = getTclInterface()->getSimulationControl()->addCondition(request);
    // Only a condition the engine accepted gets a script; an id the engine reuses replaces the
    // script it had before.
    std::unique_ptr<TclCondition> record(new TclCondition(condition));
    record->id = id;
    TclCondition*& slot = getTclInterface()->getConditionScripts()[id];
    delete slot;
    slot = record.release();
}

// -- remove --

orvexConditionRemoveCommand::orvexConditionRemoveCommand(const TclCommandBase* parent,
                                                         TclControlInterface* tcl)
    : TclSubCommand(parent, tcl) {}

StringBase orvexConditionRemoveCommand::usage() const {
    return "orvex condition remove < <-label <{label_names}>> | <-index <indices>> | -all >";
}

StringBase orvexConditionRemoveCommand::help() const {
    return "    Remove conditional actions designated by label names (-label option),\n"
           "    indices (-index option), or remove all conditional actions (-all option).";
}

void orvexConditionRemoveCommand::parse(Tcl_Interp* tclInterp, int objc, Tcl_Obj* const objv[]) {
    if (objc < 1 || objc > 5) usageError();
    interp = tclInterp;
    all = labelsGiven = indicesGiven = false;
    for (int i = 0; i < objc; ++i) {
        std::string word = Tcl_GetString(objv[i]);
        if (word == "-all") {
            all = true;
        } else if (word == "-label" || word == "-index") {
            if (++i >= objc) usageError();
            if (word == "-label") {
                labels = Tcl_GetString(objv[i]);
                labelsGiven = true;
            } else {
                indices = Tcl_GetString(objv[i]);
                indicesGiven = true;
            }
        } else {
            usageError();
        }
    }
}

std::vector<std::string> orvexConditionRemoveCommand::splitList(const StringBase& list) const {
    int count = 0;
    const char** elements = nullptr;
    if (Tcl_SplitList(interp, list.c_str(), &count, &elements) != TCL_OK) actionError("");
    std::vector<std::string> words(elements, elements + count);
    Tcl_Free(reinterpret_cast<char*>(elements));
    return words;
}

void orvexConditionRemoveCommand::doCommand() {
    requireLiveEngine();
    ISimulationControl* engine = getTclInterface()->getSimulationControl();
    std::map<int, TclCondition*>& table = getTclInterface()->getConditionScripts();
    if (all) {
        // The engine first: if it refuses, its conditions stay and so must their scripts.
        engine->removeAllConditions();
        for (auto& entry : table) delete entry.second;
        table.clear();
    } else if (labelsGiven) {
        for (const std::string& label : splitList(labels)) {
            engine->removeConditionByLabel(label);
            for (auto entry = table.begin(); entry != table.end(); ++entry) {
                if (entry->second != nullptr && entry->second->label == label) {
                    delete entry->second;
                    table.erase(entry);
                    break;
                }
            }
        }
    } else if (indicesGiven) {
        for (const std::string& element : splitList(indices)) {
            int id = leadingConditionId(element);
            engine->removeConditionById(id);
            auto entry = table.find(id);
            if (entry != table.end()) {
                delete entry->second;
                table.erase(entry);
            }
        }
    }
}

// ---- orvex force ----

orvexForceCommand::orvexForceCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : TclSubCommand(parent, tcl) {
    addCommandCreator(orvexForceAddCommand::getSubCommandName(),
                      createSubCommandOf<orvexForceAddCommand>);
    addCommandCreator(orvexForceRemoveCommand::getSubCommandName(),
                      createSubCommandOf<orvexForceRemoveCommand>);
}

StringBase orvexForceCommand::usage() const {
    return "orvex force < <add <options>> | <remove <options>> >";
}

StringBase orvexForceCommand::help() const {
    return "    Manage criteria for forced HDL signals.";
}

// -- add --

orvexForceAddCommand::orvexForceAddCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : TclSubCommand(parent, tcl) {}

StringBase orvexForceAddCommand::usage() const {
    return "orvex force add <signal_name|vlog_reg_name> <value> [-radix <radix>] "
           "[-time <time_offset>] { [ -value <value> [-radix <radix>] -time <time_offset>] }  "
           "<[-cancel <time_offset>] [-repeat <time_offset>]";
}

StringBase orvexForceAddCommand::help() const {
    return "    Forces a VHDL signal or a Verilog reg to a value, or to a sequence of\n"
           "    values at time offsets from the current time. The force will\n"
           "    remain active until the cancel time, or until it is removed with\n"
           "    'orvex force remove'. If a repeat time is given, the forced waveform\n"
           "    repeats after that time. Each value, its optional radix and its time\n"
           "    must come in the order of the synopsis.\n"
           "    Examples:\n"
           "    orvex force add rst 1 -time 10 ns\n"
           "       Forces rst to 1 at current time + 10 ns.\n"
           "    orvex force add clk 1 -time 10 ns -value 0 -time 20 ns -value 1 -time 25 ns"
           " -repeat 40 ns -cancel 1000 ns\n"
           "       Sets clk to 1 at current time + 10 ns, to 0 at + 20 ns and to 1 at\n"
           "       + 25 ns, and repeats this pattern every 40 ns until current time\n"
           "       + 1000 ns.";
}

namespace {

// One "-value <value> [-radix <radix>] -time <time>" group; index is just after "-value".
ForceValue readForceValueGroup(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[], int& index,
                               Radix radix, int userUnit) {
    if (index >= objc) TclCommandBase::usageError("-value must be followed by a value");
    ForceValue value;
    value.value = Tcl_GetString(objv[index++]);
    value.radix = radix;
    value.time = 0;
    auto nextWord = [&] { return index < objc ? std::string(Tcl_GetString(objv[index++])) : std::string(); };
    std::string word = nextWord();
    if (word == "-radix") {
        value.radix = readRadix(interp, index < objc ? objv[index] : nullptr);
        ++index;
        word = nextWord();
    }
    if (word != "-time") TclCommandBase::usageError("-value must be followed by -time");
    value.time = readTimeOption(objc, objv, index, userUnit, "<-time>");
    return value;
}

} // namespace

void orvexForceAddCommand::parseArguments(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[],
                                          Radix radix, int userUnit, StringBase& name,
                                          ForceCriteria& criteria) {
    if (objc < 2 || objc > 49) usageError();
    name = Tcl_GetString(objv[0]);
    std::string firstValue = Tcl_GetString(objv[1]);
    if (!firstValue.empty() && firstValue[0] == '-')
        usageError("wrong args: expecting a value but got " + firstValue);
    criteria = ForceCriteria();
    ForceValue first;
    first.value = firstValue;
    first.time = 0;
    first.radix = DefaultRadix;
    criteria.values.push_back(first);
    // "-radix" and "-time" outside a "-value" group always set the first value; later options
    // overwrite earlier ones; words that are no option are skipped.
    int i = 2;
    while (i < objc) {
        std::string word = Tcl_GetString(objv[i++]);
        if (word == "-value") {
            criteria.values.push_back(readForceValueGroup(interp, objc, objv, i, radix, userUnit));
        } else if (word == "-radix") {
            // The radix word itself is read again as the next word and skipped.
            criteria.values[0].radix = readRadix(interp, i < objc ? objv[i] : nullptr);
        } else if (word == "-time") {
            criteria.values[0].time = readTimeOption(objc, objv, i, userUnit, "<-time>");
        } else if (word == "-cancel") {
            criteria.cancel = readTimeOption(objc, objv, i, userUnit, "<-cancel>");
        } else if (word == "-repeat") {
            criteria.repeat = readTimeOption(objc, objv, i, userUnit, "<-repeat>");
        }
    }
}

void orvexForceAddCommand::parse(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    TclControlInterface* tcl = getTclInterface();
    parseArguments(interp, objc, objv, tcl->getRadix(), tcl->getUserUnit(), name, criteria);
}

void orvexForceAddCommand::doCommand() {
    requireLiveEngine();
    TclControlInterface* tcl = getTclInterface();
    // A name that denotes nothing reaches the engine as a null object, which it refuses.
    const IDataObj* object = tcl->getReader()->findDataObj(name);
    try {
        tcl->getSimulationControl()->addForce(object, criteria);
    } catch (const CommandErrorException& e) {
        actionError(name + ": " + e.getDescription());
    }
}

// -- remove --

orvexForceRemoveCommand::orvexForceRemoveCommand(const TclCommandBase* parent,
                                                 TclControlInterface* tcl)
    : TclSubCommand(parent, tcl) {}

StringBase orvexForceRemoveCommand::usage() const {
    return "orvex force remove <signal_name|vlog_variable_name>";
}

StringBase orvexForceRemoveCommand::help() const {
    return "    Removes the force on a VHDL signal or Verilog wire or a Verilog variable.";
}

void orvexForceRemoveCommand::parse(Tcl_Interp*, int objc, Tcl_Obj* const objv[]) {
    if (objc != 1) usageError();
    name = Tcl_GetString(objv[0]);
}

void orvexForceRemoveCommand::doCommand() {
    requireLiveEngine();
    TclControlInterface* tcl = getTclInterface();
    tcl->getSimulationControl()->removeForce(tcl->getReader()->findDataObj(name));
}

} // namespace Tavrin
