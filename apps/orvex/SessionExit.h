// The ways out of a session that do not pass through the shell: Ctrl-C, terminating signals
// (SIGTERM, SIGHUP, Ctrl-\), a closed standard output; and what every way out must put back.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <termios.h>

namespace OrvexLauncher {

/// Owns the session's exit duties: the terminal's modes as found, the work folder, and a watcher
/// thread that turns signals into calls of the launcher's handlers. A terminating signal first
/// asks the session to end normally (so Tcl's buffers are written and the engine ends); if that
/// has not happened within a short grace time, the watcher puts the terminal back, removes the
/// work folder and ends the process itself.
class SessionExit {
public:
    struct Handlers {
        std::function<void()> interrupt;       ///< Ctrl-C
        std::function<void(int)> terminate;    ///< end the session because of this signal
    };

    /// Blocks the signals the watcher takes. Must run before any thread starts, so that every
    /// thread inherits the mask and only the watcher sees them.
    static void blockSignals();

    SessionExit();
    ~SessionExit();
    SessionExit(const SessionExit&) = delete;
    SessionExit& operator=(const SessionExit&) = delete;

    void setWorkFolder(const std::string& path) { workFolder_ = path; }
    void startWatcher(Handlers handlers);
    /// The launcher's own end: the terminal as found and the work folder removed.
    void cleanUp();
    /// No handler runs any more once this returns (one running is waited for), so that what
    /// the handlers use can be taken down.
    void stopHandlers();
    /// Called when the session has ended; a pending forced end is called off.
    void sessionEnded();
    /// The signal that ended the session, 0 if none.
    int endingSignal() const { return endingSignal_; }
    /// After cleanUp: ends the process as the signal that ended the session would have.
    [[noreturn]] void endAsSignalled();

private:
    void watch(int signalFd);
    void restoreTerminal() const;

    std::string workFolder_;
    bool terminalSaved_ = false;
    struct termios terminal_ {};
    Handlers handlers_;
    std::atomic<int> endingSignal_{0};
    std::mutex handlerLock_;
    bool handlersStopped_ = false;
    std::mutex lock_;
    std::condition_variable ended_;
    bool sessionEnded_ = false;
};

} // namespace OrvexLauncher
