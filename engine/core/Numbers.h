// Reading numeric request arguments strictly: the whole text must be a number.
#pragma once

#include <cstdint>
#include <string>

namespace OrvexEngine {

/// A signed 64-bit decimal; throws EngineError naming `what` and the text otherwise.
std::int64_t parseInteger(const std::string& text, const char* what);
/// A boolean "0" or "1" (also "on"/"off", "true"/"false").
bool parseBoolean(const std::string& text, const char* what);

} // namespace OrvexEngine
