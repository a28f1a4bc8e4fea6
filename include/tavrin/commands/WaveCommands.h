// The waveform window commands: wave (add, log), group, divider and virtualbus (add), marker
// (add) and wcfg (new, open, save, select). Except for `wave log`, which asks the engine to
// record objects, they drive the host's waveform window through IGuiControl.
#pragma once

#include <cstdint>

#include "tavrin/IGuiControl.h"
#include "tavrin/commands/CommandDeclarations.h" // the command declaration macros
#include "tavrin/commands/WaveOptions.h"

namespace Tavrin {


/// The help lines of the options set in `options` (bits of WaveOptions::Option), in the order
/// of the usage lines.
StringBase waveOptionsHelp(int options);

/// A subcommand that reads its arguments with parseWaveOptions.
class WaveOptionsCommand : public TclSubCommand {
public:
    void parse(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) override;

protected:
    WaveOptionsCommand(const TclCommandBase* parent, TclControlInterface* tcl, int allowedOptions,
                       bool signalColor);
    /// The window, or "No active gui."; then the design data, or "No active Database".
    IGuiControl& requireGuiAndDatabase() const;
    /// Tells the window that the batch is complete and selects the new wave objects.
    void finishWcfg(IGuiControl& gui, const std::vector<int>& ids) const;

    WaveOptions options;
};

/// What tells the container kinds apart.
struct WaveContainerTraits {
    const char* kind;             // the kind the window knows: "group", "divider" or "vbus"
    int allowedOptions;           // bits of WaveOptions::Option
    bool signalColor;             // a color is the signal's color, not the background's
    int maxArguments;             // the most arguments accepted; 0 for no limit
    const char* missingName;      // the error when no name is given
    bool missingNameIsUsageError; // that error prints the usage block too
    bool returnsId;               // the new container's id is the command's result
};

/// Adds a group, divider or virtual bus named by the first name, and labels it with that name.
class WaveContainerAddCommand : public WaveOptionsCommand {
public:
    void parse(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) override;
    void doCommand() override;

protected:
    WaveContainerAddCommand(const TclCommandBase* parent, TclControlInterface* tcl,
                            const WaveContainerTraits& traits);

private:
    const WaveContainerTraits& traits;
    StringBase containerName;
    Tcl_Interp* resultInterp = nullptr; // where the id is returned, when the kind returns it
};

/// `wave <add | log>`.
ORVEX_TOP_LEVEL_COMMAND(waveCommand, "wave");
/// `wave add [options] <object_name>...`: adds blocks and data objects to a wave configuration
/// with the display properties given, and selects them.
ORVEX_DERIVED_SUBCOMMAND(waveAddCommand, WaveOptionsCommand, "add", void doCommand() override;);
/// `wave log [-r] <object_name>...`: records the objects (and with -r the blocks below the
/// blocks) in the waveform database through the engine; needs no window.
ORVEX_DERIVED_SUBCOMMAND(waveLogCommand, WaveOptionsCommand, "log", void doCommand() override;);

/// `group add`.
ORVEX_TOP_LEVEL_COMMAND(groupCommand, "group");
/// `group add <name> [-into <id>]`: adds a group; its id is the result.
ORVEX_DERIVED_SUBCOMMAND(groupAddCommand, WaveContainerAddCommand, "add");

/// `divider add`.
ORVEX_TOP_LEVEL_COMMAND(dividerCommand, "divider");
/// `divider add <name> [-into <id>] [-color <color>]`: adds a divider, the color its background.
ORVEX_DERIVED_SUBCOMMAND(dividerAddCommand, WaveContainerAddCommand, "add");

/// `virtualbus add`.
ORVEX_TOP_LEVEL_COMMAND(virtualbusCommand, "virtualbus");
/// `virtualbus add <name> [options]`: adds a virtual bus; its id is the result.
ORVEX_DERIVED_SUBCOMMAND(virtualbusAddCommand, WaveContainerAddCommand, "add");

/// `marker add`.
ORVEX_TOP_LEVEL_COMMAND(markerCommand, "marker");
/// `marker add <time>`: places a time marker in the window.
ORVEX_SUBCOMMAND_WITH_FIELDS(markerAddCommand, "add",
    std::int64_t time = 0; // femtoseconds
);

/// `wcfg <new | open | save | select>`.
ORVEX_TOP_LEVEL_COMMAND(wcfgCommand, "wcfg");

/// A wcfg subcommand that hands one file name to one window operation.
class WcfgFileCommand : public TclSubCommand {
public:
    void parse(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) override;
    void doCommand() override;

protected:
    using Operation = void (IGuiControl::*)(const StringBase& fileName);
    WcfgFileCommand(const TclCommandBase* parent, TclControlInterface* tcl, Operation operation);

private:
    Operation operation;
    StringBase fileName;
};

/// `wcfg new`: creates a new wave configuration.
ORVEX_SUBCOMMAND(wcfgNewCommand, "new");
/// `wcfg open <fileName>`: opens a wave configuration file.
ORVEX_DERIVED_SUBCOMMAND(wcfgOpenCommand, WcfgFileCommand, "open");
/// `wcfg save <fileName>`: saves the active wave window to a configuration file.
ORVEX_DERIVED_SUBCOMMAND(wcfgSaveCommand, WcfgFileCommand, "save");
/// `wcfg select <fileName>`: makes that configuration the active window.
ORVEX_DERIVED_SUBCOMMAND(wcfgSelectCommand, WcfgFileCommand, "select");

} // namespace Tavrin
