// Line editing through libedit's readline interface. The editor reads keys through readKey, which
// waits on the terminal and on a wake pipe together: a byte in the pipe says why the launcher
// woke the editor (Ctrl-C or the end of the session). Ctrl-C is answered by feeding the editor
// "end of line" and "return" and throwing the finished line away; the end of the session makes
// the next key an end of input, so the editor puts the terminal back before it returns.
#include "LineEditConsole.h"

#include <editline/readline.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "HistoryFile.h"
#include "orvex/Exceptions.h"
#include "orvex/PosixIo.h"

namespace OrvexLauncher {

namespace {

LineEditConsole* activeConsole = nullptr;

constexpr char kInterrupt = 'i';
constexpr char kClose = 'c';
constexpr int kEndOfLineKey = 0x05; // Ctrl-E in the editor's emacs bindings

// Keys the editor is given before the terminal is read again.
std::string pendingKeys;

} // namespace

LineEditConsole::LineEditConsole(HistoryFile* history, Completer completer)
    : history_(history), completer_(std::move(completer)) {
    wakePipe_.open();
    activeConsole = this;
    rl_catch_signals = 0;
    rl_getc_function = readKey;
    rl_attempted_completion_function = complete;
    // The editor's own list less the backslash: an escaped name (lane\[0\]/unit) is one word.
    static char breaks[] = " \t\n\"'`@$><=;|&{(";
    rl_completer_word_break_characters = breaks;
    rl_basic_word_break_characters = breaks;
    using_history();
    if (history_ != nullptr)
        for (const std::string& line : history_->lines()) add_history(line.c_str());
}

LineEditConsole::~LineEditConsole() {
    close();
    activeConsole = nullptr;
}

void LineEditConsole::write(const Tavrin::StringBase& text) {
    std::lock_guard<std::mutex> hold(outputLock_);
    eraseStatusLocked();
    std::fwrite(text.c_str(), 1, text.length(), stdout);
    std::fflush(stdout);
    if (text.length() > 0) atLineStart_ = text.c_str()[text.length() - 1] == '\n';
}

void LineEditConsole::showStatus(const std::string& text) {
    std::lock_guard<std::mutex> hold(outputLock_);
    if (!statusShown_ && !atLineStart_) return; // the design is half way through a line
    winsize size{};
    std::size_t width = ::ioctl(1, TIOCGWINSZ, &size) == 0 && size.ws_col > 1 ? size.ws_col - 1u : 79u;
    // Never as wide as the terminal: a line that wraps could not be erased.
    std::string line = "\r" + text.substr(0, width) + "\x1b[K";
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
    statusShown_ = true;
}

void LineEditConsole::clearStatus() {
    std::lock_guard<std::mutex> hold(outputLock_);
    eraseStatusLocked();
}

void LineEditConsole::eraseStatusLocked() {
    if (!statusShown_) return;
    std::fputs("\r\x1b[K", stdout);
    std::fflush(stdout);
    statusShown_ = false;
}

void LineEditConsole::endInterruptedLine() {
    std::lock_guard<std::mutex> hold(outputLock_);
    if (statusShown_) {
        eraseStatusLocked(); // the ^C went with it
        return;
    }
    std::fputs("\n", stdout);
    std::fflush(stdout);
    atLineStart_ = true;
}

void LineEditConsole::writePrompt(const Tavrin::StringBase& text) {
    clearStatus();
    std::lock_guard<std::mutex> hold(lock_);
    prompt_ = text.str();
    promptPending_ = true;
    promptAsked_.notify_all();
}

Tavrin::StringBase LineEditConsole::readLine() {
    std::string prompt;
    {
        std::unique_lock<std::mutex> hold(lock_);
        promptAsked_.wait(hold, [this] { return promptPending_ || closed_; });
        if (closed_) {
            Orvex::EndOfInputException end("Orvex", __FILE__, ORVEX_REVISION, __LINE__);
            throw end;
        }
        promptPending_ = false;
        prompt = prompt_;
        editing_ = true;
    }
    for (;;) {
        char* line = readline(prompt.c_str());
        if (discardLine_.exchange(false)) {
            std::free(line);
            continue; // Ctrl-C: a fresh prompt, nothing for the shell
        }
        editing_ = false;
        {
            // The line ended with Enter (or is ended below): output starts on a fresh line.
            std::lock_guard<std::mutex> hold(outputLock_);
            atLineStart_ = true;
        }
        if (line == nullptr) {
            bool closing;
            {
                std::lock_guard<std::mutex> hold(lock_);
                closing = closed_;
            }
            // Ctrl-D ends the line the prompt stands on; a close from the launcher needs none.
            if (!closing) {
                std::fputs("\n", stdout);
                std::fflush(stdout);
            }
            Orvex::EndOfInputException end("Orvex", __FILE__, ORVEX_REVISION, __LINE__);
            throw end;
        }
        std::string text(line);
        std::free(line);
        if (text.find_first_not_of(" \t") != std::string::npos) {
            add_history(text.c_str());
            if (history_ != nullptr) history_->append(text);
        }
        return Tavrin::StringBase(text + "\n");
    }
}

void LineEditConsole::flush() { std::fflush(stdout); }

bool LineEditConsole::interruptEditing() {
    if (!editing_) return false;
    wakePipe_.post(kInterrupt);
    return true;
}

void LineEditConsole::close() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (closed_) return;
        closed_ = true;
        promptAsked_.notify_all();
    }
    wakePipe_.post(kClose);
}

