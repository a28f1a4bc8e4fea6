// Choosing and driving the statement mechanism (see StatementSites.h).
#include "StatementSites.h"

#include "Breakpoints.h"
#include "VvpInternalsSwitch.h"
#include "vvp_internals/StatementPatch.h"

namespace OrvexEngine {

namespace {
std::string mechanism = "reports";
bool active = false;
int armedVersion = -1;
} // namespace

void startStatementSites(bool* showFileLine) {
    const std::string refused = vvpInternalsRefusal();
    if (!refused.empty()) {
        mechanism = "reports: " + refused;
        return;
    }
    std::string why;
    if (!VvpInternals::patchStatementSites(showFileLine, why)) {
        mechanism = "reports: " + why;
        return;
    }
    mechanism = "code";
    active = true;
}

const std::string& statementMechanism() { return mechanism; }
bool statementSitesActive() { return active; }

void refreshStatementSites(bool every, bool trace, void (*sink)(const std::string& file, int line)) {
    VvpInternals::setTraceSink(sink);
    VvpInternals::setEveryStatement(every, trace);
    if (armedVersion == breakpointVersion()) return;
    armedVersion = breakpointVersion();
    VvpInternals::rearmStatementSites(
        [](const std::string& file, int line) { return breakpointOnLine(line) && breakpointAt(file, line) != 0; });
}

} // namespace OrvexEngine
