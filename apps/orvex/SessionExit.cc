// Signal watching and the launcher's own clean-up. The watched signals are blocked in every
// thread and read from a signalfd by one thread. SIGPIPE cannot be taken that way (it is sent to
// the thread that wrote), so its handler only writes the signal number into the same wait.
#include "SessionExit.h"

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "orvex/PosixIo.h"
#include "orvex/Signals.h"

namespace OrvexLauncher {

namespace {

// How long a terminating signal waits for the session to end by itself.
constexpr auto kGraceTime = std::chrono::milliseconds(1500);

// Never freed: the detached watcher may still poll it while the process exits.
Tavrin::NotePipe& brokenPipe = *new Tavrin::NotePipe;

void onBrokenPipe(int) { brokenPipe.post(SIGPIPE); }

sigset_t watchedSignals() { return Tavrin::signalSet({SIGINT, SIGTERM, SIGHUP, SIGQUIT}); }

} // namespace

void SessionExit::blockSignals() {
    sigset_t set = watchedSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

SessionExit::SessionExit() {
    if (::isatty(0) && ::tcgetattr(0, &terminal_) == 0) terminalSaved_ = true;
}

SessionExit::~SessionExit() = default;

void SessionExit::startWatcher(Handlers handlers) {
    handlers_ = std::move(handlers);
    sigset_t set = watchedSignals();
    int signalFd = ::signalfd(-1, &set, SFD_CLOEXEC);
    if (brokenPipe.open()) Tavrin::catchSignal(SIGPIPE, onBrokenPipe);
    std::thread([this, signalFd] { watch(signalFd); }).detach();
}

void SessionExit::watch(int signalFd) {
    for (;;) {
        pollfd fds[2] = {{signalFd, POLLIN, 0}, {brokenPipe.readDescriptor(), POLLIN, 0}};
        if (Tavrin::pollRetrying(fds, 2, -1) < 0) return;
        int signal = 0;
        if (fds[0].revents & POLLIN) {
            signalfd_siginfo info {};
            if (::read(signalFd, &info, sizeof info) != sizeof info) continue;
            signal = static_cast<int>(info.ssi_signo);
        } else if (fds[1].revents & POLLIN) {
            for (int note; (note = brokenPipe.take()) >= 0;) signal = note;
        }
        if (signal == 0) continue;
        if (signal == SIGINT) {
            std::lock_guard<std::mutex> running(handlerLock_);
            if (!handlersStopped_ && handlers_.interrupt) handlers_.interrupt();
            continue;
        }
        int none = 0;
        if (!endingSignal_.compare_exchange_strong(none, signal)) continue; // already ending
        {
            std::lock_guard<std::mutex> running(handlerLock_);
            if (!handlersStopped_ && handlers_.terminate) handlers_.terminate(signal);
        }
        std::unique_lock<std::mutex> hold(lock_);
        if (!ended_.wait_for(hold, kGraceTime, [this] { return sessionEnded_; })) {
            hold.unlock();
            cleanUp();
            endAsSignalled();
        }
    }
}

void SessionExit::stopHandlers() {
    std::lock_guard<std::mutex> running(handlerLock_);
    handlersStopped_ = true;
}

void SessionExit::sessionEnded() {
    std::lock_guard<std::mutex> hold(lock_);
    sessionEnded_ = true;
    ended_.notify_all();
}

void SessionExit::restoreTerminal() const {
    if (terminalSaved_) ::tcsetattr(0, TCSADRAIN, &terminal_);
}

void SessionExit::cleanUp() {
    std::fflush(stdout);
    restoreTerminal();
    if (!workFolder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(workFolder_, ignored);
    }
}

void SessionExit::endAsSignalled() {
    // Ctrl-\ ends the session without the core file its default action would leave.
    Tavrin::endAsBySignal(endingSignal_);
}

} // namespace OrvexLauncher
