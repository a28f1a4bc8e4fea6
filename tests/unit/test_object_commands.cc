// The routines shared by the object commands: the "-radix <name>" option, the value comparison
// of `test`, and the regrouping of driver and load maps by path.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/ObjectCommandSupport.h"

using namespace Tavrin;

namespace {

class RadixOption : public ::testing::Test {
protected:
    void SetUp() override { interp_ = Tcl_CreateInterp(); }
    void TearDown() override {
        for (Tcl_Obj* word : words_)
            Tcl_DecrRefCount(word);
        Tcl_DeleteInterp(interp_);
    }

    Tcl_Obj* word(const char* text) {
        Tcl_Obj* object = Tcl_NewStringObj(text, -1);
        Tcl_IncrRefCount(object);
        words_.push_back(object);
        return object;
    }

    Tcl_Interp* interp_ = nullptr;
    std::vector<Tcl_Obj*> words_;
};

// An object that is only a path, so that two objects can share one.
class PathObject : public IObject {
public:
    explicit PathObject(const char* path) : path_(path) {}
    int getObjectKind() const override { return ScalarObjectKind; }
    StringBase getPath() const override { return path_; }
    StringBase getName() const override { return path_; }
    IBlock* getParent() const override { return nullptr; }

private:
    StringBase path_;
};

} // namespace

TEST_F(RadixOption, ReadsTheRadixOnlyAfterTheExactOptionWord) {
    Radix radix = DecRadix;
    EXPECT_EQ(readRadixOption(interp_, word("-radix"), word("hex"), radix), RadixOptionStatus::Read);
    EXPECT_EQ(radix, HexRadix);

    radix = DecRadix;
    EXPECT_EQ(readRadixOption(interp_, word("-rad"), word("hex"), radix),
              RadixOptionStatus::WrongOption);
    EXPECT_EQ(readRadixOption(interp_, word("-RADIX"), word("hex"), radix),
              RadixOptionStatus::WrongOption);
    EXPECT_EQ(readRadixOption(interp_, nullptr, nullptr, radix), RadixOptionStatus::WrongOption);
    EXPECT_EQ(radix, DecRadix);
}

TEST_F(RadixOption, MissingOrUnknownNameLeavesTheRadixAndTclsMessage) {
    Radix radix = BinRadix;
    EXPECT_EQ(readRadixOption(interp_, word("-radix"), nullptr, radix), RadixOptionStatus::BadName);
    EXPECT_EQ(readRadixOption(interp_, word("-radix"), word("HEX"), radix),
              RadixOptionStatus::BadName);
    EXPECT_EQ(radix, BinRadix);
    EXPECT_EQ(std::string(Tcl_GetStringResult(interp_)).rfind("bad radix \"HEX\"", 0), 0u);
}

TEST_F(RadixOption, StrictFormNamesAWrongOptionAndGivesPlainUsageErrorsOtherwise) {
    EXPECT_EQ(requireRadixOption(interp_, word("-radix"), word("oct")), OctRadix);
    try {
        requireRadixOption(interp_, word("-r"), word("hex"));
        FAIL() << "a wrong option word was accepted";
    } catch (const TclCommandErrorException& e) {
        EXPECT_STREQ(e.getDescription(), "Invalid command option: -r");
    }
    for (Tcl_Obj* name : {static_cast<Tcl_Obj*>(nullptr), word("foo")}) {
        try {
            requireRadixOption(interp_, word("-radix"), name);
            FAIL() << "a missing or unknown radix name was accepted";
        } catch (const TclCommandErrorException& e) {
            EXPECT_STREQ(e.getDescription(), "");
        }
    }
}

TEST(ValuesMatch, CaseIsFoldedAndBooleansMatchInOneDirectionOnly) {
    EXPECT_TRUE(valuesMatch("1010", "1010"));
    EXPECT_TRUE(valuesMatch("XZ01", "xz01"));
    EXPECT_FALSE(valuesMatch("1010", "1011"));
    EXPECT_FALSE(valuesMatch("1", ""));
    EXPECT_TRUE(valuesMatch("TRUE", "1"));
    EXPECT_TRUE(valuesMatch("false", "0"));
    EXPECT_FALSE(valuesMatch("true", "0"));
    EXPECT_FALSE(valuesMatch("1", "true"));
    EXPECT_FALSE(valuesMatch("0", "FALSE"));
}

TEST(ValuesMatch, StrengthPrefixesMatchThePlainBitEitherWay) {
    for (const char* strong : {"su1", "st1", "pu1", "la1", "we1", "me1", "sm1", "hi1", "St1"}) {
        EXPECT_TRUE(valuesMatch(strong, "1")) << strong;
        EXPECT_TRUE(valuesMatch("1", strong)) << strong;
    }
    EXPECT_TRUE(valuesMatch("0", "we0"));
    EXPECT_TRUE(valuesMatch("HiZ", "z"));
    const struct {
        const char* actual;
        const char* expected;
    } differ[] = {{"St1", "0"}, {"xx1", "1"}, {"st10", "1"}, {"st1", ""}, {"1", "st0"}, {"", "st1"}};
    for (const auto& c : differ)
        EXPECT_FALSE(valuesMatch(c.actual, c.expected)) << c.actual << " " << c.expected;
}

TEST(ValuesMatch, BytesAboveAsciiAreComparedAsTheyAre) {
    EXPECT_TRUE(valuesMatch("\xe9\xff", "\xe9\xff"));
    EXPECT_FALSE(valuesMatch("\xe9", "\xc9"));
}

TEST(GroupByPath, OrdersByPathLetsARepeatedPathReplaceAndDropsNullKeys) {
    PathObject b("/top/b"), a("/top/a"), aAgain("/top/a");
    DriverMap drivers;
    drivers[&b] = {DriverRecord{&b, "b"}};
    drivers[&a] = {DriverRecord{&a, "a1"}, DriverRecord{&a, "a2"}};
    drivers[&aAgain] = {DriverRecord{&aAgain, "again"}};
    drivers[nullptr] = {DriverRecord{nullptr, "lost"}};

    const auto grouped = groupByPath(drivers);
    ASSERT_EQ(grouped.size(), 2u);
    auto first = grouped.begin();
    EXPECT_EQ(first->first, "/top/a");
    // One of the two lists of /top/a survives whole; which one follows the engine map's order.
    const std::size_t kept = first->second.size();
    EXPECT_TRUE(kept == 1 || kept == 2);
    EXPECT_EQ(std::next(first)->first, "/top/b");
    EXPECT_EQ(std::next(first)->second.at(0).text, "b");

    LoadMap loads;
    loads[&b] = {LoadRecord{&a, 3}};
    const auto groupedLoads = groupByPath(loads);
    ASSERT_EQ(groupedLoads.size(), 1u);
    EXPECT_EQ(groupedLoads.at("/top/b").at(0).index, 3);
}
