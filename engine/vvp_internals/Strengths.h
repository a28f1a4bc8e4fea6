// vvp 11.0's strength bytes (vvp_scalar_t, vvp/vvp_net.h) as 4-state bits, eight at a time. Free
// of VPI. GPL-2.0-or-later: see NOTICE in this folder.
#pragma once

#include <cstdint>

namespace OrvexEngine {
namespace VvpInternals {

/// The a and b bits (0 (0,0), 1 (1,0), x (1,1), z (0,1)) of the eight strength bytes at `bytes`,
/// byte 0 in bit 0. A byte is z when none of its strength bits (0x77) is set, otherwise 0 when
/// neither 0x80 nor 0x08 is set, 1 when both are, x when one is (vvp_scalar_t::value).
void strengthPairs(const unsigned char* bytes, std::uint64_t& a, std::uint64_t& b);

/// The a and b words of the `size` strength bytes at `bytes`, bit i of the value in bit i % 64 of
/// word i / 64; bits above `size` are 0. `a` and `b` hold (size + 63) / 64 words each.
void strengthWords(const unsigned char* bytes, unsigned size, std::uint64_t* a, std::uint64_t* b);

} // namespace VvpInternals
} // namespace OrvexEngine
