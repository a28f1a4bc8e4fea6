// The host's console as the shell sees it.
#pragma once

#include "orvex/StringBase.h"

namespace Tavrin {

/// A console supplied by the host: text out (no line end added), the prompt, and line input.
/// `readLine` returns one line with its line end and throws Orvex::EndOfInputException at the
/// end of input.
class IConsole {
public:
    virtual void write(const StringBase& text) = 0;
    virtual void writePrompt(const StringBase& text) = 0;
    virtual StringBase readLine() = 0;
    virtual void flush() = 0;
    virtual ~IConsole() = default;
};

/// The console of every control made without one: standard output, flushed after each write.
class StandardConsole : public IConsole {
public:
    void write(const StringBase& text) override;
    void writePrompt(const StringBase& text) override;
    StringBase readLine() override;
    void flush() override;

    /// The one standard console of the library; compared by address to detect console mode.
    static StandardConsole& instance();
};

} // namespace Tavrin
