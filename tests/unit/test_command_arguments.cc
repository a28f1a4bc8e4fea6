// The option walk shared by the output and annotation commands: values after options, integer
// values, name lists that end at the next option, argument counts and block lookups.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "orvex/FakeDataReader.h"
#include "tavrin/TclExceptions.h"
#include "tavrin/commands/CommandArguments.h"

#include "TclWords.h"

using namespace Tavrin;

namespace {

// The argument words of one command line, read through an ArgumentCursor.
class Words : public Test::TclWords {
public:
    using Test::TclWords::TclWords;
    ArgumentCursor cursor() const { return ArgumentCursor(count(), objv()); }
};

// The description of the usage error that `action` throws; fails the test when it throws none.
template <typename Action>
std::string usageErrorOf(Action action) {
    try {
        action();
    } catch (const TclCommandErrorException& e) {
        return e.getDescription();
    }
    ADD_FAILURE() << "no usage error";
    return "<none>";
}

TEST(ArgumentCursor, OptionsTakeTheWordAfterThemWhateverItLooksLike) {
    Words words{"-file", "-allnets", "-scope", "/tb"};
    ArgumentCursor args = words.cursor();
    EXPECT_EQ(args.take(), "-file");
    EXPECT_EQ(args.value(), "-allnets");
    EXPECT_EQ(args.take(), "-scope");
    EXPECT_EQ(args.value(), "/tb");
    EXPECT_TRUE(args.atEnd());
}

TEST(ArgumentCursor, AnOptionStandingLastIsAUsageErrorNamingIt) {
    Words words{"-x", "-file"};
    ArgumentCursor args = words.cursor();
    args.take();
    args.take();
    EXPECT_EQ(usageErrorOf([&] { args.value(); }), "Missing value for option -file");
    EXPECT_EQ(usageErrorOf([&] { args.value("path name is missing"); }), "path name is missing");
    EXPECT_EQ(usageErrorOf([&] { args.take(); }), "");
}

TEST(ArgumentCursor, IntegerValuesRefuseMissingAndNonIntegerWordsWithOneText) {
    Words words{"-l", "0", "-l", "-3", "-l", "1.5", "-l", "x", "-l"};
    ArgumentCursor args = words.cursor();
    args.take();
    EXPECT_EQ(args.intValue("bad level"), 0);
    args.take();
    EXPECT_EQ(args.intValue("bad level"), -3);
    args.take();
    EXPECT_EQ(usageErrorOf([&] { args.intValue("bad level"); }), "bad level");
    args.take();
    EXPECT_EQ(usageErrorOf([&] { args.intValue("bad level"); }), "bad level");
    args.take();
    EXPECT_EQ(usageErrorOf([&] { args.intValue("bad level"); }), "bad level");
}

TEST(ArgumentCursor, NameListsEndAtTheNextOptionAndSkipEmptyWords) {
    Words words{"-n", "clk", "", "rst", "-o", "off", "-n"};
    ArgumentCursor args = words.cursor();
    args.take();
    EXPECT_EQ(args.valuesUpToOption(), (std::vector<std::string>{"clk", "rst"}));
    EXPECT_EQ(args.take(), "-o"); // the option that ended the list is read next
    EXPECT_EQ(args.value(), "off");
    args.take();
    EXPECT_TRUE(args.valuesUpToOption().empty());
    EXPECT_TRUE(args.atEnd());
}

TEST(ArgumentCount, OnlyCountsWithinTheBoundsPass) {
    EXPECT_NO_THROW(requireArgumentCount(2, 2, 48));
    EXPECT_NO_THROW(requireArgumentCount(48, 2, 48));
    EXPECT_EQ(usageErrorOf([] { requireArgumentCount(1, 2, 48); }), "");
    EXPECT_EQ(usageErrorOf([] { requireArgumentCount(49, 2, 48); }), "");
}

TEST(RequireBlock, ANullBlockIsAnActionErrorNamingThePathInBraces) {
    FakeDataReader design;
    IBlock* top = design.addBlock(nullptr, "top", VerilogInstance);
    EXPECT_EQ(requireBlock(top, "/top"), top);
    try {
        requireBlock(design.findBlock("/top/none"), "/top/none");
        ADD_FAILURE() << "no error";
    } catch (const TclCommandActionErrorException& e) {
        EXPECT_STREQ(e.getDescription(), "{/top/none}: No such HDL block.");
    }
    try {
        requireBlock(nullptr, "");
        ADD_FAILURE() << "no error";
    } catch (const TclCommandActionErrorException& e) {
        EXPECT_STREQ(e.getDescription(), "{}: No such HDL block.");
    }
}

} // namespace
