// SigpipeGuard: block SIGPIPE around a write, and swallow the one a failed write raised.
#include "orvex/SigpipeGuard.h"

#include <pthread.h>

#include <cerrno>
#include <ctime>

namespace Tavrin {

SigpipeGuard::SigpipeGuard() {
    sigemptyset(&pipeSignal_);
    sigaddset(&pipeSignal_, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal_, &oldMask_);
    sigset_t pending;
    sigemptyset(&pending);
    if (sigpending(&pending) == 0) wasPending_ = sigismember(&pending, SIGPIPE) == 1;
}

SigpipeGuard::~SigpipeGuard() { pthread_sigmask(SIG_SETMASK, &oldMask_, nullptr); }

void SigpipeGuard::consume() {
    // One pending instance is all a blocked signal can have, so one take is enough.
    if (wasPending_ || consumed_) return;
    consumed_ = true;
    const struct timespec noWait = {0, 0};
    while (sigtimedwait(&pipeSignal_, nullptr, &noWait) < 0 && errno == EINTR) {
    }
}

} // namespace Tavrin
