// Strength bytes to 4-state bits, against vvp_scalar_t::value's rule applied byte by byte.
#include <gtest/gtest.h>

#include "vvp_internals/Strengths.h"

using OrvexEngine::VvpInternals::strengthPairs;

namespace {
// (a, b) of one byte by the rule: z when no strength bit, 0 / 1 by both high bits, else x.
int byRule(unsigned v) {
    if ((v & 0x77) == 0) return 2;
    if ((v & 0x88) == 0) return 0;
    if ((v & 0x88) == 0x88) return 1;
    return 3;
}
} // namespace

TEST(Strengths, EveryByteInEveryPositionDecodesByTheRule) {
    for (unsigned v = 0; v < 256; ++v) {
        for (unsigned at = 0; at < 8; ++at) {
            // The other bytes hold values of every kind, so a leak between bytes shows.
            unsigned char bytes[8];
            for (unsigned i = 0; i < 8; ++i) bytes[i] = static_cast<unsigned char>(i == at ? v : 0x37 * i + v);
            std::uint64_t a = 0, b = 0;
            strengthPairs(bytes, a, b);
            ASSERT_EQ(a >> 8, 0u);
            ASSERT_EQ(b >> 8, 0u);
            for (unsigned i = 0; i < 8; ++i) {
                const int want = byRule(bytes[i]);
                ASSERT_EQ(static_cast<int>((a >> i & 1) | (b >> i & 1) << 1), want) << "byte " << bytes[i] << " at " << i;
            }
        }
    }
}
