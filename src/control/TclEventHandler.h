// Turns engine events into console messages, the end of blocking requests, the scripts of met
// conditions and the shell's reaction to the engine's end.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

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
    /// answering is reported through the control's engine-failure routine; then false. An
    /// engine that ends during the request is reported, and the request fails with a
    /// CommandErrorException (so the command fails and `catch` and onerror see it).
    bool request(RequestKind kind, std::int64_t time);
    /// Before a command reports that the engine is not running: waits (briefly) for the
    /// engine's end to arrive and be reported, so that its cause comes first.
    void awaitEndReport();
    /// The end message of an engine that ended unexpectedly, naming the log in use.
    std::string unexpectedEndText() const;
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
    /// The last engine ended without being asked to; its cause (the exit status text), and
    /// whether that end has been reported. Reset when an engine is started.
    bool endUnexpected = false;
    bool endReported = false;
    std::string endCause;

private:
    void handleNamedEvent(const EngineEvent& event);
    void handleTermination(const EngineEvent& event);
    void handleHang();
    void runConditionScript(int conditionId);
    void printStopLine(const EngineEvent& event, const std::string& why);
    /// Prints the cause and the end message once; stateLock is held.
    void reportEndLocked();

    TclControlImpl* owner;
};

} // namespace Tavrin
