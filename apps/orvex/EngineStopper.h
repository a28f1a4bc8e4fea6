// Ctrl-C's stop request to the engine, sent from a thread of its own.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

namespace Tavrin {
class ISimulationControl;
}

namespace OrvexLauncher {

/// Sends stop requests to the engine one at a time on its own thread, so that the signal watcher
/// is never held up by an engine that does not answer, and can tell that it does not.
class EngineStopper {
public:
    explicit EngineStopper(Tavrin::ISimulationControl* engine);
    /// Waits for a stop in flight to be answered (or to fail), then ends the thread.
    ~EngineStopper();
    EngineStopper(const EngineStopper&) = delete;
    EngineStopper& operator=(const EngineStopper&) = delete;

    /// Asks the engine to stop. False when the stop asked for before is still unanswered.
    bool request();

private:
    void serve();

    Tavrin::ISimulationControl* engine_;
    std::mutex lock_;
    std::condition_variable changed_;
    bool wanted_ = false;
    bool busy_ = false;
    bool finishing_ = false;
    std::thread thread_;
};

} // namespace OrvexLauncher
