// The options shared by the subcommands that add to a wave configuration (wave add, wave log,
// group add, divider add, virtualbus add): their parsing, the lookup of the named design
// objects, and the display properties they give the new wave objects.
#pragma once

#include <tcl.h>

#include <vector>

#include "orvex/IReader.h"
#include "orvex/StringBase.h"

namespace Tavrin {

class IGuiControl;

/// What one adding subcommand was told. Each subcommand object holds a fresh one; the caller
/// sets `radix` (the shell's radix), `allowedOptions` and `signalColor` before parsing.
struct WaveOptions {
    /// The options, as bits of `allowedOptions`.
    enum Option {
        WcfgOption = 1,      // -wcfg <wcfg_name>
        IntoOption = 2,      // -into <id>
        ColorOption = 4,     // -color <color>
        RadixOption = 8,     // -radix <radix>
        ReverseOption = 16,  // -reverse
        NameOption = 32,     // -name <custom_name>
        RecursiveOption = 64 // -r
    };
    static constexpr int AllOptions = 127;

    bool allows(Option option) const { return (allowedOptions & option) != 0; }

    std::vector<StringBase> names; // the arguments that are no option, in order
    StringBase wcfgName;           // empty: the active configuration
    int intoId = -1;               // -1: the top level
    StringBase color;              // without surrounding double quotes, in lower case
    int radix = 0;
    int reverse = 0;
    StringBase customName;
    bool recursive = false;
    bool radixGiven = false;
    bool reverseGiven = false;
    bool colorGiven = false;
    bool nameGiven = false;
    int allowedOptions = 0;
    bool signalColor = false; // a color is the signal's color, not the background's
};

/// Reads the options allowed by `options.allowedOptions` and collects every other non-empty
/// argument as a name. Any wrong option is a usage error (TclCommandErrorException).
void parseWaveOptions(WaveOptions& options, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]);

/// The blocks and data objects the names denote, in order; fails for the first name that
/// denotes nothing that can be shown (unknown, hidden, or an array slice), before anything is
/// returned.
std::vector<const IObject*> resolveWaveObjects(const std::vector<StringBase>& names,
                                               const IReader& reader);

/// Sets the label (when non-empty) and the properties that were given and are allowed on the
/// wave objects `ids` of the configuration named in the options.
void applyWaveProperties(const WaveOptions& options, const std::vector<int>& ids,
                         IGuiControl& gui, const StringBase& label);

} // namespace Tavrin
