// Telling `time` variables from other 64-bit vectors, so that they show in decimal as integers do.
#pragma once

#include <vpi_user.h>

namespace OrvexEngine {

/// True for a variable declared `time`. vvp gives such a variable the type and shape of a
/// reg [63:0] (the compiled design carries no mark of it), so the declaration line that the
/// design data file names is read for the keyword; without that file the answer is false.
bool isTimeVariable(vpiHandle object);

} // namespace OrvexEngine
