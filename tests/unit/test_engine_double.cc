// The engine script of the transcript host refuses a malformed line with its number, so that a
// mistyped .engine file fails its transcript instead of silently scripting nothing. (What the
// double does with well-formed scripts is proven by the transcripts and shell tests using it.)
#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>

#include "EngineDouble.h"

namespace {

std::string loadError(const std::string& script) {
    Tavrin::Test::EngineDouble engine;
    std::istringstream in(script);
    try {
        engine.loadScript(in);
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "no error";
}

} // namespace

TEST(EngineDoubleScript, MalformedLinesAreRejectedWithTheirLineNumber) {
    const char* bad[] = {
        "on rum event run-complete",               // unknown request
        "on run event",                            // event without a name
        "on run event breakpoint-hit line=twelve", // bad number
        "on run event breakpoint-hit colour=red",  // unknown field
        "on run event a then",                     // dangling then
        "on step explode",                         // unknown reaction
        "on run die \"unterminated",               // open quote
        "on run error",                            // missing message
        "value /top/clk",                          // missing value
        "time 10 parsecs",                         // wrong count
        "time 10parsecs",                          // bad unit
        "frobnicate",                              // unknown directive
    };
    for (const char* line : bad) {
        const std::string message = loadError(std::string("# ok\n\nvalue /a \"1 0\"\n") + line + "\n");
        EXPECT_NE(message.find("line 4:"), std::string::npos) << line << " -> " << message;
        EXPECT_NE(message.find(line), std::string::npos) << message;
    }
    const std::string overflow = loadError("on run event x time=99999999999999999999s\n");
    EXPECT_NE(overflow.find("line 1:"), std::string::npos) << overflow;
}
