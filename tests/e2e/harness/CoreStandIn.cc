// The few simulation-core services the output writers use, for the test module that runs them
// without the core's protocol server: messages go to standard output, the exit hook runs at the
// end of the simulation, and max-traceable-size is a request of this module.
#include <functional>
#include <string>
#include <vector>

#include "EngineCommands.h"
#include "EngineCore.h"

namespace OrvexEngine {

namespace {
int traceLimit = 65536;

Registrar traceLimitRequest("max-traceable-size", [](const std::vector<std::string>& args) {
    expectArgs(args, 1, "max-traceable-size");
    traceLimit = std::stoi(args[0]);
    return Orvex::Mi::Value::tuple();
});
} // namespace

std::string pathOf(vpiHandle object) {
    const char* full = vpi_get_str(vpiFullName, object);
    std::string path = "/";
    for (const char* p = full ? full : ""; *p; ++p) path += *p == '.' ? '/' : *p;
    return path;
}

void sendMessage(const std::string& text) { vpi_printf("%s\n", ("~" + Orvex::Mi::quote(text)).c_str()); }

void atEngineExit(std::function<void()>) {}

void atPause(std::function<void()>) {}

int maxTraceableSize() { return traceLimit; }

} // namespace OrvexEngine
