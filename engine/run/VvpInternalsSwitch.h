// Whether the engine may use vvp's internals at all: only on the vvp they were restated from,
// and never when ORVEX_VVP_INTERNALS=off asks for the VPI-only fallbacks.
#pragma once

#include <string>

namespace OrvexEngine {

/// Why vvp's internals must not be used ("internals switched off", "not vvp 11.0"), or empty
/// when they may be, subject to each mechanism's own validation.
std::string vvpInternalsRefusal();

} // namespace OrvexEngine
