// Engine events as the engine-control library delivers them, and the handler interface.
#pragma once

#include <cstdint>

#include "orvex/StringBase.h"

namespace Tavrin {

/// Kinds of engine events.
enum EngineEventKind {
    EngineReadyEvent = 0,
    NamedSimulationEvent = 1,
    EngineTerminatedEvent = 2,
    EngineTextEvent = 3,
    EngineHangEvent = 6,
    CaptureResumedEvent = 7
};

/// One engine event. Which fields are meaningful depends on `kind`: named events carry name,
/// file, time, line and condition id; termination carries `expected` and `text` (its message);
/// text output carries `text`.
struct EngineEvent {
    int kind = EngineReadyEvent;
    StringBase name;
    StringBase file;
    std::int64_t time = 0;
    int line = 0;
    int conditionId = 0;
    bool expected = false;
    StringBase text;
};

/// Receives every engine event, on the engine control's own thread.
class IEventHandler {
public:
    virtual void handleEvent(const EngineEvent& event) = 0;
    virtual ~IEventHandler() = default;
};

} // namespace Tavrin
