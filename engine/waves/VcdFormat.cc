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

namespace {

// The eight characters of a byte of 0/1 bits, most significant first.
struct ByteTable {
    char text[256][8];
    ByteTable() {
        for (int b = 0; b < 256; ++b)
            for (int i = 0; i < 8; ++i) text[b][i] = (b >> (7 - i)) & 1 ? '1' : '0';
    }
};

// Writes all `width` bit characters, most significant first, to `out`.
void writeBits(char* out, const VecWord* words, int width) {
    static const ByteTable table;
    int bit = width - 1;
    while (bit >= 0) {
        const VecWord& w = words[bit >> 5];
        // Whole bytes of a word without x or z go through the table.
        if (w.bval == 0 && (bit & 7) == 7) {
            const unsigned byte = (w.aval >> (bit & 31 & ~7)) & 0xff;
            const char* chars = table.text[byte];
            for (int i = 0; i < 8; ++i) *out++ = chars[i];
            bit -= 8;
            continue;
        }
        *out++ = bitChar(words, bit--);
    }
}

} // namespace

void appendVectorBits(std::string& out, const VecWord* words, int width) {
    const std::size_t start = out.size();
    out.resize(start + 1 + static_cast<std::size_t>(width) + 1);
    char* text = &out[start + 1];
    writeBits(text, words, width);
    // Leading bits that the reader restores by extension are dropped: 0s before a 1, and
    // repeats of a leading x or z. A run of 0s before an x or z keeps one 0.
    int first = 0;
    const char lead = text[0];
    if (lead != '1') {
        while (first + 1 < width && text[first + 1] == lead) ++first;
        if (lead == '0' && first + 1 < width && text[first + 1] == '1') ++first;
    }
    out[start] = 'b';
    if (first > 0) out.erase(start + 1, static_cast<std::size_t>(first));
    out.back() = ' ';
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
