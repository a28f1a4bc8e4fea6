// Signal watching and the launcher's own clean-up. The watched signals are blocked in every
// thread and read from a signalfd by one thread. SIGPIPE cannot be taken that way (it is sent to
// the thread that wrote), so its handler only writes the signal number into the same wait.
#include "SessionExit.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace OrvexLauncher {

namespace {

// How long a terminating signal waits for the session to end by itself.
constexpr auto kGraceTime = std::chrono::milliseconds(1500);

int brokenPipeFds[2] = {-1, -1};

void onBrokenPipe(int) {
    int saved = errno;
    unsigned char code = SIGPIPE;
    if (brokenPipeFds[1] >= 0) {
        ssize_t ignored = ::write(brokenPipeFds[1], &code, 1);
        (void)ignored;
    }
    errno = saved;
}

sigset_t watchedSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&set, s);
    return set;
}

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
    if (::pipe2(brokenPipeFds, O_CLOEXEC | O_NONBLOCK) == 0) {
        struct sigaction action {};
        action.sa_handler = onBrokenPipe;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGPIPE, &action, nullptr);
    }
    std::thread([this, signalFd] { watch(signalFd); }).detach();
}

void SessionExit::watch(int signalFd) {
    for (;;) {
        pollfd fds[2] = {{signalFd, POLLIN, 0}, {brokenPipeFds[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        int signal = 0;
        if (fds[0].revents & POLLIN) {
            signalfd_siginfo info {};
            if (::read(signalFd, &info, sizeof info) != sizeof info) continue;
            signal = static_cast<int>(info.ssi_signo);
        } else if (fds[1].revents & POLLIN) {
            unsigned char code = 0;
            while (::read(brokenPipeFds[0], &code, 1) == 1) signal = code;
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
    int signal = endingSignal_;
    // Ctrl-\ ends the session without the core file its default action would leave.
    if (signal == 0 || signal == SIGQUIT) ::_exit(128 + (signal ? signal : 0));
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    ::kill(::getpid(), signal);
    ::_exit(128 + signal);
}

} // namespace OrvexLauncher
