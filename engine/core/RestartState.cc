// The registry of state that survives a restart.
#include "RestartState.h"

#include "Mi.h"

namespace OrvexEngine {

namespace {
std::vector<StateSaver>& savers() {
    static std::vector<StateSaver> all;
    return all;
}
} // namespace

void addRestartState(StateSaver saver) { savers().push_back(std::move(saver)); }

std::vector<std::string> restartStateLines() {
    std::vector<std::string> lines;
    for (auto& saver : savers())
        for (auto& line : saver()) lines.push_back(std::move(line));
    return lines;
}

std::string replayLine(const std::string& command, const std::vector<std::string>& args) {
    Orvex::Mi::Request request;
    request.command = command;
    request.args = args;
    return Orvex::Mi::encodeRequest(request);
}

} // namespace OrvexEngine
