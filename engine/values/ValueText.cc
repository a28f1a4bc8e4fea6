// Formatting and parsing of bit strings in the shell's radixes, with arbitrary widths.
#include "ValueText.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <vector>

#include "DecimalText.h"
#include "EngineCommands.h"

namespace OrvexEngine {

namespace {
bool hasUnknown(const std::string& bits) { return bits.find_first_of("xXzZ") != std::string::npos; }

/// Groups of `per` bits from the right, each as one digit.
std::string formatGrouped(const std::string& bits, int per) {
    static const char digits[] = "0123456789abcdef";
    if (bits.empty()) return "0";
    const std::size_t count = (bits.size() + per - 1) / per;
    std::string out(count, '0');
    std::size_t end = bits.size();
    for (std::size_t digit = count; digit-- > 0;) {
        const std::size_t start = end >= static_cast<std::size_t>(per) ? end - per : 0;
        int x = 0, z = 0, value = 0;
        for (std::size_t i = start; i < end; ++i) {
            const char c = bits[i];
            value <<= 1;
            if (c == '1') value |= 1;
            else if (c == 'x' || c == 'X') ++x;
            else if (c == 'z' || c == 'Z') ++z;
        }
        const int n = static_cast<int>(end - start);
        if (x == n) out[digit] = 'x';
        else if (z == n) out[digit] = 'z';
        else if (x > 0) out[digit] = 'X';
        else if (z > 0) out[digit] = 'Z';
        else out[digit] = digits[value];
        end = start;
    }
    return out;
}

/// Unsigned decimal of a 0/1 string.
std::string toDecimal(const std::string& bits) { return DecimalText::fromBits(bits); }

std::string negate(const std::string& bits) {
    std::string out = bits;
    for (char& c : out) c = c == '1' ? '0' : '1';
    for (int i = static_cast<int>(out.size()) - 1; i >= 0; --i) {
        if (out[i] == '0') { out[i] = '1'; break; }
        out[i] = '0';
    }
    return out;
}

std::string fitWidth(const std::string& bits, int width, char fill) {
    if (static_cast<int>(bits.size()) >= width) return bits.substr(bits.size() - width);
    // An unknown top digit extends as unknown, as Verilog literals do.
    char pad = bits.empty() ? '0' : (bits[0] == 'x' || bits[0] == 'z' ? bits[0] : fill);
    return std::string(width - bits.size(), pad) + bits;
}

[[noreturn]] void badValue(const std::string& text, const char* radix) {
    throw EngineError("bad value \"" + text + "\" for radix " + radix);
}

/// Digits of a power-of-two radix to bits; false on a bad digit.
bool digitsToBits(const std::string& digits, int per, std::string& bits) {
    bits.clear();
    for (char c : digits) {
        if (c == '_') continue;
        char l = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (l == 'x' || l == 'z' || l == '?') {
            bits.append(per, l == '?' ? 'z' : l);
            continue;
        }
        int v;
        if (l >= '0' && l <= '9') v = l - '0';
        else if (l >= 'a' && l <= 'f') v = l - 'a' + 10;
        else return false;
        if (v >= (1 << per)) return false;
        for (int b = per - 1; b >= 0; --b) bits += (v >> b) & 1 ? '1' : '0';
    }
    return !digits.empty() && !bits.empty();
}

/// Decimal digits to bits; false on a bad digit.
bool decimalToBits(const std::string& digits, std::string& bits) {
    return DecimalText::toBits(digits, bits);
}

bool plainDecimal(const std::string& text, int width, std::string& bits) {
    bool negative = !text.empty() && text[0] == '-';
    std::string digits = negative || (!text.empty() && text[0] == '+') ? text.substr(1) : text;
    if (!decimalToBits(digits, bits)) return false;
    bits = fitWidth("0" + bits, std::max(width, static_cast<int>(bits.size()) + 1), '0');
    if (negative) bits = negate(bits);
    bits = fitWidth(bits, width, negative ? '1' : '0');
    return true;
}
} // namespace

Radix parseRadix(const std::string& name) {
    if (name == "default" || name == "noradix" || name.empty()) return Radix::Default;
    if (name == "bin") return Radix::Bin;
    if (name == "oct") return Radix::Oct;
    if (name == "hex") return Radix::Hex;
    if (name == "dec") return Radix::Dec;
    if (name == "unsigned") return Radix::Unsigned;
    if (name == "ascii") return Radix::Ascii;
    throw EngineError("unknown radix \"" + name + "\"");
}

std::string formatBits(const std::string& bits, Radix radix) {
    switch (radix) {
    case Radix::Bin: return bits.empty() ? "0" : bits;
    case Radix::Oct: return formatGrouped(bits, 3);
    case Radix::Default:
    case Radix::Hex: return formatGrouped(bits, 4);
    case Radix::Dec:
    case Radix::Unsigned: {
        if (hasUnknown(bits))
            return bits.find_first_not_of("zZ") == std::string::npos ? "z" : "x";
        if (bits.empty()) return "0";
        if (radix == Radix::Dec && bits[0] == '1') return "-" + toDecimal(negate(bits));
        return toDecimal(bits);
    }
    case Radix::Ascii: {
        std::string out;
        std::string padded = fitWidth(bits, static_cast<int>((bits.size() + 7) / 8 * 8), '0');
        for (std::size_t i = 0; i < padded.size(); i += 8) {
            std::string byte = padded.substr(i, 8);
            if (hasUnknown(byte)) { out += '?'; continue; }
            int v = std::stoi(byte, nullptr, 2);
            if (v == 0 && out.empty()) continue;
            out += static_cast<char>(v);
        }
        return out;
    }
    }
    return bits;
}

std::string formatReal(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

bool parseBasedLiteral(const std::string& text, std::string& bits) {
    std::size_t quote = text.find('\'');
    if (quote == std::string::npos || quote + 2 > text.size()) return false;
    int width = 32;
    if (quote > 0) {
        std::string size = text.substr(0, quote);
        if (size.find_first_not_of("0123456789") != std::string::npos || size.size() > 6) return false;
        width = std::stoi(size);
        if (width < 1) return false;
    }
    std::size_t pos = quote + 1;
    if (pos < text.size() && (text[pos] == 's' || text[pos] == 'S')) ++pos;
    if (pos >= text.size()) return false;
    char base = static_cast<char>(std::tolower(static_cast<unsigned char>(text[pos])));
    std::string digits = text.substr(pos + 1);
    bool ok;
    switch (base) {
    case 'b': ok = digitsToBits(digits, 1, bits); break;
    case 'o': ok = digitsToBits(digits, 3, bits); break;
    case 'h': ok = digitsToBits(digits, 4, bits); break;
    case 'd': ok = decimalToBits(digits, bits); break;
    default: return false;
    }
    if (!ok) return false;
    bits = fitWidth(bits, width, '0');
    return true;
}

std::string parseValue(const std::string& text, Radix radix, int width) {
    if (width < 1) width = 1;
    std::string bits;
    switch (radix) {
    case Radix::Bin:
        if (!digitsToBits(text, 1, bits)) badValue(text, "bin");
        return fitWidth(bits, width, '0');
    case Radix::Oct:
        if (!digitsToBits(text, 3, bits)) badValue(text, "oct");
        return fitWidth(bits, width, '0');
    case Radix::Hex:
        if (!digitsToBits(text, 4, bits)) badValue(text, "hex");
        return fitWidth(bits, width, '0');
    case Radix::Dec:
    case Radix::Unsigned:
        if (!plainDecimal(text, width, bits)) badValue(text, radix == Radix::Dec ? "dec" : "unsigned");
        return bits;
    case Radix::Ascii:
        if (text.empty()) badValue(text, "ascii");
        for (unsigned char c : text)
            for (int b = 7; b >= 0; --b) bits += (c >> b) & 1 ? '1' : '0';
        return fitWidth(bits, width, '0');
    case Radix::Default:
        if (parseBasedLiteral(text, bits)) return fitWidth(bits, width, '0');
        if (plainDecimal(text, width, bits)) return bits;
        badValue(text, "default");
    }
    badValue(text, "default");
}

} // namespace OrvexEngine
