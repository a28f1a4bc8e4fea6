// describe: everything known about one design block or data object.
#pragma once

#include "tavrin/commands/CommandDeclarations.h"

namespace Tavrin {

/// `describe <object_name>`: a block's kind, path and places, or a data object's class, value,
/// path and place; a block wins over an object of the same name.
ORVEX_TOP_LEVEL_COMMAND(describeCommand, "describe");

} // namespace Tavrin
