// A one-way in-process byte pipe whose read can be unblocked by a shut-down.
#pragma once

#include <atomic>
#include <mutex>
#include <string>

namespace Tavrin {

/// An anonymous POSIX pipe. `read` waits in slices of 2000 ms so that a `shutDown` from another
/// thread is noticed: a waiting read then throws Orvex::EndOfInputException. The label
/// "Orvex-<pid>-<n>" numbers the pipes of a process from 1.
class Pipe {
public:
    Pipe();
    ~Pipe();
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    /// Reads at most `size` bytes into `buffer`; false when the read fails.
    bool read(char* buffer, int size, int& count);
    /// Writes all `size` bytes in one blocking write; a size below 1 writes nothing.
    bool write(const char* buffer, int size, int& count);
    /// Ends the pipe: closes both ends; a waiting read leaves within about 2 seconds.
    void shutDown();
    int getReadDescriptor() const { return readFd_; }
    int getWriteDescriptor() const { return writeFd_; }
    const std::string& getName() const { return name_; }

    /// The number of the last pipe named in this process.
    static int m_nextPipeId;

private:
    std::mutex readLock_;
    std::mutex writeLock_;
    int readFd_ = -1;
    int writeFd_ = -1;
    std::atomic<bool> shutDownRequested_{false};
    std::string name_;
};

} // namespace Tavrin
