// Activity accumulation and the SAIF 2.0 text.
#include "SaifActivity.h"

#include <cctype>

#include "VcdFormat.h"

namespace OrvexEngine {

namespace {

char stateOf(char c) { return c == '0' || c == '1' ? c : 'x'; }

void addTime(BitActivity& bit, std::uint64_t until) {
    const std::uint64_t span = until > bit.since ? until - bit.since : 0;
    if (bit.state == '0') bit.t0 += span;
    else if (bit.state == '1') bit.t1 += span;
    else bit.tx += span;
    bit.since = until;
}

} // namespace

namespace {
std::uint32_t wordMask(std::size_t word, std::size_t width) {
    const std::size_t used = width - word * 32;
    return used >= 32 ? ~std::uint32_t(0) : (std::uint32_t(1) << used) - 1;
}

char liveChar(std::uint32_t one, std::uint32_t unknown, unsigned bit) {
    if (unknown >> bit & 1) return 'x';
    return (one >> bit & 1) ? '1' : '0';
}
} // namespace

NetActivity::NetActivity(const std::string& bits, std::uint64_t start)
    : bits_(bits.size()), liveOne_((bits.size() + 31) / 32), liveUnknown_(liveOne_.size()),
      stepChanged_(liveOne_.size()) {
    for (std::size_t i = 0; i < bits.size(); ++i) {
        const char s = stateOf(bits[i]);
        bits_[i].state = bits_[i].live = s;
        bits_[i].since = start;
        if (s == '1') liveOne_[i / 32] |= std::uint32_t(1) << (i % 32);
        if (s == 'x') liveUnknown_[i / 32] |= std::uint32_t(1) << (i % 32);
    }
}

void NetActivity::see(std::size_t word, std::uint32_t one, std::uint32_t unknown) {
    const std::uint32_t mask = wordMask(word, bits_.size());
    one &= mask & ~unknown;
    unknown &= mask;
    std::uint32_t diff = (one ^ liveOne_[word]) | (unknown ^ liveUnknown_[word]);
    if (diff == 0) return;
    liveOne_[word] = one;
    liveUnknown_[word] = unknown;
    stepChanged_[word] |= diff;
    while (diff) {
        const unsigned bit = static_cast<unsigned>(__builtin_ctz(diff));
        diff &= diff - 1;
        BitActivity& b = bits_[word * 32 + bit];
        b.live = liveChar(one, unknown, bit);
        ++b.stepChanges;
    }
}

void NetActivity::observe(const VecWord* words) {
    for (std::size_t w = 0; w < liveOne_.size(); ++w) see(w, words[w].aval & ~words[w].bval, words[w].bval);
}

void NetActivity::observe(const std::string& bits) {
    const std::size_t n = bits.size() < bits_.size() ? bits.size() : bits_.size();
    for (std::size_t w = 0; w * 32 < n; ++w) {
        std::uint32_t one = liveOne_[w], unknown = liveUnknown_[w];
        for (std::size_t i = w * 32; i < n && i < w * 32 + 32; ++i) {
            const std::uint32_t bit = std::uint32_t(1) << (i % 32);
            const char s = stateOf(bits[i]);
            one = s == '1' ? one | bit : one & ~bit;
            unknown = s == 'x' ? unknown | bit : unknown & ~bit;
        }
        see(w, one, unknown);
    }
}

void NetActivity::settle(std::uint64_t time) {
    for (std::size_t w = 0; w < stepChanged_.size(); ++w) {
        std::uint32_t changed = stepChanged_[w];
        stepChanged_[w] = 0;
        while (changed) {
            BitActivity& bit = bits_[w * 32 + static_cast<unsigned>(__builtin_ctz(changed))];
            changed &= changed - 1;
            if (bit.live != bit.state) {
                addTime(bit, time);
                if (bit.state != 'x' && bit.live != 'x') ++bit.tc;
                bit.state = bit.live;
            } else {
                ++bit.ig; // left and came back within the step
            }
            bit.stepChanges = 0;
        }
    }
}

void NetActivity::finish(std::uint64_t time) {
    for (BitActivity& bit : bits_) addTime(bit, time);
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
