// Time arguments: reading times typed as one or two Tcl words into femtoseconds, and printing
// femtosecond counts in the largest exact unit.
#include <gtest/gtest.h>

#include <clocale>
#include <initializer_list>
#include <string>
#include <vector>

#include "tavrin/TclExceptions.h"
#include "tavrin/TclHelper.h"

#include "TclWords.h"

using namespace Tavrin;

namespace {

using Words = Test::TclWords;

constexpr std::int64_t untouched = -42;

// Reads a time from the first word; `used` receives how many words were consumed.
int readTime(const Words& words, std::int64_t& time, int& used, int userUnit = -15) {
    time = untouched;
    used = 0;
    return TclHelper::getTimeArgument(words.count(), words.objv(), used, time, userUnit);
}

std::int64_t timeOf(std::initializer_list<const char*> list, int userUnit = -15) {
    Words words(list);
    std::int64_t time = untouched;
    int used = 0;
    EXPECT_EQ(readTime(words, time, used, userUnit), 0);
    return time;
}

std::string description(const Words& words, int userUnit = -15) {
    std::int64_t time = untouched;
    int used = 0;
    try {
        readTime(words, time, used, userUnit);
    } catch (const TclHelpException& e) {
        EXPECT_EQ(time, untouched);
        return e.getDescription();
    }
    return "(no exception)";
}

} // namespace

TEST(TimeArguments, NumberAloneIsInUserUnits) {
    EXPECT_EQ(timeOf({"100"}, -9), 100000000LL); // 100 ns
    EXPECT_EQ(timeOf({"100"}, -6), 100000000000LL); // 100 us
    EXPECT_EQ(timeOf({"100"}, -15), 100);
    EXPECT_EQ(timeOf({"100"}, -20), 100); // at or below 1 fs the value is femtoseconds
    EXPECT_EQ(timeOf({"1e3"}, -12), 1000000); // a complete number in exponent form
}

TEST(TimeArguments, UnitWordIsConsumedOnlyWhenValid) {
    Words withUnit{"100", "ps", "extra"};
    std::int64_t time;
    int used;
    ASSERT_EQ(readTime(withUnit, time, used, -9), 0);
    EXPECT_EQ(time, 100000);
    EXPECT_EQ(used, 2);

    Words withOther{"100", "foo"};
    ASSERT_EQ(readTime(withOther, time, used, -9), 0);
    EXPECT_EQ(time, 100000000LL);
    EXPECT_EQ(used, 1);

    Words composite{"5ns", "ps"}; // the composite has its unit: the next word stays
    ASSERT_EQ(readTime(composite, time, used), 0);
    EXPECT_EQ(time, 5000000);
    EXPECT_EQ(used, 1);
}

TEST(TimeArguments, CompositeAndQuotedForms) {
    EXPECT_EQ(timeOf({"0.5ns"}), 500000);
    EXPECT_EQ(timeOf({"10 us"}), 10000000000LL);
    EXPECT_EQ(timeOf({"\"10 us\""}), 10000000000LL);
    EXPECT_EQ(timeOf({"'  7 ps  '"}), 7000);
    EXPECT_EQ(timeOf({"1.9999", "fs"}), 1); // truncated toward zero
    EXPECT_EQ(timeOf({"ns"}), 0);
    EXPECT_EQ(timeOf({"2", "SEC"}), 2000000000000000LL);
}

TEST(TimeArguments, NotATimeReturnsOneAndLeavesTimeAlone) {
    for (const char* text : {"-5ns", "'", "\"", "nan", "inf", "\"5ns'"}) {
        Words words{text};
        std::int64_t time;
        int used;
        EXPECT_EQ(readTime(words, time, used), 1) << text;
        EXPECT_EQ(time, untouched) << text;
    }
    Words words{"run"};
    std::int64_t time = untouched;
    for (int index : {1, -1}) // past the end, before the start
        EXPECT_EQ(TclHelper::getTimeArgument(words.count(), words.objv(), index, time, -15), 1);
    int index = 0;
    EXPECT_EQ(TclHelper::getTimeArgument(1, nullptr, index, time, -15), 1);
    EXPECT_EQ(time, untouched);
}

