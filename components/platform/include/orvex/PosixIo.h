// The loops every reader and writer of a descriptor needs around read, write, poll and waitpid:
// taking a signal's interruption (EINTR) as "try again", and a short write as "write the rest".
// Header-only, so that the engine, a module loaded into vvp that links no library of ours, uses
// the same loops.
#pragma once

#include <poll.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <string>

namespace Tavrin {

/// read(2), tried again while a signal interrupts it.
inline ssize_t readRetrying(int fd, void* buffer, std::size_t size) {
    ssize_t n;
    while ((n = ::read(fd, buffer, size)) < 0 && errno == EINTR) {
    }
    return n;
}

/// Reads `fd` to its end, handing every chunk to `take(const char*, std::size_t)`. True at the
/// end of the data, false on a read error (errno says which).
template <typename Take>
bool readToEnd(int fd, Take take) {
    char buffer[65536];
    for (;;) {
        const ssize_t n = readRetrying(fd, buffer, sizeof buffer);
        if (n == 0) return true;
        if (n < 0) return false;
        take(static_cast<const char*>(buffer), static_cast<std::size_t>(n));
    }
}

/// Reads `fd` to its end and appends what it held to `text`.
inline bool readToEnd(int fd, std::string& text) {
    return readToEnd(fd, [&text](const char* data, std::size_t size) { text.append(data, size); });
}

/// Writes all `size` bytes to a blocking descriptor. False when a write fails (errno says why),
/// or writes nothing (errno is 0 then).
inline bool writeAll(int fd, const void* data, std::size_t size) {
    const char* next = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, next, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = 0;
            return false;
        }
        next += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

inline bool writeAll(int fd, const std::string& text) { return writeAll(fd, text.data(), text.size()); }

/// poll(2) that a signal does not cut short: an interrupted wait goes on for the time left of
/// `timeoutMs` (a negative timeout waits for ever). Returns what poll returns; -1 only for a
/// real error.
inline int pollRetrying(pollfd* fds, nfds_t count, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    int wait = timeoutMs;
    for (;;) {
        const int ready = ::poll(fds, count, wait);
        if (ready >= 0 || errno != EINTR) return ready;
        if (timeoutMs < 0) continue;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        wait = left.count() > 0 ? static_cast<int>(left.count()) : 0;
    }
}

/// Waits until the child `pid` has ended and returns its wait status; -1 when there is no such
/// child to wait for.
inline int waitForExit(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return status;
}

/// The exit status a shell reports for a wait status: the program's own, or 128 + the signal
/// that ended it.
inline int shellStatus(int waitStatus) {
    return WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : 128 + WTERMSIG(waitStatus);
}

} // namespace Tavrin
