// Run progress at the terminal: the engine's reports turned into one status line.
#include "ProgressLine.h"

#include <cstdio>

#include "LineEditConsole.h"

namespace OrvexLauncher {

std::string ProgressLine::roughTime(double fs) {
    static const char* const units[] = {"fs", "ps", "ns", "us", "ms", "s"};
    int unit = 0;
    while (unit < 5 && fs >= 1000.0) {
        fs /= 1000.0;
        ++unit;
    }
    char buffer[48];
    const char* format = fs >= 100.0 || fs == static_cast<double>(static_cast<long long>(fs)) ? "%.0f %s"
                         : fs >= 10.0                                                       ? "%.1f %s"
                                                                                             : "%.2f %s";
    std::snprintf(buffer, sizeof buffer, format, fs, units[unit]);
    return buffer;
}

std::string ProgressLine::text(const Tavrin::EngineEvent& progress) {
    std::string line = "Running: " + roughTime(static_cast<double>(progress.time));
    if (progress.runTarget >= 0) {
        line += " of " + roughTime(static_cast<double>(progress.runTarget));
        const double span = static_cast<double>(progress.runTarget - progress.runStart);
        if (span > 0) {
            const double done = static_cast<double>(progress.time - progress.runStart) / span;
            line += " (" + std::to_string(static_cast<int>(done * 100.0)) + "%)";
        }
    }
    if (progress.elapsedMs > 0) {
        const double rate =
            static_cast<double>(progress.time - progress.runStart) * 1000.0 / static_cast<double>(progress.elapsedMs);
        line += ", " + roughTime(rate) + "/s";
    }
    return line;
}

void ProgressLine::handleEvent(const Tavrin::EngineEvent& event) {
    switch (event.kind) {
    case Tavrin::RunProgressEvent:
        if (event.elapsedMs >= kShowAfterMs) console_.showStatus(text(event));
        break;
    case Tavrin::NamedSimulationEvent:
    case Tavrin::EngineTerminatedEvent:
    case Tavrin::EngineHangEvent:
        console_.clearStatus();
        break;
    default:
        break;
    }
}

} // namespace OrvexLauncher
