// Choosing and driving the statement mechanism (see StatementSites.h).
#include "StatementSites.h"

#include <cstdlib>
#include <cstring>

#include <vpi_user.h>

#include "Breakpoints.h"
#include "vvp_internals/StatementPatch.h"

namespace OrvexEngine {

namespace {
std::string mechanism = "reports";
bool active = false;
int armedVersion = -1;

bool knownVvp() {
    s_vpi_vlog_info info{};
    if (!vpi_get_vlog_info(&info) || !info.product || !info.version) return false;
    return std::strcmp(info.product, "Icarus Verilog") == 0 && std::strncmp(info.version, "11.0 ", 5) == 0;
}
} // namespace

void startStatementSites(bool* showFileLine) {
    const char* setting = std::getenv("ORVEX_VVP_INTERNALS");
    if (setting && std::strcmp(setting, "off") == 0) {
        mechanism = "reports: internals switched off";
        return;
    }
    if (!knownVvp()) {
        mechanism = "reports: not vvp 11.0";
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
