// The SAIF text, and the word-level activity counts against a plain bit-by-bit count. (SAIF
// activity against vvp's own $dumpvars: e2e.test_saif_words.)
#include <gtest/gtest.h>

#include <random>

#include "SaifActivity.h"
#include "VcdFormat.h"

using namespace OrvexEngine;

TEST(SaifText, HeaderHierarchyAndBitsInDeclaredOrder) {
    SaifHeader header;
    header.design = "tb";
    header.date = "today";
    header.version = "0.1";
    header.precision = -10;
    header.duration = 500;
    SaifInstance top;
    top.name = "tb";
    SaifInstance dut;
    dut.name = "dut";
    SaifNet bus;
    bus.name = "q";
    bus.vector = true;
    bus.msb = 0;
    bus.lsb = 1; // declared [0:1]: index 0 is the most significant bit
    bus.bits.resize(2);
    bus.bits[0].tc = 7; // least significant = index 1
    bus.bits[1].tc = 3;
    dut.nets.push_back(bus);
    top.children.push_back(dut);
    const std::string text = saifText(header, top);
    EXPECT_NE(text.find("(SAIFVERSION \"2.0\")\n(DIRECTION \"backward\")\n(DESIGN \"tb\")"), std::string::npos);
    EXPECT_NE(text.find("(TIMESCALE 100 ps)\n(DURATION 500)"), std::string::npos);
    EXPECT_NE(text.find("(DIVIDER / )"), std::string::npos);
    const std::size_t q0 = text.find("(q\\[0\\]");
    const std::size_t q1 = text.find("(q\\[1\\]");
    ASSERT_NE(q0, std::string::npos);
    ASSERT_NE(q1, std::string::npos);
    EXPECT_LT(q0, q1);
    EXPECT_NE(text.find("(TC 3)", q0), std::string::npos);
    EXPECT_LT(text.find("(TC 3)", q0), q1);
    EXPECT_NE(text.find("(INSTANCE tb\n  (INSTANCE dut\n    (NET\n"), std::string::npos);
    int depth = 0;
    for (char c : text) depth += c == '(' ? 1 : c == ')' ? -1 : 0;
    EXPECT_EQ(depth, 0);
    EXPECT_EQ(saifName("a.b[2]"), "a\\.b\\[2\\]");
}

namespace {

// One bit counted the obvious way: a state entered at a time, a live state during the step.
struct PlainBit {
    char state, live;
    std::uint64_t since;
    bool changedInStep = false;
    BitActivity counts;
    void addTime(std::uint64_t until) {
        (state == '0' ? counts.t0 : state == '1' ? counts.t1 : counts.tx) += until - since;
        since = until;
    }
};

char stateOf(char c) { return c == '0' || c == '1' ? c : 'x'; }

struct PlainNet {
    std::vector<PlainBit> bits;
    PlainNet(const std::string& value, std::uint64_t start) {
        for (char c : value) bits.push_back(PlainBit{stateOf(c), stateOf(c), start, false, {}});
    }
    void observe(const std::string& value) {
        for (std::size_t i = 0; i < value.size() && i < bits.size(); ++i)
            if (stateOf(value[i]) != bits[i].live) {
                bits[i].live = stateOf(value[i]);
                bits[i].changedInStep = true;
            }
    }
    void settle(std::uint64_t time) {
        for (PlainBit& b : bits) {
            if (!b.changedInStep) continue;
            b.changedInStep = false;
            if (b.live == b.state) {
                ++b.counts.ig;
                continue;
            }
            b.addTime(time);
            if (b.state != 'x' && b.live != 'x') ++b.counts.tc;
            b.state = b.live;
        }
    }
};

std::vector<VecWord> wordsOf(const std::string& value) {
    std::vector<VecWord> words((value.size() + 31) / 32, VecWord{0, 0});
    for (std::size_t i = 0; i < value.size(); ++i) {
        const std::uint32_t bit = std::uint32_t(1) << (i % 32);
        if (value[i] == '1' || value[i] == 'x') words[i / 32].aval |= bit;
        if (value[i] == 'x' || value[i] == 'z') words[i / 32].bval |= bit;
    }
    return words;
}

void expectSame(const std::vector<BitActivity>& got, const PlainNet& want, const std::string& what) {
    ASSERT_EQ(got.size(), want.bits.size()) << what;
    for (std::size_t i = 0; i < got.size(); ++i) {
        const BitActivity& w = want.bits[i].counts;
        EXPECT_EQ(got[i].t0, w.t0) << what << " bit " << i;
        EXPECT_EQ(got[i].t1, w.t1) << what << " bit " << i;
        EXPECT_EQ(got[i].tx, w.tx) << what << " bit " << i;
        EXPECT_EQ(got[i].tc, w.tc) << what << " bit " << i;
        EXPECT_EQ(got[i].ig, w.ig) << what << " bit " << i;
    }
}

} // namespace

