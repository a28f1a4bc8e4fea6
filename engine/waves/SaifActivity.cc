// Activity accumulation and the SAIF 2.0 text.
#include "SaifActivity.h"

#include <cctype>

#include "VcdFormat.h"

namespace OrvexEngine {

namespace {

std::uint32_t wordMask(std::size_t word, std::size_t width) {
    const std::size_t used = width - word * 32;
    return used >= 32 ? ~std::uint32_t(0) : (std::uint32_t(1) << used) - 1;
}

// Bits `from`..`from + 31` of a bit string as known ones and unknown bits (x and z).
void wordOf(const std::string& bits, std::size_t from, std::size_t width, std::uint32_t& one, std::uint32_t& unknown) {
    one = unknown = 0;
    const std::size_t end = bits.size() < width ? bits.size() : width;
    for (std::size_t i = from; i < end && i < from + 32; ++i) {
        const std::uint32_t bit = std::uint32_t(1) << (i - from);
        if (bits[i] == '1') one |= bit;
        else if (bits[i] != '0') unknown |= bit;
    }
}

} // namespace

std::size_t ActivityCounts::add(const std::string& bits) {
    Net net;
    net.word = static_cast<std::uint32_t>(words_.size());
    net.bit = static_cast<std::uint32_t>(toggles_.size());
    net.width = static_cast<std::uint32_t>(bits.size());
    for (std::size_t w = 0; w * 32 < bits.size(); ++w) {
        Word word;
        wordOf(bits, w * 32, bits.size(), word.liveOne, word.liveUnknown);
        word.stateOne = word.liveOne;
        word.stateUnknown = word.liveUnknown;
        words_.push_back(word);
    }
    toggles_.resize(toggles_.size() + bits.size());
    rare_.resize(rare_.size() + bits.size());
    for (std::size_t i = 0; i < bits.size(); ++i) {
        // Entered its state at the start.
        if (bits[i] == '1') toggles_[net.bit + i].t1 = 0 - start_;
        else if (bits[i] != '0') rare_[net.bit + i].tx = 0 - start_;
    }
    nets_.push_back(net);
    return nets_.size() - 1;
}

inline std::uint32_t ActivityCounts::see(Word& w, std::uint32_t mask, std::uint32_t one, std::uint32_t unknown) {
    unknown &= mask;
    one &= mask & ~unknown;
    const std::uint32_t diff = (one ^ w.liveOne) | (unknown ^ w.liveUnknown);
    w.liveOne = one;
    w.liveUnknown = unknown;
    w.changed |= diff;
    return diff;
}

// Out of line: the first change of a net in a step only, and it keeps the common path short.
__attribute__((noinline)) void ActivityCounts::noteChanged(Net& net, std::size_t index) {
    net.dirty = 1;
    dirty_.push_back(static_cast<std::uint32_t>(index));
}

void ActivityCounts::observe(std::size_t index, const VecWord* words) {
    Net& net = nets_[index];
    Word* const w = words_.data() + net.word;
    std::uint32_t diff;
    if (net.width <= 32) {
        diff = see(*w, wordMask(0, net.width), words[0].aval, words[0].bval);
    } else {
        const std::size_t last = (net.width - 1) / 32;
        diff = see(w[last], wordMask(last, net.width), words[last].aval, words[last].bval);
        for (std::size_t i = 0; i < last; ++i) diff |= see(w[i], ~std::uint32_t(0), words[i].aval, words[i].bval);
    }
    if (diff && !net.dirty) noteChanged(net, index);
}

void ActivityCounts::observe(std::size_t index, const std::string& bits) {
    Net& net = nets_[index];
    std::uint32_t diff = 0;
    for (std::size_t w = 0; w * 32 < net.width; ++w) {
        // Bits past the end of a short string keep their value.
        Word& live = words_[net.word + w];
        const std::uint32_t given = bits.size() <= w * 32 ? 0 : wordMask(w, bits.size() < net.width ? bits.size() : net.width);
        std::uint32_t one, unknown;
        wordOf(bits, w * 32, net.width, one, unknown);
        diff |= see(live, wordMask(w, net.width), (one & given) | (live.liveOne & ~given),
                    (unknown & given) | (live.liveUnknown & ~given));
    }
    if (diff && !net.dirty) noteChanged(net, index);
}

void ActivityCounts::settle(std::uint64_t time) {
    Word* const words = words_.data();
    for (std::uint32_t index : dirty_) {
        Net& net = nets_[index];
        net.dirty = 0;
        const std::size_t count = (net.width + 31) / 32;
        for (std::size_t w = 0; w < count; ++w)
            if (words[net.word + w].changed) settleWord(words[net.word + w], net.bit + w * 32, time);
    }
    dirty_.clear();
}

void ActivityCounts::settleWord(Word& word, std::size_t first, std::uint64_t time) {
    Toggles* const toggles = toggles_.data() + first;
    Rare* const rare = rare_.data() + first;
    const std::uint32_t changed = word.changed;
    word.changed = 0;
    const std::uint32_t moved = changed & ((word.liveOne ^ word.stateOne) | (word.liveUnknown ^ word.stateUnknown));
    for (std::uint32_t glitched = changed & ~moved; glitched; glitched &= glitched - 1)
        ++rare[__builtin_ctz(glitched)].ig;
    // Between 0 and 1: a transition, and a stay at 1 begins or ends.
    const std::uint32_t known = ~word.stateUnknown & ~word.liveUnknown;
    const std::uint32_t toggled = moved & known;
    for (std::uint32_t bits = toggled & word.liveOne; bits; bits &= bits - 1) {
        const unsigned at = static_cast<unsigned>(__builtin_ctz(bits));
        toggles[at].t1 -= time;
        if (++toggles[at].tc == 0) rare[at].tcCarried += std::uint64_t(1) << 32;
    }
    for (std::uint32_t bits = toggled & ~word.liveOne; bits; bits &= bits - 1) {
        const unsigned at = static_cast<unsigned>(__builtin_ctz(bits));
        toggles[at].t1 += time;
        if (++toggles[at].tc == 0) rare[at].tcCarried += std::uint64_t(1) << 32;
    }
    // To or from x: a stay at x begins or ends, and one at 1 may.
    for (std::uint32_t bits = moved & ~known; bits; bits &= bits - 1) {
        const std::uint32_t bit = bits & -bits;
        const unsigned at = static_cast<unsigned>(__builtin_ctz(bits));
        if (word.stateUnknown & bit) rare[at].tx += time;
        else if (word.stateOne & bit) toggles[at].t1 += time;
        if (word.liveUnknown & bit) rare[at].tx -= time;
        else if (word.liveOne & bit) toggles[at].t1 -= time;
    }
    word.stateOne = word.liveOne;
    word.stateUnknown = word.liveUnknown;
}

std::vector<BitActivity> ActivityCounts::bits(std::size_t index, std::uint64_t time) const {
    const Net& net = nets_[index];
    std::vector<BitActivity> out(net.width);
    for (std::size_t i = 0; i < net.width; ++i) {
        const Word& word = words_[net.word + i / 32];
        const std::uint32_t bit = std::uint32_t(1) << (i % 32);
        const Toggles& t = toggles_[net.bit + i];
        const Rare& u = rare_[net.bit + i];
        BitActivity& b = out[i];
        b.t1 = t.t1 + ((word.stateOne & bit) ? time : 0);
        b.tx = u.tx + ((word.stateUnknown & bit) ? time : 0);
        b.t0 = (time - start_) - b.t1 - b.tx;
        b.tc = u.tcCarried + t.tc;
        b.ig = u.ig;
    }
    return out;
}

std::string saifName(const std::string& name) {
    std::string out;
    for (unsigned char c : name) {
        if (!std::isalnum(c) && c != '_') out += '\\';
        out += static_cast<char>(c);
    }
    return out;
}

namespace {

void indent(std::string& out, int depth) { out.append(static_cast<std::size_t>(depth) * 2, ' '); }

void field(std::string& out, const char* name, std::uint64_t value) {
    out += " (";
    out += name;
    out += ' ';
    appendDecimal(out, value);
    out += ')';
}

void writeBit(std::string& out, const std::string& name, const BitActivity& bit, int depth) {
    indent(out, depth);
    out += '(';
    out += name;
    out += '\n';
    indent(out, depth + 1);
    field(out, "T0", bit.t0);
    field(out, "T1", bit.t1);
    field(out, "TX", bit.tx);
    out += '\n';
    indent(out, depth + 1);
    field(out, "TC", bit.tc);
    field(out, "IG", bit.ig);
    out += '\n';
    indent(out, depth);
    out += ")\n";
}

void writeInstance(std::string& out, const SaifInstance& inst, int depth) {
    indent(out, depth);
    out += "(INSTANCE " + saifName(inst.name) + "\n";
    if (!inst.nets.empty()) {
        indent(out, depth + 1);
        out += "(NET\n";
        for (const SaifNet& net : inst.nets) {
            if (!net.vector) {
                if (!net.bits.empty()) writeBit(out, saifName(net.name), net.bits[0], depth + 2);
                continue;
            }
            // Bits from the left index to the right one, as declared.
            const int step = net.msb >= net.lsb ? -1 : 1;
            for (int index = net.msb;; index += step) {
                const std::size_t bit = static_cast<std::size_t>(net.msb >= net.lsb ? index - net.lsb : net.lsb - index);
                if (bit < net.bits.size())
                    writeBit(out, saifName(net.name + "[" + std::to_string(index) + "]"), net.bits[bit], depth + 2);
                if (index == net.lsb) break;
            }
        }
        indent(out, depth + 1);
        out += ")\n";
    }
    for (const SaifInstance& child : inst.children) writeInstance(out, child, depth + 1);
    indent(out, depth);
    out += ")\n";
}

} // namespace

std::string saifText(const SaifHeader& header, const SaifInstance& top) {
    std::string scale = timescaleText(header.precision);
    std::size_t digits = 0;
    while (digits < scale.size() && std::isdigit(static_cast<unsigned char>(scale[digits]))) ++digits;
    std::string out = "(SAIFILE\n(SAIFVERSION \"2.0\")\n(DIRECTION \"backward\")\n";
    out += "(DESIGN \"" + header.design + "\")\n";
    out += "(DATE \"" + header.date + "\")\n";
    out += "(VENDOR \"Orvex\")\n(PROGRAM_NAME \"Orvex\")\n";
    out += "(VERSION \"" + header.version + "\")\n";
    out += "(DIVIDER / )\n";
    out += "(TIMESCALE " + scale.substr(0, digits) + " " + scale.substr(digits) + ")\n";
    out += "(DURATION ";
    appendDecimal(out, header.duration);
    out += ")\n";
    writeInstance(out, top, 0);
    out += ")\n";
    return out;
}

} // namespace OrvexEngine
