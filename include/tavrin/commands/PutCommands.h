// put: assigns a value to an object of the running simulation.
#pragma once

#include "tavrin/commands/CommandDeclarations.h"

namespace Tavrin {

/// `put <hdl_object_name> <value> [-radix <type>]`: assigns the value, read in the given radix
/// or the shell's radix setting, to the object.
ORVEX_TOP_LEVEL_COMMAND(putCommand, "put");

} // namespace Tavrin
