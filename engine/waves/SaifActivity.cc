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

void ActivityCounts::see(Net& net, std::size_t word, std::uint32_t one, std::uint32_t unknown, bool& changed) {
    Word& w = words_[net.word + word];
    const std::uint32_t mask = wordMask(word, net.width);
    unknown &= mask;
    one &= mask & ~unknown;
    const std::uint32_t diff = (one ^ w.liveOne) | (unknown ^ w.liveUnknown);
    if (diff == 0) return;
    w.liveOne = one;
    w.liveUnknown = unknown;
    w.changed |= diff;
    changed = true;
}

void ActivityCounts::observe(std::size_t index, const VecWord* words) {
    Net& net = nets_[index];
    bool changed = false;
    for (std::size_t w = 0; w * 32 < net.width; ++w) see(net, w, words[w].aval, words[w].bval, changed);
    if (changed && !net.dirty) {
        net.dirty = 1;
        dirty_.push_back(static_cast<std::uint32_t>(index));
    }
}

void ActivityCounts::observe(std::size_t index, const std::string& bits) {
    Net& net = nets_[index];
    bool changed = false;
    for (std::size_t w = 0; w * 32 < net.width; ++w) {
        // Bits past the end of a short string keep their value.
        const Word& live = words_[net.word + w];
        const std::uint32_t given = bits.size() <= w * 32 ? 0 : wordMask(w, bits.size() < net.width ? bits.size() : net.width);
        std::uint32_t one, unknown;
        wordOf(bits, w * 32, net.width, one, unknown);
        see(net, w, (one & given) | (live.liveOne & ~given), (unknown & given) | (live.liveUnknown & ~given), changed);
    }
    if (changed && !net.dirty) {
        net.dirty = 1;
        dirty_.push_back(static_cast<std::uint32_t>(index));
    }
}

inline void ActivityCounts::toggle(std::size_t bit, std::uint64_t t1Change) {
    Toggles& t = toggles_[bit];
    t.t1 += t1Change;
    if (++t.tc == 0) rare_[bit].tcCarried += std::uint64_t(1) << 32;
}

void ActivityCounts::settle(std::uint64_t time) {
    for (std::uint32_t index : dirty_) {
        Net& net = nets_[index];
        net.dirty = 0;
        for (std::size_t w = 0; w * 32 < net.width; ++w) {
            Word& word = words_[net.word + w];
            const std::uint32_t changed = word.changed;
            if (!changed) continue;
            word.changed = 0;
            const std::uint32_t moved =
                changed & ((word.liveOne ^ word.stateOne) | (word.liveUnknown ^ word.stateUnknown));
            const std::size_t first = net.bit + w * 32;
            for (std::uint32_t glitched = changed & ~moved; glitched; glitched &= glitched - 1)
                ++rare_[first + static_cast<unsigned>(__builtin_ctz(glitched))].ig;
            // Between 0 and 1: a transition, and a stay at 1 begins or ends.
            const std::uint32_t known = ~word.stateUnknown & ~word.liveUnknown;
            const std::uint32_t toggled = moved & known;
            for (std::uint32_t bits = toggled & word.liveOne; bits; bits &= bits - 1)
                toggle(first + static_cast<unsigned>(__builtin_ctz(bits)), 0 - time);
            for (std::uint32_t bits = toggled & ~word.liveOne; bits; bits &= bits - 1)
                toggle(first + static_cast<unsigned>(__builtin_ctz(bits)), time);
            // To or from x: a stay at x begins or ends, and one at 1 may.
            for (std::uint32_t bits = moved & ~known; bits; bits &= bits - 1) {
                const std::uint32_t bit = bits & -bits;
                const std::size_t at = first + static_cast<unsigned>(__builtin_ctz(bits));
                if (word.stateUnknown & bit) rare_[at].tx += time;
                else if (word.stateOne & bit) toggles_[at].t1 += time;
                if (word.liveUnknown & bit) rare_[at].tx -= time;
                else if (word.liveOne & bit) toggles_[at].t1 -= time;
            }
            word.stateOne = word.liveOne;
            word.stateUnknown = word.liveUnknown;
        }
    }
    dirty_.clear();
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
