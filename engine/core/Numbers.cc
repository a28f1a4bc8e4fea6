// Strict parsing of numeric and boolean request arguments.
#include "Numbers.h"

#include <cerrno>
#include <cstdlib>

#include "EngineCommands.h"

namespace OrvexEngine {

std::int64_t parseInteger(const std::string& text, const char* what) {
    errno = 0;
    char* end = nullptr;
    long long value = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno == ERANGE || text[0] == ' ')
        throw EngineError(std::string("bad ") + what + " \"" + text + "\"");
    return value;
}

bool parseBoolean(const std::string& text, const char* what) {
    if (text == "1" || text == "on" || text == "true") return true;
    if (text == "0" || text == "off" || text == "false") return false;
    throw EngineError(std::string("bad ") + what + " \"" + text + "\" (expected 0 or 1)");
}

} // namespace OrvexEngine
