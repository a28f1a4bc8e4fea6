// SigpipeGuard: block SIGPIPE around a write, and swallow the one a failed write raised.
#include "orvex/SigpipeGuard.h"

#include <pthread.h>

#include <cerrno>
#include <ctime>

#include "orvex/PosixIo.h"

namespace Tavrin {

SigpipeGuard::SigpipeGuard() {
    sigemptyset(&pipeSignal_);
    sigaddset(&pipeSignal_, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal_, &oldMask_);
    // A SIGPIPE can only be pending for this thread already if the thread had it blocked: one
    // that was not blocked would have been delivered. Only then is the pending set asked for,
    // so that the usual write costs two signal-mask calls and no more.
    wasBlocked_ = sigismember(&oldMask_, SIGPIPE) == 1;
    if (wasBlocked_) {
        sigset_t pending;
        sigemptyset(&pending);
        if (sigpending(&pending) == 0) wasPending_ = sigismember(&pending, SIGPIPE) == 1;
    }
}

SigpipeGuard::~SigpipeGuard() {
    if (!wasBlocked_) // otherwise the mask is unchanged
        pthread_sigmask(SIG_SETMASK, &oldMask_, nullptr);
}

void SigpipeGuard::consume() {
    // One pending instance is all a blocked signal can have, so one take is enough.
    if (wasPending_ || consumed_) return;
    consumed_ = true;
    const struct timespec noWait = {0, 0};
    while (sigtimedwait(&pipeSignal_, nullptr, &noWait) < 0 && errno == EINTR) {
    }
}

bool writeAllToPipe(int fd, const void* data, std::size_t size) {
    SigpipeGuard noSigpipe;
    const bool ok = writeAll(fd, data, size);
    if (!ok && errno == EPIPE) noSigpipe.consume();
    return ok;
}

} // namespace Tavrin
