// Value texts and condition expressions of the engine, without a simulator.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "ConditionExpression.h"
#include "DecimalText.h"
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
    for (const char* text : {"0", "1", "-1", "127", "-128", "99999999999999999999", "-99999999999999999999"}) {
        std::string bits = parseValue(text, Radix::Dec, 72);
        EXPECT_EQ(formatBits(bits, Radix::Dec), text);
    }
}

namespace {
// The digit-by-digit conversion, slow but plainly right, as the reference.
std::string slowDecimal(const std::string& bits) {
    std::vector<int> digits{0};
    for (char c : bits) {
        int carry = c == '1';
        for (int& d : digits) {
            const int v = d * 2 + carry;
            d = v % 10;
            carry = v / 10;
        }
        if (carry) digits.push_back(carry);
    }
    std::string out;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) out += static_cast<char>('0' + *it);
    return out;
}
} // namespace

TEST(DecimalText, AgreesWithTheDigitByDigitConversionAcrossWordEdges) {
    std::mt19937 random(7);
    for (std::size_t width : {1u, 63u, 64u, 65u, 127u, 128u, 129u, 1000u, 4099u}) {
        std::string bits(width, '0');
        for (char& c : bits) c = random() & 1 ? '1' : '0';
        bits[0] = '1';
        const std::string text = DecimalText::fromBits(bits);
        EXPECT_EQ(text, slowDecimal(bits)) << width;
        std::string back;
        ASSERT_TRUE(DecimalText::toBits(text, back));
        EXPECT_EQ(back, bits) << width;
    }
    std::string bits;
    EXPECT_TRUE(DecimalText::toBits("0_0", bits));
    EXPECT_EQ(bits, "0");
    EXPECT_EQ(DecimalText::fromBits(std::string(200, '0')), "0");
    EXPECT_FALSE(DecimalText::toBits("1_2a", bits));
    EXPECT_FALSE(DecimalText::toBits("__", bits));
}

namespace {
// Constants are read as the condition's radix would read them for an 8-bit signal.
ConditionExpression::ConstantReader readAs(Radix radix) {
    return [radix](const std::string&, const std::string& constant) {
        std::string bits;
        return parseBasedLiteral(constant, bits) ? parseValue(constant, Radix::Default, 8) : parseValue(constant, radix, 8);
    };
}

bool holds(const std::string& text, const std::map<std::string, std::string>& bits, Radix radix = Radix::Dec) {
    ConditionExpression e(text, readAs(radix));
    return e.evaluate([&](const std::string& path) { return bits.at(path); });
}
} // namespace

TEST(ConditionExpression, EvaluatesComparisonsAndLogic) {
    std::map<std::string, std::string> v{{"/t/a", "00001100"}, {"b", "1"}, {"c", "0x"}, {"bus(3:0)", "1100"}};
    EXPECT_TRUE(holds("/t/a == 12", v));
    EXPECT_TRUE(holds("/t/a == 4'b1100", v));
    EXPECT_TRUE(holds("/t/a == c", v, Radix::Hex)); // the right side is a constant, never a name
    EXPECT_TRUE(holds("(/t/a != 3) && b", v));
    EXPECT_FALSE(holds("!b || /t/a == 0", v));
    EXPECT_TRUE(holds("bus(3:0) == 12", v)); // a select in parentheses stays with its name
    // An unknown bit makes a comparison false either way.
    EXPECT_FALSE(holds("c == 0", v));
    EXPECT_FALSE(holds("c != 0", v));
    ConditionExpression e("/t/a == 1 || b || /t/a", readAs(Radix::Dec));
    EXPECT_EQ(e.signals(), (std::vector<std::string>{"/t/a", "b"}));

    // Each constant is read against the signal it is compared with.
    std::vector<std::string> asked;
    ConditionExpression f("a == 12f || b != 1", [&](const std::string& name, const std::string& constant) {
        asked.push_back(name + "=" + constant);
        return std::string("1");
    });
    EXPECT_EQ(asked, (std::vector<std::string>{"a=12f", "b=1"}));
}

TEST(ConditionExpression, NamesTheBadWordAndWhatIsAllowed) {
    auto message = [](const std::string& text) {
        try {
            ConditionExpression e(text, readAs(Radix::Dec));
        } catch (const EngineError& err) {
            return std::string(err.what());
        }
        return std::string("no error");
    };
    const std::pair<const char*, const char*> cases[] = {
        {"a == == 1", "\"==\" after \"==\" is not a constant"},
        {"a = 1", "\"=\" is not an operator of a condition: the operators are ==, !=, !, && and ||"},
        {"a == 1q", "bad value \"1q\" for radix dec"},
        {"(a == 1", "missing \")\" at the end of the condition"},
        {"a 1", "\"1\" after \"a\" is not allowed there: expected ==, !=, &&, || or \")\""},
        {"", "the condition is empty"},
        {"a ==", "the condition ends after \"==\": expected a constant"},
        {"(a && b) == 1", "the left side of \"==\" must be a signal name"},
        {"a && || b", "\"||\" is not allowed there: expected a signal name"},
    };
    for (const auto& c : cases) {
        const std::string text = message(c.first);
        EXPECT_EQ(text.find(c.second), 0u) << c.first << " -> " << text;
    }
    EXPECT_NE(message("a = 1").find("sig == 12f"), std::string::npos); // says what is allowed
    EXPECT_EQ(stripOuterQuotes("\"/t/a == 1\""), "/t/a == 1");
    EXPECT_EQ(stripOuterQuotes("{/t/a}"), "/t/a");
}
