// Text forms of typed values: stripping one pair of quotes, and comparing a Verilog bit printed
// with a drive strength ("st1") with the plain bit ("1").
#include "tavrin/TclHelper.h"

namespace Tavrin {

namespace {

// Two lower-case letters each: supply, strong, pull, large, weak, medium, small, high impedance.
const char* const strengthPrefixes[] = {"su", "st", "pu", "la", "we", "me", "sm", "hi"};

bool isStrengthPrefix(const std::string& text) {
    for (const char* prefix : strengthPrefixes)
        if (text.compare(0, 2, prefix) == 0)
            return true;
    return false;
}

} // namespace

void TclHelper::trimQuotes(std::string& text) {
    // A lone quote character is left as it is: it is not a quoted text.
    if (text.size() < 2)
        return;
    const char first = text.front();
    if ((first == '"' || first == '\'') && text.back() == first)
        text = text.substr(1, text.size() - 2);
}

bool TclHelper::compareVerilogValuesBasedOnStrength(const std::string& a, const std::string& b) {
    const std::string* withStrength = nullptr;
    const std::string* plain = nullptr;
    if (a.size() == 3 && b.size() == 1) {
        withStrength = &a;
        plain = &b;
    } else if (a.size() == 1 && b.size() == 3) {
        withStrength = &b;
        plain = &a;
    } else {
        return false;
    }
    return isStrengthPrefix(*withStrength) && (*withStrength)[2] == (*plain)[0];
}

} // namespace Tavrin
