// scope: shows the current block of the design hierarchy or moves it.
#pragma once

#include "tavrin/commands/CommandDeclarations.h"

namespace Tavrin {

/// `scope [.. | <path_name>]`: without an argument describes the current scope; with one makes
/// the block at that path (or the parent, for "..") the current scope.
ORVEX_TOP_LEVEL_COMMAND(scopeCommand, "scope");

} // namespace Tavrin