int LineEditConsole::readKey(FILE* stream) {
    if (!pendingKeys.empty()) {
        int key = static_cast<unsigned char>(pendingKeys[0]);
        pendingKeys.erase(0, 1);
        if (key == '\n') {
            // The line is given up, as shells show it.
            std::fputs("^C", stdout);
            std::fflush(stdout);
        }
        return key;
    }
    LineEditConsole* self = activeConsole;
    int terminal = ::fileno(stream);
    for (;;) {
        pollfd fds[2] = {{terminal, POLLIN, 0}, {self ? self->wakePipe_.readDescriptor() : -1, POLLIN, 0}};
        if (Tavrin::pollRetrying(fds, 2, -1) < 0) return EOF;
        if (fds[1].revents & POLLIN) {
            const int reason = self->wakePipe_.take();
            if (reason >= 0) {
                if (reason == kClose) return EOF;
                if (reason == kInterrupt) {
                    self->discardLine_ = true;
                    pendingKeys = "\n";
                    return kEndOfLineKey;
                }
            }
            continue;
        }
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            unsigned char key = 0;
            ssize_t n = Tavrin::readRetrying(terminal, &key, 1);
            if (n == 1) return key;
            if (n < 0 && errno == EAGAIN) continue;
            return EOF;
        }
    }
}

char** LineEditConsole::complete(const char* text, int start, int) {
    rl_attempted_completion_over = 1;
    LineEditConsole* self = activeConsole;
    if (self == nullptr || !self->completer_) return nullptr;
    std::string line(rl_line_buffer != nullptr ? rl_line_buffer : "");
    if (start >= 0 && static_cast<std::size_t>(start) <= line.size()) line.resize(static_cast<std::size_t>(start));
    self->matches_ = self->completer_(line, text);
    if (self->matches_.empty()) return nullptr;
    // A scope or folder is completed without the trailing blank, so the next level can follow.
    rl_completion_append_character = ' ';
    if (self->matches_.size() == 1) {
        const std::string& only = self->matches_[0];
        if (!only.empty() && only.back() == '/') rl_completion_append_character = '\0';
    }
    return rl_completion_matches(text, nextMatch);
}

char* LineEditConsole::nextMatch(const char*, int state) {
    LineEditConsole* self = activeConsole;
    if (self == nullptr || state < 0 || static_cast<std::size_t>(state) >= self->matches_.size()) return nullptr;
    return ::strdup(self->matches_[static_cast<std::size_t>(state)].c_str());
}

} // namespace OrvexLauncher
