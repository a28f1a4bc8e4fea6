// The table of protocol requests served by the engine.
#include "EngineCommands.h"

#include <map>

namespace OrvexEngine {

namespace {
std::map<std::string, Handler>& table() {
    static std::map<std::string, Handler> handlers;
    return handlers;
}
} // namespace

void registerHandler(const std::string& command, Handler handler) { table()[command] = std::move(handler); }

const Handler* findHandler(const std::string& command) {
    auto found = table().find(command);
    return found == table().end() ? nullptr : &found->second;
}

void expectArgs(const std::vector<std::string>& args, std::size_t count, const char* command) {
    if (args.size() != count)
        throw EngineError(std::string(command) + ": expected " + std::to_string(count) +
                          " argument(s), got " + std::to_string(args.size()));
}

} // namespace OrvexEngine
