// Signal dispositions, masks and the note pipe that wakes a poll loop.
#include "orvex/Signals.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "orvex/PosixIo.h"

namespace Tavrin {

namespace {
void setAction(int signal, void (*handler)(int), int flags) {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = flags;
    sigaction(signal, &action, nullptr);
}
} // namespace

sigset_t signalSet(std::initializer_list<int> signals) {
    sigset_t set;
    sigemptyset(&set);
    for (int s : signals) sigaddset(&set, s);
    return set;
}

void catchSignal(int signal, void (*handler)(int)) { setAction(signal, handler, SA_RESTART); }

void resetSignalsForExec() {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    setAction(SIGPIPE, SIG_DFL, 0);
}

void endAsBySignal(int signal) {
    if (signal <= 0 || signal == SIGQUIT) ::_exit(128 + (signal > 0 ? signal : 0));
    setAction(signal, SIG_DFL, 0);
    const sigset_t only = signalSet({signal});
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    ::kill(::getpid(), signal);
    ::_exit(128 + signal);
}

NotePipe::~NotePipe() {
    for (int fd : ends_)
        if (fd >= 0) ::close(fd);
}

bool NotePipe::open() {
    if (isOpen()) return true;
    if (::pipe2(ends_, O_CLOEXEC | O_NONBLOCK) == 0) return true;
    ends_[0] = ends_[1] = -1;
    return false;
}

void NotePipe::post(char note) const {
    if (ends_[1] < 0) return;
    const int saved = errno;
    ssize_t ignored = ::write(ends_[1], &note, 1);
    (void)ignored;
    errno = saved;
}

int NotePipe::take() const {
    unsigned char note = 0;
    if (ends_[0] < 0) return -1;
    return readRetrying(ends_[0], &note, 1) == 1 ? note : -1;
}

} // namespace Tavrin
