// Strength bytes to 4-state bits (see Strengths.h). GPL-2.0-or-later: see NOTICE in this folder.
#include "Strengths.h"

#include <cstring>

namespace OrvexEngine {
namespace VvpInternals {

void strengthPairs(const unsigned char* bytes, std::uint64_t& a, std::uint64_t& b) {
    constexpr std::uint64_t Low = 0x0101010101010101ull;
    std::uint64_t v;
    std::memcpy(&v, bytes, sizeof v);
    const std::uint64_t s = v & 0x7777777777777777ull;
    const std::uint64_t folded = (s | (s >> 4)) & 0x0707070707070707ull;
    const std::uint64_t driven = (folded | (folded >> 1) | (folded >> 2)) & Low;
    const std::uint64_t high = (v >> 7) & Low, low = (v >> 3) & Low;
    const std::uint64_t x = driven & (high ^ low);
    const std::uint64_t one = driven & high & low;
    // Bit 0 of each byte gathered into one byte, byte 0 lowest.
    constexpr std::uint64_t Gather = 0x0102040810204080ull;
    a = ((one | x) * Gather) >> 56;
    b = (((driven ^ Low) | x) * Gather) >> 56;
}

void strengthWords(const unsigned char* bytes, unsigned size, std::uint64_t* a, std::uint64_t* b) {
    const unsigned words = (size + 63) / 64;
    for (unsigned w = 0; w < words; ++w) a[w] = b[w] = 0;
    unsigned i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t pa, pb;
        strengthPairs(bytes + i, pa, pb);
        a[i / 64] |= pa << (i % 64);
        b[i / 64] |= pb << (i % 64);
    }
    if (i < size) {
        unsigned char tail[8] = {};
        std::memcpy(tail, bytes + i, size - i);
        std::uint64_t pa, pb;
        strengthPairs(tail, pa, pb);
        const std::uint64_t used = (std::uint64_t(1) << (size - i)) - 1;
        a[i / 64] |= (pa & used) << (i % 64);
        b[i / 64] |= (pb & used) << (i % 64);
    }
}

} // namespace VvpInternals
} // namespace OrvexEngine
