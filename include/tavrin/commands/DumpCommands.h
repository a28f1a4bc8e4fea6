// dump: the values of the objects visible from the current scope, or its processes.
#pragma once

#include "tavrin/commands/CommandDeclarations.h"

namespace Tavrin {

/// `dump [-p [<process_name>]]`: the values of all objects visible from the current scope, the
/// processes of the scope, or the values of the objects of one child block of the scope.
ORVEX_TOP_LEVEL_COMMAND(dumpCommand, "dump");

} // namespace Tavrin
