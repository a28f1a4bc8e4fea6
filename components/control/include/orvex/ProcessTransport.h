// The engine process transport: starts the engine process, writes protocol requests to it, reads
// its protocol records and the design's own output, and ends it.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "orvex/StringBase.h"

namespace Tavrin {

/// Receives what the transport reads from the engine. Every call but the first two below comes
/// on the transport's reader thread or on a thread inside `readHere`, one at a time and in the
/// order read; `transportStarted`,
/// and `transportEnded` for an engine that could not be started, come on the thread that called
/// `start`. A listener must not call back into the transport's `setListener`.
class IProcessTransportListener {
public:
    virtual ~IProcessTransportListener() = default;
    /// A new engine process is being started.
    virtual void transportStarted() = 0;
    /// One line from the engine's record descriptor, without its line end.
    virtual void recordReceived(const std::string& line) = 0;
    /// A chunk of the design's standard output or standard error, as read.
    virtual void outputReceived(const std::string& text) = 0;
    /// The engine process has ended (and been reaped) or could not be started; the description
    /// is one line, such as "Simulation engine exited with status 139 (signal 11)\n".
    virtual void transportEnded(const std::string& description) = 0;
    /// Part of a long record line has arrived (its end has not): the engine is answering.
    virtual void recordUnderway() {}
};

/// Runs the engine as a child process in a process group of its own: protocol requests go to its
/// descriptor 3 and records come from its descriptor 4 (named in ORVEX_ENGINE_FDS=3,4), its
/// standard output and error are read as design output, and its standard input is /dev/null.
class BoostProcessTransport {
public:
    BoostProcessTransport();
    /// Kills a still running engine's process group, reaps it and joins the reader thread.
    ~BoostProcessTransport();
    BoostProcessTransport(const BoostProcessTransport&) = delete;
    BoostProcessTransport& operator=(const BoostProcessTransport&) = delete;

    /// Sets who receives what is read (null: nobody). Returns once no call to the previous
    /// listener is in progress.
    void setListener(IProcessTransportListener* listener);

    /// Starts the engine. The command line is split into words as the data library splits
    /// command lines, with double quotes removed from the words; the first word is the program,
    /// looked up in PATH when it has no '/'. A program that cannot be run (or an empty command
    /// line) is reported to the listener as the end of the engine, with a description naming the
    /// program; `start` itself only throws CommandErrorException when an engine is already
    /// running.
    void start(const StringBase& commandLine);

    /// Writes one request line (the line end is added). False when the engine is not running or
    /// the line could not be written within `timeout` (an engine that does not read).
    bool send(const std::string& line, std::chrono::milliseconds timeout);

    /// Waits on the calling thread, at most until `deadline`, for anything from the engine and
    /// reads and delivers it to the listener itself, as the reader thread would (a requester that
    /// reads its own answer saves a thread wake-up). False when the caller cannot read now:
    /// another thread is reading, a pipe has ended, or no engine runs; the reader thread then
    /// delivers what comes. The listener must not be locked by the caller.
    bool readHere(std::chrono::steady_clock::time_point deadline);

    /// Kills the engine's whole process group (SIGKILL); the reader thread reaps it and reports
    /// the end. Does nothing when no engine runs.
    void terminate();
    /// Waits up to `timeout` until a started engine has ended and been reported; true when no
    /// engine runs (any more).
    bool waitEnded(std::chrono::milliseconds timeout);
    bool isRunning() const;
    /// The engine's process id (also its process group id), or -1 when none was started.
    int getProcessId() const;

    /// When on, every line sent is copied to standard error as ">> line" and every record line
    /// received as "<< line".
    void setTrace(bool on);
    bool getTrace() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace Tavrin
