// Identifier codes and value texts of a VCD file.
#include "VcdFormat.h"

#include <cstdio>

namespace OrvexEngine {

std::string vcdIdentifier(std::uint64_t n) {
    // Base 94 with the lowest digit first; a longer code always has a non-zero top digit, so
    // codes of different numbers never coincide.
    std::string code;
    do {
        code += static_cast<char>('!' + n % 94);
        n /= 94;
    } while (n > 0);
    return code;
}

char bitChar(const VecWord* words, int bit) {
    const VecWord& w = words[bit >> 5];
    const std::uint32_t mask = 1u << (bit & 31);
    const int a = (w.aval & mask) ? 1 : 0;
    const int b = (w.bval & mask) ? 2 : 0;
    static const char chars[4] = {'0', '1', 'z', 'x'};
    return chars[a | b];
}

void appendVectorBits(std::string& out, const VecWord* words, int width) {
    out += 'b';
    int bit = width - 1;
    // Skip leading bits that the reader restores by extension.
    const char lead = bit >= 0 ? bitChar(words, bit) : '0';
    if (lead != '1') {
        while (bit > 0 && bitChar(words, bit - 1) == lead) --bit;
        // A run of 0s before an x or z must keep one 0, or the reader would extend the x/z.
        if (lead == '0' && bit > 0) {
            --bit;
            if (bitChar(words, bit) != '1') ++bit;
        }
    }
    for (; bit >= 0; --bit) out += bitChar(words, bit);
    out += ' ';
}

void appendReal(std::string& out, double value) {
    char buf[40];
    const int n = std::snprintf(buf, sizeof buf, "r%.16g ", value);
    out.append(buf, static_cast<std::size_t>(n));
}

void appendDecimal(std::string& out, std::uint64_t value) {
    char buf[24];
    int n = 0;
    do {
        buf[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value);
    while (n > 0) out += buf[--n];
}

std::string timescaleText(int precision) {
    static const char* const units[] = {"fs", "ps", "ns", "us", "ms", "s"};
    if (precision < -15) precision = -15;
    if (precision > 2) precision = 2;
    const int shifted = precision + 15;
    int unit = shifted / 3;
    int digits = shifted % 3;
    if (unit > 5) { digits += (unit - 5) * 3; unit = 5; }
    std::string text = "1";
    text.append(static_cast<std::size_t>(digits), '0');
    return text + units[unit];
}

} // namespace OrvexEngine
