// GTKWave gives a trace one of seven colours; the window commands accept sixteen colour names
// and any "#rrggbb". Each is shown in the nearest of the seven, and black and greys in GTKWave's
// normal colour.
#pragma once

#include <string>

namespace OrvexGui {

/// The GTKWave colour menu word ("Red" ... "Violet", or "Normal") for a colour name or "#rrggbb".
const char* nearestTraceColor(const std::string& color);

} // namespace OrvexGui
