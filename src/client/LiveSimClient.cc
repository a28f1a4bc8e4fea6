// The live simulation client: the engine control and reader of a running engine, and the
// switch of live-value capture on simulation events.
#include "tavrin/SimClient.h"

#include <atomic>

namespace Tavrin {

/// Holds the engine parts of a live client and watches the engine's events: the reader is handed
/// out once the engine is ready, and live-value capture follows the simulation's pauses.
class LiveSimClientImpl : public IEventHandler {
public:
    LiveSimClientImpl(ISimulationControl* c, IReader* r, std::function<void()> start, bool capture)
        : control(c), reader(r), startFunction(std::move(start)), captureLiveData(capture) {}

    void handleEvent(const EngineEvent& event) override {
        if (event.kind == EngineReadyEvent) {
            readerReady = true;
        } else if ((event.kind == NamedSimulationEvent || event.kind == CaptureResumedEvent) &&
                   captureLiveData && reader != nullptr) {
            if (DataObjMgr* manager = reader->getDataObjMgr())
                manager->captureLiveData(event.kind == CaptureResumedEvent);
        }
    }

    ISimulationControl* control;
    IReader* reader;
    std::function<void()> startFunction;
    std::atomic<bool> readerReady{false};
    bool captureLiveData;
};

LiveSimClient::LiveSimClient(ISimulationControl* control, IReader* reader,
                             std::function<void()> startEngine, bool captureLiveData)
    : impl_(new LiveSimClientImpl(control, reader, std::move(startEngine), captureLiveData)) {
    if (control != nullptr) control->addEventHandler(impl_);
}

LiveSimClient::~LiveSimClient() { delete impl_; }

void LiveSimClient::startEngine() {
    if (impl_->startFunction) impl_->startFunction();
}

bool LiveSimClient::shutDownEngine() {
    try {
        if (impl_->control != nullptr) impl_->control->quit(true, false);
    } catch (const Orvex::Exception&) {
        // The engine may already be gone; the host goes on shutting down either way.
    }
    return true;
}

void LiveSimClient::killEngine() {
    if (impl_->control != nullptr) impl_->control->terminate();
}

ISimulationControl* LiveSimClient::getSimulationControl() const { return impl_->control; }

IReader* LiveSimClient::getReader() const { return impl_->readerReady ? impl_->reader : nullptr; }

} // namespace Tavrin
