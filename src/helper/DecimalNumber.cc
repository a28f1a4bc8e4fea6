// Locale-independent decimal conversion: strtod under a private "C" locale, so a host that
// switches LC_NUMERIC to a comma locale does not change how "0.5" is read.
#include "helper/DecimalNumber.h"

#include <clocale>
#include <cstdlib>

#ifndef _WIN32
#include <locale.h>
#include <stdlib.h>
#endif

namespace Tavrin {
namespace {

#ifdef _WIN32
double strtodClassic(const char* text, char** end) {
    static const _locale_t classic = _create_locale(LC_NUMERIC, "C");
    return _strtod_l(text, end, classic);
}
#else
double strtodClassic(const char* text, char** end) {
    static const locale_t classic = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0));
    return strtod_l(text, end, classic);
}
#endif

// strtod also reads white space, hexadecimal numbers, inf and nan; none of them is a time value,
// so only the characters of a plain decimal number are let through.
bool hasOnlyDecimalCharacters(const std::string& text) {
    return text.find_first_not_of("0123456789.eE+-") == std::string::npos;
}

} // namespace

bool readDecimalNumber(const std::string& text, double& value) {
    if (text.empty() || !hasOnlyDecimalCharacters(text))
        return false;
    char* end = nullptr;
    const double converted = strtodClassic(text.c_str(), &end);
    if (end != text.c_str() + text.size())
        return false;
    value = converted; // out of range: +-HUGE_VAL (infinity) or a value rounded toward zero
    return true;
}

} // namespace Tavrin
