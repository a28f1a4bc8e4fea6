// What the adding subcommands share: option parsing, the lookup of the named objects, the
// display properties of new wave objects, and the adding of groups, dividers and virtual buses.
#include "tavrin/commands/WaveOptions.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "tavrin/IGuiControl.h"
#include "tavrin/TclHelper.h"
#include "tavrin/commands/WaveCommands.h"

namespace Tavrin {

namespace {

// Removes every double quote at either end, then lowers the case.
StringBase normalizedColor(const std::string& text) {
    std::string::size_type first = text.find_first_not_of('"');
    if (first == std::string::npos) return StringBase();
    std::string color = text.substr(first, text.find_last_not_of('"') - first + 1);
    std::transform(color.begin(), color.end(), color.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return color;
}

// The option's value: the argument after position `index`, which moves on to it.
Tcl_Obj* optionValue(int objc, Tcl_Obj* const objv[], int& index, const char* missing) {
    if (index + 1 >= objc) TclCommandBase::usageError(missing);
    return objv[++index];
}

} // namespace

void parseWaveOptions(WaveOptions& options, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    options.recursive = false;
    options.intoId = -1;
    options.color = StringBase();
    options.customName = StringBase();
    options.radixGiven = options.reverseGiven = options.colorGiven = options.nameGiven = false;

    using O = WaveOptions;
    for (int i = 0; i < objc; ++i) {
        const std::string arg = Tcl_GetString(objv[i]);
        if (options.allows(O::WcfgOption) && arg == "-wcfg") {
            options.wcfgName = Tcl_GetString(
                optionValue(objc, objv, i, "Incorrect usage of -wcfg swtch: <filename> is missing"));
        } else if (options.allows(O::IntoOption) && arg == "-into") {
            Tcl_Obj* value =
                optionValue(objc, objv, i, "Incorrect usage of -into swtch: <location> is missing");
            if (Tcl_GetIntFromObj(nullptr, value, &options.intoId) != TCL_OK)
                TclCommandBase::usageError("Incorrect usage of -into swtch: Expected integer value.");
        } else if (options.allows(O::ColorOption) && arg == "-color") {
            Tcl_Obj* value =
                optionValue(objc, objv, i, "Incorrect usage of -color swtch: <color> is missing");
            options.color = normalizedColor(Tcl_GetString(value));
            if (options.color.str().compare(0, 1, "#") != 0) {
                // Names are matched exactly as typed: only the lower-case names are colors.
                int index = 0;
                if (Tcl_GetIndexFromObj(interp, value, TclHelper::color, "color", TCL_EXACT,
                                        &index) != TCL_OK)
                    TclCommandBase::usageError();
            } else if (options.color.length() != 7) {
                TclCommandBase::usageError(
                    "Incorrect color value: <color> is defined in RGB \"#000000\"");
            }
            options.colorGiven = true;
        } else if (options.allows(O::RadixOption) && arg == "-radix") {
            const int radix = TclHelper::getRadix(
                interp,
                optionValue(objc, objv, i, "Incorrect usage of -radix swtch: <radix> is missing"));
            if (radix < 0) TclCommandBase::usageError();
            options.radix = radix;
            options.radixGiven = true;
        } else if (options.allows(O::ReverseOption) && arg == "-reverse") {
            options.reverse = 1;
            options.reverseGiven = true;
        } else if (options.allows(O::NameOption) && arg == "-name") {
            options.customName = Tcl_GetString(optionValue(
                objc, objv, i, "Incorrect usage of -name swtch: <custom_name> is missing"));
            options.nameGiven = true;
        } else if (options.allows(O::RecursiveOption) && arg == "-r") {
            options.recursive = true;
        } else if (!arg.empty() && arg[0] == '-') {
            TclCommandBase::usageError("<" + arg + "> : Undefined command option");
        } else if (!arg.empty()) {
            options.names.push_back(arg);
        }
    }
}

std::vector<const IObject*> resolveWaveObjects(const std::vector<StringBase>& names,
                                               const IReader& reader) {
    std::vector<const IObject*> objects;
    for (const StringBase& name : names) {
        if (const IBlock* block = reader.findBlock(name)) {
            objects.push_back(block);
            continue;
        }
        const IDataObj* object = reader.findDataObj(name);
        const IType* type = object ? object->getType() : nullptr;
        if (object == nullptr || (type != nullptr && type->isInstanceOf(HiddenTypeClass)))
            TclCommandBase::actionError(name + " : No such HDL object or HDL block");
        if (object->getObjectKind() == SliceObjectKind)
            TclCommandBase::actionError(name + " : wave command does not support array slices");
        objects.push_back(object);
    }
    return objects;
}

void applyWaveProperties(const WaveOptions& options, const std::vector<int>& ids,
                         IGuiControl& gui, const StringBase& label) {
    auto set = [&](const StringBase& key, const StringBase& value) {
        gui.setWaveObjectProperty(options.wcfgName, ids, key, value);
    };
    using O = WaveOptions;
    if (!label.empty()) set("label", label);
    if (options.allows(O::ColorOption) && options.colorGiven) {
        if (options.signalColor) {
            set("CustomSignalColor", options.color);
            set("USECUSTOMSIGNALCOLOR", "true");
        } else {
            set("BKCOLOR", options.color);
        }
    }
    if (options.allows(O::RadixOption) && options.radixGiven)
        set("Radix", TclHelper::getWaveRadixName(static_cast<Radix>(options.radix)));
    if (options.allows(O::ReverseOption) && options.reverseGiven) set("Reversed", "true");
    if (options.allows(O::NameOption) && options.nameGiven) {
        set("DisplayName", "label");
        set("label", options.customName);
    }
}

StringBase waveOptionsHelp(int options) {
    struct Line {
        int option;
        const char* text;
    };
    static const Line lines[] = {
        {WaveOptions::IntoOption,
         "    -into <id>\n"
         "       Adds into the group or virtual bus with this id.\n"},
        {WaveOptions::ReverseOption,
         "    -reverse\n"
         "       Reverses the bus order.\n"},
        {WaveOptions::RadixOption,
         "    -radix <radix>\n"
         "       Sets the display radix: noradix, default, bin, unsigned, hex, dec, ascii or oct.\n"},
        {WaveOptions::ColorOption,
         "    -color <color>\n"
         "       Sets the color, defined in RGB, for example \"#000000\" is black, or one of\n"
         "       black, red, darkred, green, darkgreen, blue, darkblue, cyan, darkcyan, magenta,\n"
         "       darkmagenta, yellow, darkyellow, gray, darkgray, lightgray. The GTKWave window\n"
         "       shows the nearest of its seven trace colours (red, orange, yellow, green,\n"
         "       blue, indigo, violet); black and greys show in its normal colour.\n"},
        {WaveOptions::NameOption,
         "    -name <custom_name>\n"
         "       Shows the object under a custom name.\n"},
        {WaveOptions::RecursiveOption,
         "    -r\n"
         "       Includes all child modules of a block, recursively.\n"},
        {WaveOptions::WcfgOption,
         "    -wcfg <wcfg_name>\n"
         "       Names the wave configuration; it is created when missing.\n"},
    };
    std::string text;
    for (const Line& line : lines)
        if (options & line.option) text += line.text;
    if (!text.empty()) text.pop_back(); // help texts end without a line end
    return text;
}

// ---- WaveOptionsCommand ----

WaveOptionsCommand::WaveOptionsCommand(const TclCommandBase* parent, TclControlInterface* tcl,
                                       int allowedOptions, bool signalColor)
    : TclSubCommand(parent, tcl) {
    options.allowedOptions = allowedOptions;
    options.signalColor = signalColor;
}

void WaveOptionsCommand::parse(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    options.radix = getTclInterface()->getRadix();
    parseWaveOptions(options, interp, objc, objv);
}

IGuiControl& WaveOptionsCommand::requireGuiAndDatabase() const {
    requireGui();
    if (getTclInterface()->getReader() == nullptr) actionError("No active Database");
    return *getTclInterface()->getGuiControl();
}

void WaveOptionsCommand::finishWcfg(IGuiControl& gui, const std::vector<int>& ids) const {
    gui.updateWcfg(options.wcfgName);
    if (!ids.empty()) gui.selectWaveObjects(options.wcfgName, ids);
}

// ---- WaveContainerAddCommand ----

WaveContainerAddCommand::WaveContainerAddCommand(const TclCommandBase* parent,
                                                 TclControlInterface* tcl,
                                                 const WaveContainerTraits& containerTraits)
    : WaveOptionsCommand(parent, tcl, containerTraits.allowedOptions, containerTraits.signalColor),
      traits(containerTraits) {}

void WaveContainerAddCommand::parse(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    if (traits.maxArguments > 0 && (objc < 1 || objc > traits.maxArguments)) usageError();
    WaveOptionsCommand::parse(interp, objc, objv);
    if (options.names.empty()) {
        if (traits.missingNameIsUsageError) usageError(traits.missingName);
        actionError(traits.missingName);
    }
    containerName = options.names.front();
    if (traits.returnsId) {
        // The interpreter is kept, not its result object: setting a result object that
        // something else may share by then is not allowed.
        resultInterp = interp;
        Tcl_ResetResult(interp);
    }
}

void WaveContainerAddCommand::doCommand() {
    IGuiControl& gui = requireGuiAndDatabase();
    gui.useWcfg(options.wcfgName);
    const int id = gui.addWaveContainer(traits.kind, options.intoId, options.wcfgName);
    std::vector<int> ids;
    if (id >= 1) {
        ids.push_back(id);
        applyWaveProperties(options, ids, gui, containerName);
        if (resultInterp != nullptr) Tcl_SetObjResult(resultInterp, Tcl_NewIntObj(id));
    }
    finishWcfg(gui, ids);
}

} // namespace Tavrin
