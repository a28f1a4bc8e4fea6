// Turns engine events into console messages, the end of blocking requests, the scripts of met
// conditions and the shell's reaction to the engine's end.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "EngineLifecycle.h"
#include "orvex/IEventHandler.h"

namespace Tavrin {

class TclControlImpl;

/// The control's engine event handler. It owns the engine's lifecycle (EngineLifecycle.h) and
/// the one blocking request that may be outstanding; every state change goes through
/// `advance`, under `stateLock_`.
class TclEventHandler : public IEventHandler {
public:
    enum RequestKind { RunForTime, RunAll, Restart, Step };

    TclEventHandler(TclControlImpl* owner, bool handleEngineHang);
    void handleEvent(const EngineEvent& event) override;
    ~TclEventHandler() override = default;

    /// Starts an engine through `start` and waits for it to be ready or to end. The lock is
    /// held from the start to the wait, so neither event can be handled in between and missed.
    /// True when the engine is ready.
    bool startEngine(const std::function<void()>& start);
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
    /// The shell gives the engine up (it does not answer): from now on it counts as ended.
    /// Whether it had ended already.
    bool giveUpEngine();

    EngineState state();
    bool engineEnded() { return state() == EngineState::Ended; }
    /// A $finish on the standard console quits the shell once the request is over.
    bool quitPending();
    /// The conditions met in the last stop whose scripts have not run yet.
    std::vector<int> pendingConditions();

private:
    /// The one place the lifecycle changes; stateLock_ is held. Returns the state before.
    EngineState advance(EngineInput input);
    void handleNamedEvent(const EngineEvent& event);
    void handleTermination(const EngineEvent& event);
    void handleHang();
    void runConditionScript(int conditionId);
    void printStopLine(const EngineEvent& event, const std::string& why);
    /// Prints the cause and the end message once; stateLock_ is held.
    void reportEndLocked();

    TclControlImpl* owner;
    const bool handleEngineHang;
    std::mutex stateLock_;
    std::condition_variable stateChanged_;
    EngineState state_ = EngineState::Ended;
    bool quitAfterRequest_ = false;
    /// The last engine ended without being asked to; its cause (the exit status text), and
    /// whether that end has been reported.
    bool endUnexpected_ = false;
    bool endReported_ = false;
    std::string endCause_;
    /// The conditions met in the last stop, in id order; their scripts run after the request.
    std::vector<int> metConditionIds_;
};

} // namespace Tavrin
