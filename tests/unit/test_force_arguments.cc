// The arguments of `orvex force add`: the first value, "-value" groups, the options that act on
// the first value wherever they stand, and the errors of incomplete or malformed arguments.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tavrin/TclExceptions.h"
#include "tavrin/commands/OrvexCommands.h"

using namespace Tavrin;

namespace {

constexpr std::int64_t ns = 1000000;

class ForceArguments : public ::testing::Test {
protected:
    void SetUp() override { interp_ = Tcl_CreateInterp(); }
    void TearDown() override { Tcl_DeleteInterp(interp_); }

    // Parses the words after `orvex force add` with the given current radix and user unit.
    void parse(const std::vector<std::string>& words, Radix radix = NoRadix, int userUnit = -9) {
        std::vector<Tcl_Obj*> objv;
        for (const std::string& word : words) {
            objv.push_back(Tcl_NewStringObj(word.c_str(), -1));
            Tcl_IncrRefCount(objv.back());
        }
        struct Release {
            std::vector<Tcl_Obj*>& objects;
            ~Release() {
                for (Tcl_Obj* object : objects) Tcl_DecrRefCount(object);
            }
        } release{objv};
        orvexForceAddCommand::parseArguments(interp_, static_cast<int>(objv.size()), objv.data(),
                                             radix, userUnit, name_, criteria_);
    }

    // The description of the error that parsing throws; fails the test when none is thrown.
    template <typename Error = TclCommandErrorException>
    std::string errorOf(const std::vector<std::string>& words) {
        try {
            parse(words);
        } catch (const Error& e) {
            return e.getDescription();
        }
        ADD_FAILURE() << "no error for " << words.back();
        return "<none>";
    }

    Tcl_Interp* interp_ = nullptr;
    StringBase name_;
    ForceCriteria criteria_;
};

void expectValue(const ForceValue& value, const char* text, std::int64_t time, int radix) {
    EXPECT_EQ(value.value.str(), text);
    EXPECT_EQ(value.time, time) << text;
    EXPECT_EQ(value.radix, radix) << text;
}

} // namespace

TEST_F(ForceArguments, PlainValueAtOnceInTheDefaultRadixWithoutRepeatOrCancel) {
    parse({"clk", "1"}, HexRadix);
    EXPECT_EQ(name_.str(), "clk");
    ASSERT_EQ(criteria_.values.size(), 1u);
    expectValue(criteria_.values[0], "1", 0, DefaultRadix);
    EXPECT_EQ(criteria_.repeat, ForceCriteria::None);
    EXPECT_EQ(criteria_.cancel, ForceCriteria::None);
}

TEST_F(ForceArguments, ClockPatternOfTheHelpText) {
    parse({"clk", "1", "-time", "10", "ns", "-value", "0", "-time", "20", "ns", "-value", "1",
           "-time", "25", "ns", "-repeat", "40", "ns", "-cancel", "1000", "ns"});
    ASSERT_EQ(criteria_.values.size(), 3u);
    expectValue(criteria_.values[0], "1", 10 * ns, DefaultRadix);
    expectValue(criteria_.values[1], "0", 20 * ns, NoRadix);
    expectValue(criteria_.values[2], "1", 25 * ns, NoRadix);
    EXPECT_EQ(criteria_.repeat, 40 * ns);
    EXPECT_EQ(criteria_.cancel, 1000 * ns);
}

TEST_F(ForceArguments, GroupsStartInTheCurrentRadixAndMayNameTheirOwn) {
    parse({"bus", "ff", "-value", "0", "-radix", "bin", "-time", "5ns", "-value", "7", "-time",
           "2"},
          OctRadix, -12);
    ASSERT_EQ(criteria_.values.size(), 3u);
    expectValue(criteria_.values[1], "0", 5 * ns, BinRadix);
    // A time without a unit is in user units (1 ps here).
    expectValue(criteria_.values[2], "7", 2000, OctRadix);
}

TEST_F(ForceArguments, RadixAndTimeOutsideGroupsActOnTheFirstValueAndTheLastOneWins) {
    parse({"rst", "0", "-value", "1", "-time", "5", "-radix", "hex", "stray", "-time", "1",
           "-time", "3", "-cancel", "9", "-cancel", "10", "-radix", "dec"});
    ASSERT_EQ(criteria_.values.size(), 2u);
    expectValue(criteria_.values[0], "0", 3 * ns, DecRadix);
    expectValue(criteria_.values[1], "1", 5 * ns, NoRadix);
    EXPECT_EQ(criteria_.cancel, 10 * ns);
}

TEST_F(ForceArguments, ArgumentCountIsTwoToFortyNine) {
    EXPECT_EQ(errorOf({"clk"}), "");
    std::vector<std::string> words(49, "x");
    EXPECT_NO_THROW(parse(words));
    words.push_back("x");
    EXPECT_EQ(errorOf(words), "");
}

TEST_F(ForceArguments, IncompleteOrWrongOptionsNameWhatIsWrong) {
    EXPECT_EQ(errorOf({"clk", "-1"}), "wrong args: expecting a value but got -1");
    EXPECT_EQ(errorOf({"clk", "1", "-value", "0", "5", "ns"}), "-value must be followed by -time");
    EXPECT_EQ(errorOf({"clk", "1", "-value", "0"}), "-value must be followed by -time");
    EXPECT_EQ(errorOf({"clk", "1", "-value", "0", "-radix", "hex"}),
              "-value must be followed by -time");
    EXPECT_EQ(errorOf({"clk", "1", "-value"}), "-value must be followed by a value");
    EXPECT_EQ(errorOf({"clk", "1", "-value", "0", "-radix"}), "");
    EXPECT_EQ(errorOf({"clk", "1", "-radix", "Hex"}), "");
    EXPECT_EQ(errorOf({"clk", "1", "-radix"}), "");
    EXPECT_EQ(errorOf({"clk", "1", "-time"}), "<-time> has an invalid time value");
    EXPECT_EQ(errorOf({"clk", "1", "-cancel", "ns5"}), "<-cancel> has an invalid time value");
    EXPECT_EQ(errorOf({"clk", "1", "-repeat"}), "<-repeat> has an invalid time value");
}

TEST_F(ForceArguments, MalformedTimeValuesKeepTheirOwnMessage) {
    EXPECT_EQ(errorOf<TclHelpException>({"clk", "1", "-repeat", "-5"}), "Negative time value -5");
    EXPECT_EQ(errorOf<TclHelpException>({"clk", "1", "-time", "1.2.3ns"}),
              "Time value 1.2.3 is incorrect");
    EXPECT_EQ(errorOf<TclHelpException>({"clk", "1", "-value", "0", "-time", "5xs"}),
              "Unknown time unit \"xs\"; the units are fs, ps, ns, us, ms and s.");
}
