// Decimal conversion of wide values through GMP (see DecimalText.h for why).
#include "DecimalText.h"

#include <gmp.h>

#include <cstdint>
#include <vector>

namespace OrvexEngine {
namespace DecimalText {

namespace {

/// An mpz_t that clears itself.
struct Number {
    mpz_t value;
    Number() { mpz_init(value); }
    ~Number() { mpz_clear(value); }
    Number(const Number&) = delete;
    Number& operator=(const Number&) = delete;
};

} // namespace

std::string fromBits(const std::string& bits) {
    if (bits.empty()) return "0";
    // 64 bits per word, least significant word first.
    std::vector<std::uint64_t> words((bits.size() + 63) / 64, 0);
    const std::size_t size = bits.size();
    for (std::size_t i = 0; i < size; ++i)
        if (bits[size - 1 - i] == '1') words[i / 64] |= std::uint64_t(1) << (i % 64);
    Number number;
    mpz_import(number.value, words.size(), -1, sizeof(std::uint64_t), 0, 0, words.data());
    std::string out(mpz_sizeinbase(number.value, 10) + 2, '\0');
    mpz_get_str(&out[0], 10, number.value);
    out.resize(std::char_traits<char>::length(out.c_str()));
    return out;
}

bool toBits(const std::string& digits, std::string& bits) {
    std::string clean;
    clean.reserve(digits.size());
    for (char c : digits) {
        if (c == '_') continue;
        if (c < '0' || c > '9') return false;
        clean += c;
    }
    if (clean.empty()) return false;
    Number number;
    if (mpz_set_str(number.value, clean.c_str(), 10) != 0) return false;
    bits.clear();
    const std::size_t width = mpz_sizeinbase(number.value, 2);
    if (mpz_sgn(number.value) == 0) {
        bits = "0";
        return true;
    }
    std::vector<std::uint64_t> words((width + 63) / 64, 0);
    std::size_t count = 0;
    mpz_export(words.data(), &count, -1, sizeof(std::uint64_t), 0, 0, number.value);
    bits.assign(width, '0');
    for (std::size_t i = 0; i < width; ++i)
        if ((words[i / 64] >> (i % 64)) & 1) bits[width - 1 - i] = '1';
    return true;
}

} // namespace DecimalText
} // namespace OrvexEngine
