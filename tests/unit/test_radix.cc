// Radix names as Tcl reads them and the waveform window knows them, and quote stripping. (Bits
// printed with a drive strength: ValuesMatch in test_object_commands.)
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
