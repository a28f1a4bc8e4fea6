// A thread whose join can be given a time limit, so a shut-down never hangs on a stuck worker.
#pragma once

#include <functional>
#include <memory>
#include <thread>

namespace Tavrin {

/// Runs a function on its own thread from construction. `join(seconds)` waits at most that long
/// and reports whether the thread ended; a thread still running when the object dies is detached.
/// The object's own bookkeeping is shared with the thread, so giving up on a thread is safe; the
/// body must hold what it uses by value or by shared ownership, never by reference to its owner.
class TimedThread {
public:
    explicit TimedThread(std::function<void()> body);
    ~TimedThread();
    TimedThread(const TimedThread&) = delete;
    TimedThread& operator=(const TimedThread&) = delete;

    /// Waits up to `seconds` for the thread to end; true when it has ended and was joined.
    /// A limit of 0 or less only looks. Called from the thread itself, it returns false.
    bool join(int seconds);
    /// Whether the body has returned (or ended by an exception, which the thread swallows).
    bool finished() const;

private:
    struct State;
    std::shared_ptr<State> state_;
    std::thread thread_;
};

} // namespace Tavrin
