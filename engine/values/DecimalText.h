// Decimal text of arbitrarily wide unsigned numbers held as bit strings ('0'/'1', most
// significant first), both ways, in time close to linear in the length.
//
// The schoolbook way (one pass over all digits per input bit or digit) is quadratic: a
// 300,000-bit register took longer than the engine's request limit. GMP's subquadratic radix
// conversion (divide and conquer over powers of ten) turns a million digits around in a few
// tens of milliseconds; the bits go in and out 64 at a time.
#pragma once

#include <string>

namespace OrvexEngine {
namespace DecimalText {

/// The unsigned decimal of `bits` (only '1' counts as a one); "0" for an empty string.
std::string fromBits(const std::string& bits);

/// The bits of the decimal `digits` ('_' separators allowed), without leading zeros ("0" for
/// zero). False when a character is neither a digit nor '_', or when there is no digit.
bool toBits(const std::string& digits, std::string& bits);

} // namespace DecimalText
} // namespace OrvexEngine
