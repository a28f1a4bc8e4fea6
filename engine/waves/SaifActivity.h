// Switching activity of nets for SAIF 2.0 files: time spent at 0, 1 and x (z counts as x), the
// count of 0-1 and 1-0 transitions, and zero-width glitches (a bit that changes and comes back
// within one time step). Free of VPI; the SAIF monitor feeds it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace OrvexEngine {

struct VecWord;

struct BitActivity {
    std::uint64_t t0 = 0, t1 = 0, tx = 0; // time at each state, in ticks
    std::uint64_t tc = 0;                 // 0-1 and 1-0 transitions
    std::uint64_t ig = 0;                 // glitches inside one time step
    char state = 'x';                     // settled state: '0', '1' or 'x'
    char live = 'x';                      // latest state seen during the current step
    std::uint32_t stepChanges = 0;        // changes seen during the current step
    std::uint64_t since = 0;              // when `state` was entered
};

/// The activity of one net of `width` bits. Values are compared a 32-bit word at a time, so a
/// change costs work only for the bits that changed.
class NetActivity {
public:
    /// `bits` gives the value at `start`, least significant bit first ('0', '1', 'x', 'z').
    NetActivity(const std::string& bits, std::uint64_t start);
    /// A value seen during the current time step (least significant bit first).
    void observe(const std::string& bits);
    /// The same as VPI vector words (s_vpi_vecval layout), one word per 32 bits.
    void observe(const VecWord* words);
    /// The end of the time step at `time`: settles each changed bit and counts transitions.
    void settle(std::uint64_t time);
    /// Adds the time up to `time` to the current states (at the end of monitoring).
    void finish(std::uint64_t time);
    const std::vector<BitActivity>& bits() const { return bits_; }

private:
    /// Word `word` now holds known ones `one` and unknown bits `unknown`.
    void see(std::size_t word, std::uint32_t one, std::uint32_t unknown);

    std::vector<BitActivity> bits_;
    std::vector<std::uint32_t> liveOne_, liveUnknown_; // the latest value, a word per 32 bits
    std::vector<std::uint32_t> stepChanged_;           // bits changed during the current step
};

struct SaifNet {
    std::string name;
    bool vector = false;
    int msb = 0, lsb = 0;
    std::vector<BitActivity> bits; // least significant first
};

struct SaifInstance {
    std::string name;
    std::vector<SaifNet> nets;
    std::vector<SaifInstance> children;
};

struct SaifHeader {
    std::string design;
    std::string date;
    std::string version;
    int precision = -12;
    std::uint64_t duration = 0;
};

/// A SAIF identifier: characters other than letters, digits and '_' are escaped with '\'.
std::string saifName(const std::string& name);
/// The whole SAIF 2.0 file for the instance tree `top` (the outermost instance first).
std::string saifText(const SaifHeader& header, const SaifInstance& top);

} // namespace OrvexEngine
