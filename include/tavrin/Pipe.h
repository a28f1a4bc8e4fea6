// A one-way in-process byte pipe whose read can be unblocked by a shut-down.
#pragma once

#include <atomic>
#include <mutex>
#include <string>

namespace Tavrin {

/// An anonymous POSIX pipe. `read` waits in slices of 2000 ms, and is also woken at once by
/// `shutDown` from another thread: a waiting read then throws Orvex::EndOfInputException. The label
/// "Orvex-<pid>-<n>" numbers the pipes of a process from 1. Writing never raises SIGPIPE.
class Pipe {
public:
    /// Creates both ends; throws Orvex::IOException when the system refuses.
    Pipe();
    /// Shuts the pipe down if that has not been done. No other thread may still be using it.
    ~Pipe();
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    /// Reads at most `size` bytes into `buffer`. True with `count` 0 means end of input: the write
    /// end was closed and everything written has been read. False when the read fails. Throws
    /// Orvex::EndOfInputException once the pipe is shut down and holds nothing more to read.
    bool read(char* buffer, int size, int& count);
    /// Writes all `size` bytes, waiting while the pipe is full; `count` receives the number
    /// written. A size below 1 writes nothing and returns true. False when the write end is
    /// closed, the pipe is shut down, or nobody can read any more.
    bool write(const char* buffer, int size, int& count);
    /// Closes the write end only: the reader sees end of input once it has read what is left.
    void closeWriteEnd();
    /// Ends the pipe and closes both ends; a waiting read or write leaves at once. May be called
    /// from any thread, and more than once.
    void shutDown();
    /// The read end's descriptor; -1 once shut down.
    int getReadDescriptor() const { return readFd_; }
    /// The write end's descriptor; -1 once closed or shut down.
    int getWriteDescriptor() const { return writeFd_; }
    const std::string& getName() const { return name_; }

    /// The number of the last pipe named in this process.
    static int m_nextPipeId;

private:
    int waitWritable(int fd);

    std::mutex readLock_;
    std::mutex writeLock_;
    std::atomic<int> readFd_{-1};
    std::atomic<int> writeFd_{-1};
    // Made readable by shutDown, so a reader or writer waiting in poll leaves at once.
    int wakeFd_ = -1;
    std::atomic<bool> shutDownRequested_{false};
    std::atomic<bool> writeClosing_{false};
    std::string name_;
};

} // namespace Tavrin
