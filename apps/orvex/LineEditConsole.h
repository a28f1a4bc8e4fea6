// The launcher's interactive console: line editing and history on a terminal.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>

#include "tavrin/IConsole.h"

namespace OrvexLauncher {

/// A host console for a terminal: lines are read with line editing and history, and the shell's
/// prompt becomes the editing prompt. The shell asks for a prompt before each line; readLine waits
/// briefly for it so the prompt is shown by the line editor rather than printed separately.
class LineEditConsole : public Tavrin::IConsole {
public:
    LineEditConsole();
    ~LineEditConsole() override;
    void write(const Tavrin::StringBase& text) override;
    void writePrompt(const Tavrin::StringBase& text) override;
    Tavrin::StringBase readLine() override;
    void flush() override;

private:
    std::mutex lock_;
    std::condition_variable promptAsked_;
    bool promptPending_ = false;
    std::string prompt_;
};

} // namespace OrvexLauncher
