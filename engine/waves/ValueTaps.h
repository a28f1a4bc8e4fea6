// Which mechanism follows signal values for the VCD and SAIF writers: taps linked into vvp's
// fan-out lists (each new value arrives as vvp's own vector), or VPI value-change callbacks (the
// fallback, used whenever vvp is not the known 11.0 or its layout does not check out).
#pragma once

#include <string>

namespace OrvexEngine {

/// At the start of simulation: enables the taps unless ORVEX_VVP_INTERNALS=off, vvp is not the
/// known 11.0, or its symbols fail validation.
void startValueTaps();
/// "fanout" or "vpi", with the reason for the fallback after a colon when there is one.
const std::string& valueMechanism();
bool valueTapsActive();

} // namespace OrvexEngine
