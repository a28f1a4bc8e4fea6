// Engine events as the engine-control library delivers them, and the handler interface.
#pragma once

#include <cstdint>
#include <vector>

#include "orvex/StringBase.h"

namespace Tavrin {

/// Kinds of engine events.
enum EngineEventKind {
    EngineReadyEvent = 0,
    NamedSimulationEvent = 1,
    EngineTerminatedEvent = 2,
    EngineTextEvent = 3,
    EngineHangEvent = 6,
    CaptureResumedEvent = 7,
    RunProgressEvent = 8
};

/// One engine event. Which fields are meaningful depends on `kind`: named events carry name,
/// file, time, line, condition id (the first met), every condition id met in that time step in
/// id order, whether the simulation has ended and the status the design ended it with (1 for
/// $fatal, as vvp exits); termination carries `expected` and `text` (its message);
/// text output carries `text`; run progress carries `time` (reached), `runStart` (the time the
/// run started at), `runTarget` (where a timed run ends, -1 for none) and `elapsedMs` (wall time
/// since the run started).
struct EngineEvent {
    int kind = EngineReadyEvent;
    StringBase name;
    StringBase file;
    std::int64_t time = 0;
    int line = 0;
    int conditionId = 0;
    std::vector<int> conditionIds;
    bool ended = false;
    int status = 0;
    bool expected = false;
    StringBase text;
    std::int64_t runStart = 0;
    std::int64_t runTarget = -1;
    std::int64_t elapsedMs = 0;
};

/// Receives every engine event, on the engine control's own thread.
class IEventHandler {
public:
    virtual void handleEvent(const EngineEvent& event) = 0;
    virtual ~IEventHandler() = default;
};

} // namespace Tavrin
