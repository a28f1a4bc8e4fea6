// Value texts and condition expressions of the engine, without a simulator.
#include <gtest/gtest.h>

#include <map>

#include "ConditionExpression.h"
#include "EngineCommands.h"
#include "ValueText.h"

using namespace OrvexEngine;

TEST(ValueText, FormatsUnknownDigitsAndSignedness) {
    EXPECT_EQ(formatBits("0000101x", Radix::Hex), "0X");
    EXPECT_EQ(formatBits("xxxxzzzz", Radix::Hex), "xz");
    EXPECT_EQ(formatBits("11111111", Radix::Dec), "-1");
    EXPECT_EQ(formatBits("11111111", Radix::Unsigned), "255");
    EXPECT_EQ(formatBits("1x", Radix::Dec), "x");
    EXPECT_EQ(formatBits("zz", Radix::Unsigned), "z");
    EXPECT_EQ(formatBits("100", Radix::Oct), "4");
    EXPECT_EQ(formatBits("0000000001000001", Radix::Ascii), "A");
    // Wider than 64 bits: 2^70.
    EXPECT_EQ(formatBits("1" + std::string(70, '0'), Radix::Unsigned), "1180591620717411303424");
}

TEST(ValueText, ParsesEveryRadixToTheWidth) {
    EXPECT_EQ(parseValue("a", Radix::Hex, 8), "00001010");
    EXPECT_EQ(parseValue("-2", Radix::Dec, 4), "1110");
    EXPECT_EQ(parseValue("300", Radix::Unsigned, 8), "00101100"); // upper bits dropped
    EXPECT_EQ(parseValue("x1", Radix::Bin, 4), "xxx1");
    EXPECT_EQ(parseValue("4'b1010", Radix::Default, 8), "00001010");
    EXPECT_EQ(parseValue("'h1f", Radix::Default, 8), "00011111");
    EXPECT_EQ(parseValue("AB", Radix::Ascii, 16), "0100000101000010");
    EXPECT_THROW(parseValue("12", Radix::Bin, 4), EngineError);
    EXPECT_THROW(parseValue("g", Radix::Hex, 4), EngineError);
    EXPECT_THROW(parseValue("", Radix::Dec, 4), EngineError);
    EXPECT_THROW(parseRadix("roman"), EngineError);
}

TEST(ValueText, RoundTripsDecimalAcrossWidths) {
    for (const char* text : {"0", "1", "-1", "127", "-128", "99999999999999999999"}) {
        std::string bits = parseValue(text, Radix::Dec, 72);
        EXPECT_EQ(formatBits(bits, Radix::Dec), text);
    }
}

namespace {
bool holds(const std::string& text, const std::map<std::string, std::string>& bits, Radix radix = Radix::Default) {
    ConditionExpression e(text, radix);
    return e.evaluate([&](const std::string& path) { return bits.at(path); });
}
} // namespace

TEST(ConditionExpression, EvaluatesComparisonsAndLogic) {
    std::map<std::string, std::string> v{{"/t/a", "00001100"}, {"/t/b", "1"}, {"/t/c", "0x"}};
    EXPECT_TRUE(holds("/t/a == 12", v));
    EXPECT_TRUE(holds("/t/a == 4'b1100", v));
    EXPECT_TRUE(holds("/t/a == c", v, Radix::Hex));
    EXPECT_TRUE(holds("(/t/a != 3) && /t/b", v));
    EXPECT_FALSE(holds("!/t/b || /t/a == 0", v));
    // An unknown bit makes a comparison false either way.
    EXPECT_FALSE(holds("/t/c == 0", v));
    EXPECT_FALSE(holds("/t/c != 0", v));
    ConditionExpression e("/t/a == 1 || /t/b || /t/a", Radix::Dec);
    EXPECT_EQ(e.signals(), (std::vector<std::string>{"/t/a", "/t/b"}));
}

TEST(ConditionExpression, NamesTheBadToken) {
    auto message = [](const std::string& text) {
        try {
            ConditionExpression e(text, Radix::Dec);
        } catch (const EngineError& err) {
            return std::string(err.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(message("/t/a == == 1"), "bad token \"==\" in condition");
    EXPECT_EQ(message("/t/a = 1"), "bad token \"=\" in condition");
    EXPECT_EQ(message("/t/a == 1q"), "bad token \"1q\" in condition");
    EXPECT_EQ(message("(/t/a == 1"), "missing \")\" in condition");
    EXPECT_EQ(message("/t/a 1"), "bad token \"1\" in condition");
    EXPECT_EQ(message(""), "empty condition");
    EXPECT_EQ(stripOuterQuotes("\"/t/a == 1\""), "/t/a == 1");
    EXPECT_EQ(stripOuterQuotes("{/t/a}"), "/t/a");
}
