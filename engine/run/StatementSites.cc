// Choosing and driving the statement mechanism (see StatementSites.h).
#include "StatementSites.h"

#include <cstdint>
#include <vector>

#include "Breakpoints.h"
#include "VvpInternalsSwitch.h"
#include "vvp_internals/StatementPatch.h"
#include "Wire.h"

namespace OrvexEngine {

namespace {
std::string mechanism = "reports";
bool active = false;
int armedVersion = -1;

// Each site's whole trace record, made when tracing is first asked for: a traced statement then
// costs a copy into the wire's queue, with nothing formatted or looked up.
std::vector<std::string> traceRecords;

void traceSite(std::uint32_t site) {
    const std::string& record = traceRecords[site];
    Wire::queueRecord(record.data(), record.size());
}
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

void refreshStatementSites(bool every, bool trace, std::string (*record)(const std::string& file, int line)) {
    if (trace && traceRecords.empty()) {
        const std::size_t count = VvpInternals::statementSiteCount();
        traceRecords.reserve(count);
        for (std::size_t i = 0; i < count; ++i)
            traceRecords.push_back(record(VvpInternals::statementSiteFile(i), VvpInternals::statementSiteLine(i)));
        VvpInternals::setTraceSink(traceSite);
    }
    VvpInternals::setEveryStatement(every, trace);
    if (armedVersion == breakpointVersion()) return;
    armedVersion = breakpointVersion();
    VvpInternals::rearmStatementSites(
        [](const std::string& file, int line) { return breakpointOnLine(line) && breakpointAt(file, line) != 0; });
}

} // namespace OrvexEngine
