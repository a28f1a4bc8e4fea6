// Decimal conversion of wide values (not a test): the time to turn a value of N decimal digits
// into bits and back, for the widths a `put` or a `show value -radix dec` may meet.
//
// Usage: orvex_decimal_bench [digits...]   (default 300000 1000000 3000000)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "DecimalText.h"

int main(int argc, char** argv) {
    using Clock = std::chrono::steady_clock;
    std::vector<long> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::atol(argv[i]));
    if (sizes.empty()) sizes = {300000, 1000000, 3000000};
    for (long digits : sizes) {
        std::string text(static_cast<std::size_t>(digits), '7');
        text[0] = '9';
        std::string bits;
        const auto t0 = Clock::now();
        OrvexEngine::DecimalText::toBits(text, bits);
        const auto t1 = Clock::now();
        const std::string back = OrvexEngine::DecimalText::fromBits(bits);
        const auto t2 = Clock::now();
        std::printf("%9ld digits (%9zu bits): to bits %.3f s, to decimal %.3f s%s\n", digits,
                    bits.size(), std::chrono::duration<double>(t1 - t0).count(),
                    std::chrono::duration<double>(t2 - t1).count(),
                    back == text ? "" : "  MISMATCH");
    }
    return 0;
}
