// VCD identifier codes and value texts.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "VcdFormat.h"

using namespace OrvexEngine;

namespace {

// Words for a bit string written most significant first.
std::vector<VecWord> words(const std::string& bits) {
    std::vector<VecWord> out((bits.size() + 31) / 32, VecWord{0, 0});
    for (std::size_t i = 0; i < bits.size(); ++i) {
        const std::size_t bit = bits.size() - 1 - i;
        const std::uint32_t mask = 1u << (bit % 32);
        VecWord& w = out[bit / 32];
        if (bits[i] == '1' || bits[i] == 'x') w.aval |= mask;
        if (bits[i] == 'z' || bits[i] == 'x') w.bval |= mask;
    }
    return out;
}

std::string vector(const std::string& bits) {
    std::string out;
    appendVectorBits(out, words(bits).data(), static_cast<int>(bits.size()));
    return out;
}

} // namespace

TEST(VcdIdentifier, CodesArePrintableAndDistinctAcrossLengthChanges) {
    EXPECT_EQ(vcdIdentifier(0), "!");
    EXPECT_EQ(vcdIdentifier(93), "~");
    EXPECT_EQ(vcdIdentifier(94), "!\"");
    std::set<std::string> seen;
    for (std::uint64_t n = 0; n < 94 * 94 + 200; ++n) {
        const std::string code = vcdIdentifier(n);
        for (char c : code) ASSERT_TRUE(c >= '!' && c <= '~') << n;
        ASSERT_TRUE(seen.insert(code).second) << "duplicate code for " << n;
    }
    EXPECT_EQ(vcdIdentifier(94 * 94).size(), 3u);
}

TEST(VcdVector, LeadingBitsAreDroppedOnlyWhereExtensionRestoresThem) {
    EXPECT_EQ(vector("00000101"), "b101 ");
    EXPECT_EQ(vector("00000000"), "b0 ");
    EXPECT_EQ(vector("10000000"), "b10000000 ");
    // A 0 before an x or z must stay, or the reader would extend the x or z.
    EXPECT_EQ(vector("000x1"), "b0x1 ");
    EXPECT_EQ(vector("0z"), "b0z ");
    EXPECT_EQ(vector("xxxx01"), "bx01 ");
    EXPECT_EQ(vector("zzzz"), "bz ");
    EXPECT_EQ(vector("zzx0"), "bzx0 ");
}

TEST(VcdVector, BitsBeyondTheFirstWordKeepTheirPlace) {
    std::string bits(40, '0');
    bits[0] = '1';     // bit 39
    bits[39] = 'z';    // bit 0
    bits[7] = 'x';     // bit 32
    EXPECT_EQ(vector(bits), "b1000000x" + std::string(31, '0') + "z ");
    EXPECT_EQ(bitChar(words(bits).data(), 32), 'x');
    EXPECT_EQ(bitChar(words(bits).data(), 0), 'z');
}

TEST(VcdText, RealsReadBackExactlyAndTimescalesNameTheUnit) {
    std::string out;
    appendReal(out, 0.1);
    EXPECT_EQ(out, "r0.1 ");
    out.clear();
    appendReal(out, 1.0 / 3.0);
    EXPECT_EQ(std::stod(out.substr(1)), 1.0 / 3.0);
    out.clear();
    appendDecimal(out, 18446744073709551615ull);
    EXPECT_EQ(out, "18446744073709551615");
    EXPECT_EQ(timescaleText(-12), "1ps");
    EXPECT_EQ(timescaleText(-8), "10ns");
    EXPECT_EQ(timescaleText(-13), "100fs");
    EXPECT_EQ(timescaleText(-15), "1fs");
    EXPECT_EQ(timescaleText(0), "1s");
    EXPECT_EQ(timescaleText(2), "100s");
}
