// The one-line display of a long run's progress at the terminal.
#pragma once

#include <string>

#include "orvex/IEventHandler.h"

namespace OrvexLauncher {

class LineEditConsole;

/// Shows the engine's run progress reports on the console's status line once a run has lasted
/// kShowAfterMs, and erases it when the run stops or the engine ends. Made only for a terminal
/// console, so batch sessions and redirected output never see it.
class ProgressLine : public Tavrin::IEventHandler {
public:
    static constexpr std::int64_t kShowAfterMs = 2000;

    explicit ProgressLine(LineEditConsole& console) : console_(console) {}
    void handleEvent(const Tavrin::EngineEvent& event) override;

    /// "Running: 1.25 ms of 5 ms (25%), 410 us/s": the time reached, the target of a timed run,
    /// and the simulated time per second of wall time since the run started.
    static std::string text(const Tavrin::EngineEvent& progress);
    /// A time in femtoseconds, rounded to three or four digits in the largest unit it reaches.
    static std::string roughTime(double fs);

private:
    LineEditConsole& console_;
};

} // namespace OrvexLauncher
