// Turns engine events into console messages, the end of blocking requests, the scripts of met
// conditions and the shell's reaction to the engine's end.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "orvex/IEventHandler.h"

namespace Tavrin {

class TclControlImpl;

/// The control's engine event handler. Its flags, guarded by `stateLock`, track the engine
/// (starting, ready, terminated) and the one blocking request that may be outstanding.
class TclEventHandler : public IEventHandler {
public:
    enum RequestKind { RunForTime, RunAll, Restart, Step };

    TclEventHandler(TclControlImpl* owner, bool handleEngineHang);
    void handleEvent(const EngineEvent& event) override;
    ~TclEventHandler() override = default;

    /// Issues a blocking request and waits for the event that ends it. An engine that stops
    /// answering is reported through the control's engine-failure routine; then false.
    bool request(RequestKind kind, std::int64_t time);
    /// Runs after every blocking request: a pending quit, a met condition's script, or the
    /// report of an engine that ended during the request.
    void postRequest();

    std::mutex stateLock;
    std::condition_variable stateChanged;
    bool engineReady = false;
    bool handleEngineHang;
    bool engineStarting = false;
    bool requestBusy = false;
    bool quitAfterRequest = false;
    bool engineTerminated = true;

private:
    void handleNamedEvent(const EngineEvent& event);
    void handleTermination(const EngineEvent& event);
    void handleHang();
    void runConditionScript(int conditionId);
    void printStopLine(const EngineEvent& event, const std::string& why);

    TclControlImpl* owner;
};

} // namespace Tavrin
