// Keeps a write into a pipe whose reader is gone from raising SIGPIPE, without touching the
// process-wide signal disposition that the host owns. Every writer into a pipe of another
// process (the engine's requests, the viewer's commands, the console pipe) writes under one.
#pragma once

#include <signal.h>

#include <cstddef>

namespace Tavrin {

/// While alive, SIGPIPE is blocked in the calling thread. After a write failed with EPIPE, call
/// `consume` to take away the SIGPIPE that write raised, so it is never delivered once the old
/// mask comes back. A SIGPIPE that was already pending before is left alone.
class SigpipeGuard {
public:
    SigpipeGuard();
    ~SigpipeGuard();
    SigpipeGuard(const SigpipeGuard&) = delete;
    SigpipeGuard& operator=(const SigpipeGuard&) = delete;

    void consume();

private:
    sigset_t pipeSignal_;
    sigset_t oldMask_;
    bool wasBlocked_ = false;
    bool wasPending_ = false;
    bool consumed_ = false;
};

/// Writes all of `size` bytes to a blocking pipe under a SigpipeGuard: false, with errno EPIPE,
/// when its reader has gone, and no SIGPIPE delivered for it.
bool writeAllToPipe(int fd, const void* data, std::size_t size);

} // namespace Tavrin
