// The saif command: Switching Activity Interchange Format monitoring of a block.
#pragma once

#include "tavrin/commands/CommandArguments.h"

namespace Tavrin {

/// `saif <open | close>`: controls SAIF monitoring.
ORVEX_TOP_LEVEL_COMMAND(saifCommand, "saif");
/// `saif open [-scope <path_name>] [-file <file_name>] [-level <nesting_level>] [-allnets]`:
/// starts monitoring a block (the current scope by default) into a SAIF file.
ORVEX_SUBCOMMAND_WITH_FIELDS(saifOpenCommand, "open", bool allnets = false;
                             StringBase fileName; int level = 0; StringBase scopePath;);
/// `saif close`: stops monitoring and flushes the SAIF file.
ORVEX_PLAIN_SUBCOMMAND(saifCloseCommand, "close");

} // namespace Tavrin
