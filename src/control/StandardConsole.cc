// The console of controls made without a host console: standard output.
#include "tavrin/IConsole.h"

#include <cstdio>

namespace Tavrin {

void StandardConsole::write(const StringBase& text) {
    std::fwrite(text.c_str(), 1, text.length(), stdout);
    std::fflush(stdout);
}

void StandardConsole::writePrompt(const StringBase& text) { write(text); }

StringBase StandardConsole::readLine() { return StringBase(); }

void StandardConsole::flush() {}

StandardConsole& StandardConsole::instance() {
    static StandardConsole console;
    return console;
}

} // namespace Tavrin
