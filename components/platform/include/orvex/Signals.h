// Signal dispositions and masks as the launcher and every starter of a child process set them.
// The calls marked async-signal-safe may be made between fork and exec in a threaded process
// and in a signal handler.
#pragma once

#include <signal.h>

#include <initializer_list>

namespace Tavrin {

/// The set holding just these signals.
sigset_t signalSet(std::initializer_list<int> signals);

/// Runs `handler` for `signal`, with interrupted system calls restarted where the system can.
void catchSignal(int signal, void (*handler)(int));

/// In a child about to exec: nothing blocked and SIGPIPE at its default, whatever the parent's
/// threads had set, since masks and ignored signals survive exec. Async-signal-safe.
void resetSignalsForExec();

/// Ends the process as `signal` would end it by its default action (a core-dumping default is
/// not asked for: SIGQUIT ends with status 128 + 3 and no core file).
[[noreturn]] void endAsBySignal(int signal);

/// A pipe whose write end takes one-byte notes from any thread or a signal handler, and whose
/// read end a poll loop watches: how a thread waiting in poll is woken and told why. Both ends
/// are non-blocking and close on exec.
class NotePipe {
public:
    NotePipe() = default;
    ~NotePipe();
    NotePipe(const NotePipe&) = delete;
    NotePipe& operator=(const NotePipe&) = delete;

    /// Creates the pipe; false (and nothing open) when the system refuses.
    bool open();
    bool isOpen() const { return ends_[0] >= 0; }
    /// The descriptor to poll for POLLIN; -1 when not open (poll then ignores the entry).
    int readDescriptor() const { return ends_[0]; }
    /// Leaves a note; a full pipe or one never opened drops it. Async-signal-safe, keeps errno.
    void post(char note) const;
    /// The next note, or -1 when none is waiting.
    int take() const;

private:
    int ends_[2] = {-1, -1};
};

} // namespace Tavrin
