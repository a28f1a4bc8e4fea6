// Line editing through libedit's readline interface.
#include "LineEditConsole.h"

#include <editline/readline.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "orvex/Exceptions.h"

namespace OrvexLauncher {

LineEditConsole::LineEditConsole() { using_history(); }

LineEditConsole::~LineEditConsole() = default;

void LineEditConsole::write(const Tavrin::StringBase& text) {
    std::fwrite(text.c_str(), 1, text.length(), stdout);
    std::fflush(stdout);
}

void LineEditConsole::writePrompt(const Tavrin::StringBase& text) {
    std::lock_guard<std::mutex> hold(lock_);
    prompt_ = text.str();
    promptPending_ = true;
    promptAsked_.notify_all();
}

Tavrin::StringBase LineEditConsole::readLine() {
    std::string prompt;
    {
        // Continuation lines of a command get no prompt from the shell: do not wait long.
        std::unique_lock<std::mutex> hold(lock_);
        promptAsked_.wait_for(hold, std::chrono::milliseconds(300), [this] { return promptPending_; });
        if (promptPending_) prompt = prompt_;
        promptPending_ = false;
    }
    char* line = readline(prompt.c_str());
    if (line == nullptr) {
        std::fputs("\n", stdout);
        std::fflush(stdout);
        Orvex::EndOfInputException end("Orvex", __FILE__, ORVEX_REVISION, __LINE__);
        throw end;
    }
    std::string text(line);
    std::free(line);
    if (!text.empty()) add_history(text.c_str());
    return Tavrin::StringBase(text + "\n");
}

void LineEditConsole::flush() { std::fflush(stdout); }

} // namespace OrvexLauncher
