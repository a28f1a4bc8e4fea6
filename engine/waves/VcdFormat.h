// The text pieces of a Value Change Dump (IEEE 1364): identifier codes, vector, scalar and real
// values, times and the timescale. Free of VPI so that it can be tested on its own.
#pragma once

#include <cstdint>
#include <string>

namespace OrvexEngine {

/// One 32-bit group of a 4-state vector, laid out as VPI's s_vpi_vecval: (aval, bval) bit pairs
/// 00 = 0, 10 = 1, 11 = x, 01 = z.
struct VecWord {
    std::uint32_t aval;
    std::uint32_t bval;
};

/// The identifier code of the n-th variable: printable characters '!' to '~', shortest first.
std::string vcdIdentifier(std::uint64_t n);

/// Appends "b<bits> " for a vector of `width` bits (word 0 holds bits 0..31), with leading bits
/// left out as far as the VCD extension rule allows (0 extends a leading 1; x and z extend
/// themselves).
void appendVectorBits(std::string& out, const VecWord* words, int width);
/// The character of one bit of a word group.
char bitChar(const VecWord* words, int bit);
/// Appends "r<value> " with enough digits to read the value back exactly.
void appendReal(std::string& out, double value);
/// Appends a decimal number.
void appendDecimal(std::string& out, std::uint64_t value);
/// The $timescale text of a precision given as a power of ten of seconds: -12 gives "1ps",
/// -8 gives "10ns".
std::string timescaleText(int precision);

} // namespace OrvexEngine
