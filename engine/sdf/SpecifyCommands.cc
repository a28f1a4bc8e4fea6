// Pulse handling of specify paths: vvp fixes it when the design is compiled, so the requests that
// would change it are refused with a message saying so.
#include "EngineCommands.h"

namespace OrvexEngine {

namespace {

using Args = std::vector<std::string>;

Registrar pathPulse(Orvex::Protocol::Request::PathPulse, [](const Args& args) -> Orvex::Mi::Value {
    expectArgs(args, 2, "path-pulse");
    throw EngineError("specify pathpulse is not supported by this engine: vvp cannot change path pulse limits "
                      "during the simulation");
});

Registrar pulseStyle(Orvex::Protocol::Request::PulseStyle, [](const Args& args) -> Orvex::Mi::Value {
    expectArgs(args, 1, "pulse-style");
    throw EngineError("specify pulsestyle is not supported by this engine: vvp cannot change the pulse style "
                      "during the simulation");
});

Registrar showCancelled(Orvex::Protocol::Request::ShowCancelled, [](const Args& args) -> Orvex::Mi::Value {
    expectArgs(args, 1, "show-cancelled");
    throw EngineError(std::string("specify ") + (args[0] == "0" ? "noshowcancelled" : "showcancelled") +
                      " is not supported by this engine: vvp cannot show cancelled events");
});

} // namespace

} // namespace OrvexEngine
