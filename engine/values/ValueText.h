// Value texts without VPI: a value is a string of bits, most significant first, each 0, 1, x or
// z. Formats and parses them in the shell's radixes.
//
// Formats: bin, oct and hex give digits without a prefix; a digit whose bits are all x (or all z)
// prints as x (z), a digit with some unknown bits as X (Z). dec reads the bits as a signed two's
// complement number, unsigned as unsigned; with any x or z bit both print "x" (all z: "z").
// ascii prints 8 bits per character, leading NUL characters dropped. default/noradix is chosen
// by the caller from the object's kind.
#pragma once

#include <string>

namespace OrvexEngine {

enum class Radix { Default, Bin, Oct, Hex, Dec, Unsigned, Ascii };

/// The radix of a shell radix name; throws EngineError naming an unknown name.
Radix parseRadix(const std::string& name);

/// The value of `bits` in `radix` (Default is taken as Hex here).
std::string formatBits(const std::string& bits, Radix radix);
/// A real value, %g-like with up to 15 significant digits.
std::string formatReal(double value);

/// The bits (exactly `width` of them) of a value text in `radix`; longer values lose their
/// upper bits, shorter ones are zero-extended (sign-extended for a negative decimal). Default
/// accepts Verilog-style literals (8'hff, 'b101, 12) and plain decimals. Throws EngineError
/// naming the text when it is not a value in that radix.
std::string parseValue(const std::string& text, Radix radix, int width);

/// A Verilog-style based literal ("4'b1010", "'h1f", "8'd200"); false when `text` is not one.
/// The width is the literal's size, or 32 when it has none.
bool parseBasedLiteral(const std::string& text, std::string& bits);

} // namespace OrvexEngine