TEST(TimeArguments, MalformedAndNegativeValuesThrow) {
    EXPECT_EQ(description(Words{"-5"}), "Negative time value -5");
    EXPECT_EQ(description(Words{"1.2.3ns"}), "Time value 1.2.3 is incorrect");
    EXPECT_EQ(description(Words{"1.2.3", "ns"}), "Time value 1.2.3 is incorrect");
    EXPECT_THROW(TclHelper::getCycles64FromUnitAndTime("ns", "-0.1", -15), CommandErrorException);
    EXPECT_EQ(TclHelper::getCycles64FromUnitAndTime("ns", "-0", -15), 0);
}

TEST(TimeArguments, TimesFrom2To63FemtosecondsOverflow) {
    EXPECT_EQ(timeOf({"9223", "s"}), 9223000000000000000LL);
    std::int64_t time;
    int used;
    EXPECT_EQ(readTime(Words{"9224", "s"}, time, used), 1);
    EXPECT_EQ(readTime(Words{"9223372036854775808"}, time, used), 1);
    EXPECT_EQ(readTime(Words{"1"}, time, used, 1000000), 1); // absurd user unit
    const std::string hugeNumber = "1" + std::string(400, '0'); // beyond double range
    EXPECT_EQ(readTime(Words{hugeNumber.c_str()}, time, used), 1);
    EXPECT_EQ(TclHelper::getCycles64FromUnitAndTime("fs", "1e999", -15), TclHelper::InvalidTime);
    EXPECT_EQ(TclHelper::getCycles64FromUnitAndTime("fs", "1e-999", -15), 0);
}

TEST(TimeArguments, DecimalPointDoesNotDependOnLocale) {
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    const char* commaLocale = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "de_DE"})
        if (std::setlocale(LC_NUMERIC, name)) {
            commaLocale = name;
            break;
        }
    if (!commaLocale)
        GTEST_SKIP() << "no locale with a decimal comma installed";
    const std::int64_t time = timeOf({"0.5ns"});
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(time, 500000);
}

TEST(TimeUnits, AnyCaseIsAUnit) {
    for (const char* unit : {"fs", "FS", "ps", "PS", "ns", "NS", "Ns", "us", "US", "ms", "MS", "s",
                             "S", "sec", "SEC", "Sec", "sEC"})
        EXPECT_TRUE(TclHelper::isValidTimeUnit(unit)) << unit;
    for (const char* unit : {"", " ns", "min", "fs ", "nss"})
        EXPECT_FALSE(TclHelper::isValidTimeUnit(unit)) << unit;
    EXPECT_EQ(timeOf({"10Ns"}), 10000000);
    EXPECT_EQ(timeOf({"10", "Ns"}), 10000000);
}

TEST(TimeArguments, ANumberJoinedToAWordThatIsNoUnitNamesIt) {
    for (const char* text : {"5xs", "1e3ns", "0x10"})
        EXPECT_NE(description(Words{text}).find("Unknown time unit"), std::string::npos) << text;
    EXPECT_EQ(description(Words{"5xs"}), "Unknown time unit \"xs\"; the units are fs, ps, ns, us, ms and s.");
}

TEST(TimeUnits, CompositeSplitsAtFirstNonDigit) {
    struct Case {
        const char* input;
        const char* value;
        const char* unit;
    };
    for (const Case& c : {Case{"100 \t ns", "100", "ns"}, Case{"-5ns", "", "-5ns"},
                          Case{"2.5", "2.5", ""}, Case{"1e3ns", "1", "e3ns"}}) {
        std::string value = "x", unit = "x";
        TclHelper::extractValueAndUnitFromComposite(value, unit, c.input);
        EXPECT_EQ(value, c.value) << c.input;
        EXPECT_EQ(unit, c.unit) << c.input;
    }
    std::string value = "x", unit = "x";
    TclHelper::extractValueAndUnitFromComposite(value, unit, nullptr);
    EXPECT_EQ(value, "");
    EXPECT_EQ(unit, "");
}

TEST(TimeDisplay, LargestUnitThatDividesExactly) {
    struct Case {
        std::int64_t time;
        const char* text;
    };
    for (const Case& c : {Case{0, "0 fs"}, Case{1000, "1 ps"}, Case{1500, "1500 fs"},
                          Case{2000000, "2 ns"}, Case{1000000000000000000LL, "1000 s"},
                          Case{-1000, "-1000 fs"}, Case{INT64_MAX, "9223372036854775807 fs"},
                          Case{3000000000LL, "3 us"}}) {
        std::string text;
        TclHelper::cvtRawTimeToDisplayableTime(c.time, text);
        EXPECT_EQ(text, c.text) << c.time;
    }
}
