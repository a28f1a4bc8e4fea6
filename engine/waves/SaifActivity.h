// Switching activity of nets for SAIF 2.0 files: time spent at 0, 1 and x (z counts as x), the
// count of 0-1 and 1-0 transitions, and zero-width glitches (a bit that changes and comes back
// within one time step). Free of VPI; the SAIF monitor feeds it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace OrvexEngine {

struct VecWord;

/// The counts of one bit over a whole monitoring period.
struct BitActivity {
    std::uint64_t t0 = 0, t1 = 0, tx = 0; // time at each state, in ticks
    std::uint64_t tc = 0;                 // 0-1 and 1-0 transitions
    std::uint64_t ig = 0;                 // glitches inside one time step
};

/// The activity of all the nets one SAIF file follows, from a common start time. Laid out so a
/// change touches few cache lines: a net's latest value, its settled value and its bits changed
/// in the current step are one record per 32 bits, all nets' records in one array in the order
/// the nets were added; the per-bit counters sit in arrays of their own, touched only when a
/// step is settled and only for bits that changed. Values are compared a word at a time.
class ActivityCounts {
public:
    explicit ActivityCounts(std::uint64_t start = 0) : start_(start) {}
    /// Adds a net whose value at the start is `bits` (least significant first: '0', '1', 'x',
    /// 'z'); nets are numbered from 0 in the order added.
    std::size_t add(const std::string& bits);
    /// A value of net `net` seen during the current time step, as VPI vector words (s_vpi_vecval
    /// layout, one word pair per 32 bits).
    void observe(std::size_t net, const VecWord* words);
    /// The same as a bit string, least significant first.
    void observe(std::size_t net, const std::string& bits);
    /// The end of the time step at `time`: settles the nets changed in it, counting transitions
    /// and glitches (bits that changed and came back).
    void settle(std::uint64_t time);
    /// The counts of net `net`'s bits, least significant first, with the time up to `time` added
    /// (the last step settled before).
    std::vector<BitActivity> bits(std::size_t net, std::uint64_t time) const;

private:
    struct Word {
        std::uint32_t liveOne = 0, liveUnknown = 0;   // the latest value
        std::uint32_t changed = 0;                    // bits changed during the current step
        std::uint32_t stateOne = 0, stateUnknown = 0; // the value settled at the last step
    };
    struct Net {
        std::uint32_t word = 0;  // its first record in `words_`
        std::uint32_t bit = 0;   // its first bit in the counter arrays
        std::uint32_t width = 0;
        std::uint32_t dirty = 0; // changed in the current step (on `dirty_`)
    };
    // Time at 1 (and at x) is kept as the sum of the times each stay ended minus the times each
    // began, so a change adds to one counter and no entry time is kept per bit.
    // Packed to twelve bytes: the counters a 0-1 change touches, five bits to a cache line.
    struct __attribute__((packed)) Toggles {
        std::uint64_t t1 = 0;
        std::uint32_t tc = 0; // transitions, less those carried into `Rare::tcCarried`
    };
    struct Rare {
        std::uint64_t tx = 0, ig = 0;
        std::uint64_t tcCarried = 0;
    };

    /// Takes `one` and `unknown` (bits under `mask`) as the latest value of `w`; the bits changed.
    std::uint32_t see(Word& w, std::uint32_t mask, std::uint32_t one, std::uint32_t unknown);
    /// Puts a net changed for the first time in the step on the list of those to settle.
    void noteChanged(Net& net, std::size_t index);
    /// Settles one word whose first bit is counter `first`.
    void settleWord(Word& word, std::size_t first, std::uint64_t time);

    std::uint64_t start_;
    std::vector<Net> nets_;
    std::vector<Word> words_;
    std::vector<Toggles> toggles_;
    std::vector<Rare> rare_;
    std::vector<std::uint32_t> dirty_;
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