// Nets of one bit, of exactly a word, and over several words; values with x and z, several
// values within a step (glitches), some as whole words and some as bit strings (the fallback),
// both ways of seeing a value mixed on one net; and the counts read before the end.
TEST(ActivityCounts, MatchABitByBitCountOverRandomSteps) {
    std::mt19937 random(7);
    const std::vector<std::size_t> widths = {1, 5, 32, 33, 70, 96};
    const char* const alphabet[] = {"01", "01", "01xz"};
    auto randomValue = [&](std::size_t width) {
        const char* letters = alphabet[random() % 3];
        const std::size_t count = std::char_traits<char>::length(letters);
        std::string value(width, '0');
        for (char& c : value) c = letters[random() % count];
        return value;
    };
    const std::uint64_t start = 1000;
    ActivityCounts counts(start);
    std::vector<PlainNet> plain;
    std::vector<std::string> last;
    for (std::size_t w : widths) {
        last.push_back(randomValue(w));
        EXPECT_EQ(counts.add(last.back()), plain.size());
        plain.emplace_back(last.back(), start);
    }
    std::uint64_t time = start;
    for (int step = 0; step < 3000; ++step) {
        time += 1 + random() % 50;
        for (std::size_t n = 0; n < widths.size(); ++n) {
            for (int seen = random() % 4; seen > 0; --seen) {
                // Mostly a few bits flipped, as in a design; now and then a fresh value.
                std::string value = last[n];
                if (random() % 4 == 0) value = randomValue(widths[n]);
                else value[random() % value.size()] = "01xz"[random() % (random() % 8 ? 2 : 4)];
                if (random() % 2) counts.observe(n, value);
                else counts.observe(n, wordsOf(value).data());
                plain[n].observe(value);
                last[n] = value;
            }
        }
        counts.settle(time);
        for (PlainNet& net : plain) net.settle(time);
    }
    const std::uint64_t end = time + 17;
    for (std::size_t n = 0; n < widths.size(); ++n) {
        PlainNet finished = plain[n];
        for (PlainBit& b : finished.bits) b.addTime(end);
        expectSame(counts.bits(n, end), finished, "width " + std::to_string(widths[n]));
    }
}

// z and x are one state; a bit that leaves and returns within a step is a glitch, not a
// transition; time before the first settle counts from the start; a short bit string leaves the
// bits past its end as they were.
TEST(ActivityCounts, GlitchesUnknownsAndShortStrings) {
    ActivityCounts counts(10);
    counts.add("0x1"); // bit 0 first
    counts.observe(0, "1z1");
    counts.observe(0, "0z1"); // bit 0 back within the step: one glitch
    counts.settle(20);
    counts.observe(0, "1");   // only bit 0 given
    counts.settle(30);
    const std::vector<BitActivity> bits = counts.bits(0, 40);
    ASSERT_EQ(bits.size(), 3u);
    EXPECT_EQ(bits[0].ig, 1u);
    EXPECT_EQ(bits[0].tc, 1u);
    EXPECT_EQ(bits[0].t0, 20u);
    EXPECT_EQ(bits[0].t1, 10u);
    EXPECT_EQ(bits[1].tx, 30u); // x to z is no change
    EXPECT_EQ(bits[1].ig + bits[1].tc, 0u);
    EXPECT_EQ(bits[2].t1, 30u);
    EXPECT_EQ(bits[2].tc, 0u);
}
