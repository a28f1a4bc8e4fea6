// The lifecycle table (see EngineLifecycle.h).
#include "EngineLifecycle.h"

namespace Tavrin {

EngineState nextState(EngineState state, EngineInput input) {
    switch (input) {
    case EngineInput::Start:
        return EngineState::Starting;
    case EngineInput::End:
        return EngineState::Ended;
    case EngineInput::ReadyEvent:
        // A restart's new engine reports ready inside the restart request: still running.
        return state == EngineState::Starting ? EngineState::Ready : state;
    case EngineInput::RequestTaken:
        // An ended engine takes nothing; the request finds it ended and reports that.
        return state == EngineState::Ended ? state : EngineState::Running;
    case EngineInput::StopEvent:
        return state == EngineState::Running ? EngineState::Stopped : state;
    }
    return state;
}

const char* stateName(EngineState state) {
    switch (state) {
    case EngineState::Ended: return "ended";
    case EngineState::Starting: return "starting";
    case EngineState::Ready: return "ready";
    case EngineState::Running: return "running";
    case EngineState::Stopped: return "stopped";
    }
    return "?";
}

} // namespace Tavrin
