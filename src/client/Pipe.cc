// Pipe over an anonymous POSIX pipe. Reads and writes wait in poll slices of 2000 ms and also
// watch an eventfd that shutDown signals; descriptors are only closed while both locks are held,
// so no thread ever polls a descriptor number that has been closed and reused.
#include "tavrin/Pipe.h"

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "orvex/Exceptions.h"
#include "orvex/PosixIo.h"
#include "orvex/SigpipeGuard.h"

namespace Tavrin {

int Pipe::m_nextPipeId = 0;

namespace {

constexpr int kSliceMs = 2000;

std::mutex& pipeIdLock() {
    static std::mutex lock;
    return lock;
}

[[noreturn]] void throwCreateFailed() {
    throw Orvex::IOException("Orvex", __FILE__, ORVEX_REVISION, __LINE__,
                             "Can't open console pipe (create named pipe failed)");
}

[[noreturn]] void throwEndOfInput() { ORVEX_THROW(Orvex::EndOfInputException, ""); }

void closeIfOpen(std::atomic<int>& fd) {
    int old = fd.exchange(-1);
    if (old >= 0) ::close(old);
}

} // namespace

Pipe::Pipe() {
    int id;
    {
        std::lock_guard<std::mutex> hold(pipeIdLock());
        id = ++m_nextPipeId;
    }
    name_ = "Orvex-" + std::to_string(static_cast<long>(::getpid())) + "-" + std::to_string(id);

    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) throwCreateFailed();
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0) {
        ::close(ends[0]);
        ::close(ends[1]);
        throwCreateFailed();
    }
    readFd_ = ends[0];
    writeFd_ = ends[1];
}

Pipe::~Pipe() {
    shutDown();
    if (wakeFd_ >= 0) ::close(wakeFd_);
}

bool Pipe::read(char* buffer, int size, int& count) {
    count = 0;
    if (size < 0 || (size > 0 && !buffer)) return false;
    if (size == 0) return true;

    std::lock_guard<std::mutex> hold(readLock_);
    for (;;) {
        int fd = readFd_;
        if (fd < 0) throwEndOfInput();
        // Once shut down, hand out what is already there, then report the end.
        bool stopping = shutDownRequested_;
        struct pollfd watch[2] = {{fd, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        if (pollRetrying(watch, stopping ? 1 : 2, stopping ? 0 : kSliceMs) < 0) return false;
        if (watch[0].revents & (POLLIN | POLLHUP)) {
            ssize_t n = readRetrying(fd, buffer, static_cast<size_t>(size));
            if (n >= 0) {
                count = static_cast<int>(n);
                return true;
            }
            if (errno == EAGAIN) continue;
            return false;
        }
        if (watch[0].revents & (POLLERR | POLLNVAL)) return false;
        if (stopping) throwEndOfInput();
        // A slice ran out or shutDown woke us: look at the flag again.
    }
}

// 1: the descriptor can take a write (or will fail at once); 0: look at the flags again; -1: error.
int Pipe::waitWritable(int fd) {
    struct pollfd watch[2] = {{fd, POLLOUT, 0}, {wakeFd_, POLLIN, 0}};
    if (pollRetrying(watch, 2, kSliceMs) < 0) return -1;
    return watch[0].revents != 0 ? 1 : 0;
}

bool Pipe::write(const char* buffer, int size, int& count) {
    count = 0;
    if (size < 1) return true;
    if (!buffer) return false;

    std::lock_guard<std::mutex> hold(writeLock_);
    SigpipeGuard noSigpipe;
    while (count < size) {
        int fd = writeFd_;
        if (fd < 0 || shutDownRequested_ || writeClosing_) return false;
        int writable = waitWritable(fd);
        if (writable < 0) return false;
        if (writable == 0) continue;
        // Writable means room for at least PIPE_BUF bytes, and this is the only writer, so a
        // write of that size cannot block.
        size_t chunk = std::min<size_t>(static_cast<size_t>(size - count), PIPE_BUF);
        ssize_t n = ::write(fd, buffer + count, chunk);
        if (n > 0) {
            count += static_cast<int>(n);
            continue;
        }
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n < 0 && errno == EPIPE) noSigpipe.consume();
        return false;
    }
    return true;
}

void Pipe::closeWriteEnd() {
    writeClosing_ = true;
    std::lock_guard<std::mutex> hold(writeLock_);
    closeIfOpen(writeFd_);
}

void Pipe::shutDown() {
    shutDownRequested_ = true;
    std::uint64_t one = 1;
    ssize_t ignored = ::write(wakeFd_, &one, sizeof one);
    (void)ignored;
    // The reader and the writer leave their poll before these locks come free.
    std::lock_guard<std::mutex> reading(readLock_);
    std::lock_guard<std::mutex> writing(writeLock_);
    closeIfOpen(writeFd_);
    closeIfOpen(readFd_);
}

} // namespace Tavrin
