// bp: line breakpoints in HDL source files. The breakpoints live in the engine; these commands
// only parse, forward and list.
#pragma once

#include <vector>

#include "tavrin/commands/CommandDeclarations.h"

namespace Tavrin {

/// `bp <list | add | remove | del | clear>`: manages the engine's line breakpoints.
ORVEX_TOP_LEVEL_COMMAND(bpCommand, "bp");

/// `bp list`: prints every breakpoint with its index, file and line, then the total.
ORVEX_SUBCOMMAND(bpListCommand, "list");

/// `bp clear`: removes every breakpoint.
ORVEX_SUBCOMMAND(bpClearCommand, "clear");

/// Common part of `bp add` and `bp remove`: both take a file name and a line number.
class bpLocationCommand : public TclSubCommand {
public:
    void parse(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) override;

protected:
    bpLocationCommand(const TclCommandBase* parent, TclControlInterface* tcl);
    /// "file:line", the start of every error message about this location.
    StringBase describeLocation() const;
    BreakpointLocation location;
};

/// `bp add <file_name> <line_number>`: asks the engine for a breakpoint at the location.
class bpAddCommand : public bpLocationCommand {
public:
    bpAddCommand(const TclCommandBase* parent, TclControlInterface* tcl);
    static StringBase getSubCommandName() { return "add"; }
    StringBase getName() const override { return getSubCommandName(); }
    StringBase usage() const override;
    StringBase help() const override;
    void doCommand() override;
};

/// `bp remove <file_name> <line_number>`: removes the first listed breakpoint at the location;
/// a bare file name also matches a breakpoint listed with a full path.
class bpRemoveCommand : public bpLocationCommand {
public:
    bpRemoveCommand(const TclCommandBase* parent, TclControlInterface* tcl);
    static StringBase getSubCommandName() { return "remove"; }
    StringBase getName() const override { return getSubCommandName(); }
    StringBase usage() const override;
    StringBase help() const override;
    void doCommand() override;
};

/// `bp del <index> [<index>...]`: removes breakpoints by the indices `bp list` shows, in the
/// order typed, stopping at the first the engine refuses.
ORVEX_SUBCOMMAND_WITH_FIELDS(bpDelCommand, "del", std::vector<int> indices;);

} // namespace Tavrin
