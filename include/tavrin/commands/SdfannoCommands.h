// The sdfanno command: back-annotation of delays from an SDF file.
#pragma once

#include "tavrin/commands/CommandArguments.h"

namespace Tavrin {

/// `sdfanno <-min|-typ|-max> <file_name> [-nowarn] [-noerror] [-root <path_name>]`: asks the
/// engine to annotate the minimum, typical or maximum delays of an SDF file below a block.
ORVEX_TOP_LEVEL_COMMAND(sdfannoCommand, "sdfanno");

} // namespace Tavrin
