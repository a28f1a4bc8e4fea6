// The engine's lifecycle as the shell sees it: one state, changed only through nextState, so
// that every transition (start, ready, a run taken, its stop, the end) is written in one table.
#pragma once

namespace Tavrin {

enum class EngineState {
    Ended,    // no engine: none started yet, or it ended (asked to, died, or was ended as hung)
    Starting, // started, its ready event not yet seen
    Ready,    // paused before time 0, no run asked for yet
    Running,  // a blocking request (run, step, restart) was taken and has not stopped
    Stopped   // paused after a blocking request
};

enum class EngineInput {
    Start,        // the shell starts an engine
    ReadyEvent,   // the engine reports it is ready
    RequestTaken, // the engine accepted a blocking request
    StopEvent,    // the engine reports why it paused (breakpoint, run end, $stop, ...)
    End           // the engine ended, or the shell gave it up (hung, ended on request)
};

/// The state that `input` leads to from `state`. Inputs that do not apply keep the state.
EngineState nextState(EngineState state, EngineInput input);

/// The state's name, for messages and test output.
const char* stateName(EngineState state);

} // namespace Tavrin
