// TimedThread: a std::thread plus a completion flag the owner can wait on with a time limit.
#include "orvex/TimedThread.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace Tavrin {

// Held by both the owner and the thread, so a detached thread never reaches freed memory.
struct TimedThread::State {
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;
};

TimedThread::TimedThread(std::function<void()> body) : state_(std::make_shared<State>()) {
    std::shared_ptr<State> state = state_;
    thread_ = std::thread([state, body = std::move(body)]() {
        // An escaping exception would end the whole process; a worker's failure only ends it.
        try {
            if (body) body();
        } catch (...) {
        }
        std::lock_guard<std::mutex> hold(state->lock);
        state->finished = true;
        state->done.notify_all();
    });
}

TimedThread::~TimedThread() {
    if (!thread_.joinable()) return;
    if (thread_.get_id() == std::this_thread::get_id() || !finished())
        thread_.detach();
    else
        thread_.join();
}

bool TimedThread::join(int seconds) {
    if (!thread_.joinable()) return finished();
    if (thread_.get_id() == std::this_thread::get_id()) return false;
    {
        std::unique_lock<std::mutex> hold(state_->lock);
        if (seconds > 0)
            state_->done.wait_for(hold, std::chrono::seconds(seconds), [this] { return state_->finished; });
        if (!state_->finished) return false;
    }
    // The body has returned; only the thread's last few instructions remain.
    thread_.join();
    return true;
}

bool TimedThread::finished() const {
    std::lock_guard<std::mutex> hold(state_->lock);
    return state_->finished;
}

} // namespace Tavrin
