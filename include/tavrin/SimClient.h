// Simulation clients: what gives the control its design-data reader and, for a live engine, its
// engine control.
#pragma once

#include <functional>

#include "orvex/ISimulationControl.h"
#include "orvex/IReader.h"

namespace Tavrin {

class LiveSimClientImpl;

/// Anything that supplies a design-data reader.
class ISimClient {
public:
    virtual ~ISimClient() = default;
    virtual IReader* getReader() const = 0;
};

/// A client of a live engine process: starts and ends the engine, and hands out its engine
/// control and, once the engine reports ready, its reader.
class LiveSimClient : public ISimClient {
public:
    /// A client over an engine control and a reader that the caller keeps alive; `startEngine`
    /// starts the engine process. Used by hosts that bring their own engine control.
    LiveSimClient(ISimulationControl* control, IReader* reader, std::function<void()> startEngine,
                  bool captureLiveData);
    ~LiveSimClient() override;
    LiveSimClient(const LiveSimClient&) = delete;
    LiveSimClient& operator=(const LiveSimClient&) = delete;

    void startEngine();
    /// Asks the engine to end (quit, forced, without leaving the GUI); always true.
    bool shutDownEngine();
    void killEngine();
    ISimulationControl* getSimulationControl() const;
    /// Null until the engine has reported ready.
    IReader* getReader() const override;

private:
    LiveSimClientImpl* impl_;
};

} // namespace Tavrin
