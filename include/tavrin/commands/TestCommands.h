// test: compares an object's value with an expected value.
#pragma once

#include "tavrin/commands/CommandDeclarations.h"

namespace Tavrin {

/// `test <hdl_object_name> <value> [-radix <type>]`: prints whether the object's whole value
/// equals the expected one and gives 1 or 0 as the command's result.
ORVEX_TOP_LEVEL_COMMAND(testCommand, "test");

} // namespace Tavrin
