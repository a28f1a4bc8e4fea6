// The engine's table of protocol requests. Each part of the engine (the simulation core, the
// output writers, SDF annotation) registers the requests it serves; the server dispatches every
// request line to its handler on the simulation thread, while the simulation is paused, so
// handlers may call VPI freely.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "Mi.h"
#include "ProtocolWords.h"

namespace OrvexEngine {

/// A request that cannot be carried out; its message is sent back as ^error,msg="...".
class EngineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Serves one request: the arguments as sent; returns the result's fields (an empty tuple for
/// a plain ^done). Throws EngineError to refuse.
using Handler = std::function<Orvex::Mi::Value(const std::vector<std::string>& args)>;

/// Registers the handler of a request name; a later registration replaces an earlier one.
void registerHandler(const std::string& command, Handler handler);
/// The handler of a request name, or null when none is registered.
const Handler* findHandler(const std::string& command);

/// Registers handlers when the engine module is loaded: `static Registrar r("vcd-on", fn);`.
struct Registrar {
    Registrar(const std::string& command, Handler handler) { registerHandler(command, std::move(handler)); }
};

/// Throws EngineError unless exactly `count` arguments were given.
void expectArgs(const std::vector<std::string>& args, std::size_t count, const char* command);

} // namespace OrvexEngine
