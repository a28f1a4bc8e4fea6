// The stop-request thread behind Ctrl-C.
#include "EngineStopper.h"

#include "orvex/Exceptions.h"
#include "orvex/ISimulationControl.h"

namespace OrvexLauncher {

EngineStopper::EngineStopper(Tavrin::ISimulationControl* engine)
    : engine_(engine), thread_([this] { serve(); }) {}

EngineStopper::~EngineStopper() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        finishing_ = true;
        changed_.notify_all();
    }
    thread_.join();
}

bool EngineStopper::request() {
    std::lock_guard<std::mutex> hold(lock_);
    if (busy_ || wanted_) return false;
    wanted_ = true;
    changed_.notify_all();
    return true;
}

void EngineStopper::serve() {
    std::unique_lock<std::mutex> hold(lock_);
    for (;;) {
        changed_.wait(hold, [this] { return wanted_ || finishing_; });
        if (!wanted_) return;
        wanted_ = false;
        busy_ = true;
        hold.unlock();
        try {
            if (engine_ != nullptr) engine_->stop();
        } catch (const Orvex::Exception&) {
            // No running engine to stop, or one that has gone.
        }
        hold.lock();
        busy_ = false;
    }
}

} // namespace OrvexLauncher
