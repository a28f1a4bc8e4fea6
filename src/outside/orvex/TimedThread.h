// A thread whose join can be given a time limit, so a shut-down never hangs on a stuck worker.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace Tavrin {

/// Runs a function on its own thread from construction. `join(seconds)` waits at most that long
/// and reports whether the thread ended; a thread not ended is detached when the object dies, so
/// the function must only touch state that outlives it.
class TimedThread {
public:
    explicit TimedThread(std::function<void()> body);
    ~TimedThread();
    TimedThread(const TimedThread&) = delete;
    TimedThread& operator=(const TimedThread&) = delete;

    /// Waits up to `seconds` for the thread to end; true when it has ended and was joined.
    bool join(int seconds);
    bool finished() const;

private:
    mutable std::mutex lock_;
    std::condition_variable done_;
    bool finished_ = false;
    std::thread thread_;
};

} // namespace Tavrin
