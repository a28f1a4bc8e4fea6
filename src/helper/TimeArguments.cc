// Time arguments: reading user-typed times into femtoseconds, checking unit names and printing
// femtosecond counts in the largest unit that divides them exactly.
#include "tavrin/TclHelper.h"

#include <cctype>
#include <cstdio>

#include "helper/DecimalNumber.h"
#include "tavrin/TclExceptions.h"

namespace Tavrin {

const char* const TclHelper::precisionTable[] = {
    "1 fs", "10 fs", "100 fs", "1 ps", "10 ps", "100 ps", "1 ns", "10 ns",
    "100 ns", "1 us", "10 us", "100 us", "1 ms", "10 ms", "100 ms", "1 s"};

namespace {

struct TimeUnit {
    const char* name;
    double femtoseconds;
};

// Units match in any case ("Ns" is ns): a user who typed a unit meant it.
const TimeUnit timeUnits[] = {{"fs", 1.0},  {"ps", 1e3},  {"ns", 1e6},  {"us", 1e9},
                              {"ms", 1e12}, {"s", 1e15},  {"sec", 1e15}};

const TimeUnit* findTimeUnit(const std::string& unit) {
    std::string lower;
    for (char c : unit)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const TimeUnit& candidate : timeUnits)
        if (lower == candidate.name)
            return &candidate;
    return nullptr;
}

const char* const displayUnits[] = {"fs", "ps", "ns", "us", "ms", "s"};
constexpr int displayUnitCount = sizeof(displayUnits) / sizeof(displayUnits[0]);

// 2^63 as a double: the first count of femtoseconds that no longer fits a signed 64-bit time.
constexpr double firstOverflowingTime = 9223372036854775808.0;

bool isSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

std::string trimSpace(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isSpace(text[begin]))
        ++begin;
    while (end > begin && isSpace(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

// 10^exponent for a non-negative exponent; large exponents end at infinity, which the caller
// treats as an overflow.
double powerOfTen(int exponent) {
    double factor = 1.0;
    for (int i = 0; i < exponent && factor < firstOverflowingTime; ++i)
        factor *= 10.0;
    return factor;
}

} // namespace

std::string TclHelper::unknownTimeUnitMessage(const std::string& word) {
    return "Unknown time unit \"" + word + "\"; the units are fs, ps, ns, us, ms and s.";
}

bool TclHelper::isValidTimeUnit(const std::string& unit) { return findTimeUnit(unit) != nullptr; }

void TclHelper::extractValueAndUnitFromComposite(std::string& value, std::string& unit,
                                                 const char* input) {
    const std::string text = input ? input : "";
    const std::size_t split = text.find_first_not_of("0123456789.");
    if (split == std::string::npos) {
        value = text;
        unit.clear();
        return;
    }
    value = text.substr(0, split);
    std::size_t unitBegin = split;
    while (unitBegin < text.size() && isSpace(text[unitBegin]))
        ++unitBegin;
    unit = text.substr(unitBegin);
}

std::int64_t TclHelper::getCycles64FromUnitAndTime(const std::string& unit,
                                                   const std::string& value, int userUnit) {
    double amount = 0.0;
    if (!value.empty()) {
        if (!readDecimalNumber(value, amount))
            ORVEX_THROW(TclHelpException, "Time value " + value + " is incorrect");
        if (amount < 0.0)
            ORVEX_THROW(TclHelpException, "Negative time value " + value);
    }

    if (!unit.empty()) {
        const TimeUnit* known = findTimeUnit(unit);
        if (!known && !value.empty())
            ORVEX_THROW(TclHelpException, unknownTimeUnitMessage(unit));
        if (!known)
            return InvalidTime;
        amount *= known->femtoseconds;
    } else if (userUnit > -15) {
        amount *= powerOfTen(userUnit + 15);
    }

    // The negated test also rejects NaN.
    if (!(amount < firstOverflowingTime))
        return InvalidTime;
    return static_cast<std::int64_t>(amount);
}

int TclHelper::getTimeArgument(int objc, Tcl_Obj* const objv[], int& index, std::int64_t& time,
                               int userUnit) {
    if (!objv || index < 0 || index >= objc || !objv[index])
        return 1;
    std::string text = Tcl_GetString(objv[index]);
    ++index;

    trimQuotes(text);
    text = trimSpace(text);

    std::string value;
    std::string unit;
    double ignored = 0.0;
    if (readDecimalNumber(text, ignored))
        value = text;
    else
        extractValueAndUnitFromComposite(value, unit, text.c_str());

    // A bare number may be followed by its unit as a separate word; any other word is left for
    // the caller.
    if (unit.empty() && index < objc && objv[index]) {
        const char* next = Tcl_GetString(objv[index]);
        if (isValidTimeUnit(next)) {
            unit = next;
            ++index;
        }
    }

    const std::int64_t femtoseconds = getCycles64FromUnitAndTime(unit, value, userUnit);
    if (femtoseconds == InvalidTime)
        return 1;
    time = femtoseconds;
    return 0;
}

void TclHelper::cvtRawTimeToDisplayableTime(std::int64_t time, std::string& out) {
    int unit = 0;
    while (time / 1000 > 0 && time % 1000 == 0 && unit < displayUnitCount - 1) {
        time /= 1000;
        ++unit;
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%lld %s", static_cast<long long>(time), displayUnits[unit]);
    out = buffer;
}

} // namespace Tavrin
