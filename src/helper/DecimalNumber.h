// Reads decimal numbers typed by the user independently of the process locale.
#pragma once

#include <string>

namespace Tavrin {

/// Converts `text` as a decimal floating-point number ("100", "0.5", "1e3", "-5", "+2.") and
/// returns true only when the whole, non-empty text is one number. The decimal point is always
/// '.', whatever locale the host has set. Hexadecimal forms and the words inf and nan are not
/// numbers here; a value too large for a double reads as infinity with the text's sign.
bool readDecimalNumber(const std::string& text, double& value);

} // namespace Tavrin
