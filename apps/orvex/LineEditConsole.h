// The launcher's interactive console: line editing, completion and history on a terminal.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "orvex/Signals.h"
#include "tavrin/IConsole.h"

namespace OrvexLauncher {

class HistoryFile;

/// A host console for a terminal. A line is read only after the shell has asked for one with its
/// prompt, so the prompt always comes after the previous command's complete output and the
/// terminal is in its own modes whenever no line is being edited. The line editor's key reads go
/// through a wait that the launcher can wake: Ctrl-C discards the line being typed, and close()
/// ends the input at once.
class LineEditConsole : public Tavrin::IConsole {
public:
    using Completer = std::function<std::vector<std::string>(const std::string& line, const std::string& word)>;

    LineEditConsole(HistoryFile* history, Completer completer);
    ~LineEditConsole() override;
    LineEditConsole(const LineEditConsole&) = delete;
    LineEditConsole& operator=(const LineEditConsole&) = delete;

    void write(const Tavrin::StringBase& text) override;
    void writePrompt(const Tavrin::StringBase& text) override;
    Tavrin::StringBase readLine() override;
    void flush() override;

    /// Ctrl-C: true when a line was being edited (it is discarded and the prompt shown again);
    /// false when none was, so that a running command is the one to stop.
    bool interruptEditing();
    /// Whether the shell is waiting for a line (the prompt is up).
    bool isEditing() const { return editing_; }
    /// Ends the input: a readLine waiting or editing throws Orvex::EndOfInputException at once.
    void close();

    /// A status line (a run's progress) on the terminal's last line, replacing the one shown.
    /// Drawn only where a line starts, so it never splits a line of output; every write and the
    /// prompt erase it first, and the next status draws it again.
    void showStatus(const std::string& text);
    void clearStatus();
    /// After Ctrl-C was echoed: the stop line that follows starts on a line of its own (an
    /// erased status line leaves one).
    void endInterruptedLine();

private:
    static int readKey(FILE* stream);
    static char** complete(const char* text, int start, int end);
    static char* nextMatch(const char* text, int state);
    void eraseStatusLocked();

    HistoryFile* history_;
    Completer completer_;
    std::mutex lock_;
    std::condition_variable promptAsked_;
    bool promptPending_ = false;
    bool closed_ = false;
    std::string prompt_;
    std::atomic<bool> editing_{false};
    std::atomic<bool> discardLine_{false};
    Tavrin::NotePipe wakePipe_; // why the editor was woken: Ctrl-C or the end of the session
    std::vector<std::string> matches_;
    std::mutex outputLock_; // the terminal's output and the two fields below
    bool statusShown_ = false;
    bool atLineStart_ = true;
};

} // namespace OrvexLauncher
