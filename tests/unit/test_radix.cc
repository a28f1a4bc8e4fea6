// Radix names as Tcl reads them and the waveform window knows them, quote stripping, and the
// comparison of Verilog bits printed with and without a drive strength.
#include <gtest/gtest.h>

#include <string>

#include "tavrin/TclHelper.h"

using namespace Tavrin;

namespace {

class RadixLookup : public ::testing::Test {
protected:
    void SetUp() override { interp_ = Tcl_CreateInterp(); }
    void TearDown() override { Tcl_DeleteInterp(interp_); }

    int lookUp(const char* word) {
        Tcl_Obj* object = Tcl_NewStringObj(word, -1);
        Tcl_IncrRefCount(object);
        const int index = TclHelper::getRadix(interp_, object);
        Tcl_DecrRefCount(object);
        return index;
    }
    std::string result() const { return Tcl_GetStringResult(interp_); }

    Tcl_Interp* interp_ = nullptr;
};

} // namespace

TEST_F(RadixLookup, EveryNameGivesItsRadixAndBack) {
    for (int value = NoRadix; value <= OctRadix; ++value) {
        const StringBase name = TclHelper::getRadixName(static_cast<Radix>(value));
        EXPECT_EQ(lookUp(name.c_str()), value) << name;
    }
    EXPECT_EQ(lookUp("hex"), HexRadix);
    EXPECT_EQ(TclHelper::radix[8], nullptr);
}

TEST_F(RadixLookup, OnlyExactNamesAreAccepted) {
    for (const char* word : {"HEX", "he", "", "hex ", "b"})
        EXPECT_EQ(lookUp(word), -1) << word;
    EXPECT_EQ(result(), "bad radix \"b\": must be noradix, default, bin, unsigned, hex, dec, "
                        "ascii, or oct");
    EXPECT_EQ(TclHelper::getRadix(interp_, nullptr), -1);
}

TEST(RadixNames, WaveformNamesFollowTheRadixOrder) {
    const char* expected[] = {"noradix",  "default",        "BINARYRADIX", "UNSIGNEDDECRADIX",
                              "HEXRADIX", "SIGNEDDECRADIX", "ASCIIRADIX",  "OCTALRADIX"};
    for (int value = NoRadix; value <= OctRadix; ++value)
        EXPECT_EQ(TclHelper::getWaveRadixName(static_cast<Radix>(value)), expected[value]);
}

TEST(TrimQuotes, RemovesOneMatchingPairOnly) {
    struct Case {
        const char* input;
        const char* output;
    };
    for (const Case& c : {Case{"'abc'", "abc"}, Case{"\"abc\"", "abc"}, Case{"\"abc'", "\"abc'"},
                          Case{"\"\"x\"\"", "\"x\""}, Case{"''", ""}, Case{"'", "'"},
                          Case{"\"", "\""}, Case{"", ""}, Case{"abc", "abc"}, Case{"a'", "a'"}}) {
        std::string text = c.input;
        TclHelper::trimQuotes(text);
        EXPECT_EQ(text, c.output) << c.input;
    }
}

TEST(VerilogStrength, StrengthPrefixMatchesPlainBitEitherWay) {
    for (const char* strong : {"su1", "st1", "pu1", "la1", "we1", "me1", "sm1", "hi1"}) {
        EXPECT_TRUE(TclHelper::compareVerilogValuesBasedOnStrength(strong, "1")) << strong;
        EXPECT_TRUE(TclHelper::compareVerilogValuesBasedOnStrength("1", strong)) << strong;
    }
    EXPECT_TRUE(TclHelper::compareVerilogValuesBasedOnStrength("hiz", "z"));
}

TEST(VerilogStrength, EverythingElseDiffers) {
    struct Case {
        const char* a;
        const char* b;
    };
    for (const Case& c : {Case{"St1", "1"}, Case{"stX", "x"}, Case{"st1", "0"}, Case{"st10", "1"},
                          Case{"xx1", "1"}, Case{"1", "1"}, Case{"st1", "st1"}, Case{"", ""},
                          Case{"st1", ""}, Case{"ST1", "1"}}) {
        EXPECT_FALSE(TclHelper::compareVerilogValuesBasedOnStrength(c.a, c.b)) << c.a << " " << c.b;
    }
}
