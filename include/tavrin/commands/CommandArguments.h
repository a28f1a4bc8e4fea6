// Parsing shared by the output and annotation commands: the argument-less subcommands, the
// "-option <value>" walk over a command's words, and the lookup of a block named by the user.
#pragma once

#include <tcl.h>

#include <string>
#include <vector>

#include "orvex/IReader.h"
#include "tavrin/TclCommandBase.h"
#include "tavrin/commands/CommandDeclarations.h"

namespace Tavrin {

/// A subcommand that takes no argument at all: any word after it is a usage error.
class TclPlainSubCommand : public TclSubCommand {
public:
    using TclSubCommand::TclSubCommand;
    void parse(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) override;
};



/// Walks the argument words of one command from the first to the last, for parsers of the
/// "-option [<value>]" kind. Every failure is a usage error (TclCommandErrorException).
class ArgumentCursor {
public:
    ArgumentCursor(int objc, Tcl_Obj* const objv[]);

    bool atEnd() const { return next_ >= objc_; }
    /// The next word, which is consumed; remembered as the option that a value belongs to.
    std::string take();
    /// The word after the option just taken. When the option stands last: a usage error with
    /// `missing`, or, when that is empty, with "Missing value for option " and the option.
    std::string value(const std::string& missing = std::string());
    /// The word after the option read as a Tcl integer; a usage error with `invalid` when it
    /// is missing or not an integer.
    int intValue(const std::string& invalid);
    /// The words up to the next one that begins with "-" (or the end), empty ones left out.
    std::vector<std::string> valuesUpToOption();

private:
    int objc_;
    Tcl_Obj* const* objv_;
    int next_ = 0;
    std::string option_;
};

/// A usage error (empty description) unless `objc` lies in min..max.
void requireArgumentCount(int objc, int min, int max);

/// The block itself, or the action error "{<path>}: No such HDL block." when it is null, so
/// that a path which names nothing never reaches the engine.
IBlock* requireBlock(IBlock* block, const StringBase& path);

} // namespace Tavrin
