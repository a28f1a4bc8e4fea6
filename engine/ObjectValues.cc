// Design values through VPI: path suffixes, bit strings, memories and reals.
#include "ObjectValues.h"

#include <cstdlib>
#include <vector>

#include "EngineCommands.h"
#include "EngineCore.h"
#include "Numbers.h"

namespace OrvexEngine {

namespace {
struct Suffix {
    bool range;
    std::int64_t left, right;
};

/// Splits "/tb/x[3][7:0]" into "/tb/x" and its bracket groups.
std::string splitSuffixes(const std::string& path, std::vector<Suffix>& suffixes) {
    std::string base = path;
    std::vector<std::string> groups;
    while (!base.empty() && base.back() == ']') {
        std::size_t open = base.rfind('[');
        if (open == std::string::npos) throw EngineError("bad index in \"" + path + "\"");
        groups.insert(groups.begin(), base.substr(open + 1, base.size() - open - 2));
        base.erase(open);
    }
    // A generate scope such as /tb/g[1]/x keeps its brackets: they are not at the end.
    for (const auto& group : groups) {
        std::size_t colon = group.find(':');
        Suffix s{};
        s.range = colon != std::string::npos;
        s.left = parseInteger(s.range ? group.substr(0, colon) : group, "index");
        s.right = s.range ? parseInteger(group.substr(colon + 1), "index") : s.left;
        suffixes.push_back(s);
    }
    return base;
}

int intProperty(vpiHandle object, int property) {
    vpiHandle range = vpi_handle(property, object);
    if (!range) return 0;
    s_vpi_value v{};
    v.format = vpiIntVal;
    vpi_get_value(range, &v);
    return v.value.integer;
}

std::string fullBits(vpiHandle object) {
    s_vpi_value v{};
    v.format = vpiBinStrVal;
    vpi_get_value(object, &v);
    if (v.format != vpiBinStrVal || !v.value.str) return "";
    return v.value.str;
}

Radix defaultRadix(vpiHandle object, int width) {
    switch (vpi_get(vpiType, object)) {
    case vpiIntegerVar: return Radix::Dec;
    case vpiTimeVar: return Radix::Unsigned;
    default: break;
    }
    return width == 1 ? Radix::Bin : Radix::Hex;
}
} // namespace

bool isMemory(vpiHandle object) {
    int type = vpi_get(vpiType, object);
    return type == vpiMemory || type == vpiRegArray || type == vpiNetArray;
}

bool isReal(vpiHandle object) {
    int type = vpi_get(vpiType, object);
    if (type == vpiRealVar) return true;
    if (type == vpiParameter || type == vpiConstant) return vpi_get(vpiConstType, object) == vpiRealConst;
    return false;
}

bool isDataObject(vpiHandle object) {
    switch (vpi_get(vpiType, object)) {
    case vpiNet: case vpiReg: case vpiIntegerVar: case vpiRealVar: case vpiTimeVar:
    case vpiParameter: case vpiMemory: case vpiRegArray: case vpiNetArray: case vpiMemoryWord:
    case vpiNamedEvent:
        return true;
    default:
        return false;
    }
}

ValueTarget resolveValuePath(const std::string& path) {
    std::vector<Suffix> suffixes;
    ValueTarget target;
    target.path = path;
    std::string base = splitSuffixes(path, suffixes);
    target.object = lookupPath(base);
    if (!target.object && !suffixes.empty()) {
        // The last bracket group may belong to the name (a generate scope): try it whole.
        target.object = lookupPath(path);
        suffixes.clear();
    }
    if (!target.object || !isDataObject(target.object)) throw EngineError("unknown path \"" + path + "\"");
    std::size_t next = 0;
    if (isMemory(target.object)) {
        if (next < suffixes.size()) {
            if (suffixes[next].range) throw EngineError("a memory takes a word index, not a range: \"" + path + "\"");
            vpiHandle word = vpi_handle_by_index(target.object, static_cast<PLI_INT32>(suffixes[next].left));
            if (!word) throw EngineError("index out of range in \"" + path + "\"");
            target.object = word;
            ++next;
        } else if (!suffixes.empty()) {
            throw EngineError("bad index in \"" + path + "\"");
        }
    }
    if (next < suffixes.size()) {
        if (next + 1 != suffixes.size() || isMemory(target.object) || isReal(target.object))
            throw EngineError("bad index in \"" + path + "\"");
        int width = vpi_get(vpiSize, target.object);
        int msb = intProperty(target.object, vpiLeftRange);
        int lsb = intProperty(target.object, vpiRightRange);
        if (vpi_get(vpiType, target.object) == vpiIntegerVar) { msb = width - 1; lsb = 0; }
        auto position = [&](std::int64_t bit) -> int {
            std::int64_t pos = msb >= lsb ? msb - bit : bit - msb;
            if (pos < 0 || pos >= width) throw EngineError("index " + std::to_string(bit) + " out of range in \"" + path + "\"");
            return static_cast<int>(pos);
        };
        int a = position(suffixes[next].left), b = position(suffixes[next].right);
        target.sliced = true;
        target.first = std::min(a, b);
        target.count = std::abs(a - b) + 1;
    }
    return target;
}

std::string readBits(const ValueTarget& target) {
    std::string bits = fullBits(target.object);
    if (target.sliced && static_cast<int>(bits.size()) >= target.first + target.count)
        bits = bits.substr(target.first, target.count);
    return bits;
}

int targetWidth(const ValueTarget& target) {
    return target.sliced ? target.count : vpi_get(vpiSize, target.object);
}

std::string formatValue(const ValueTarget& target, Radix radix) {
    vpiHandle object = target.object;
    int type = vpi_get(vpiType, object);
    if (type == vpiNamedEvent) return "";
    if (isMemory(object)) {
        std::string out = "(";
        int shown = 0;
        bool more = false;
        vpiHandle words = vpi_iterate(vpiMemoryWord, object);
        if (!words) words = vpi_iterate(vpiReg, object);
        while (vpiHandle word = words ? vpi_scan(words) : nullptr) {
            if (arrayDisplayLength() > 0 && shown == arrayDisplayLength()) {
                more = true;
                vpi_free_object(words);
                break;
            }
            reportProgress();
            ValueTarget w;
            w.object = word;
            out += (shown ? ", " : "") + formatValue(w, radix);
            ++shown;
        }
        return out + (more ? ", ...)" : ")");
    }
    if (isReal(object) && !target.sliced) {
        s_vpi_value v{};
        v.format = vpiRealVal;
        vpi_get_value(object, &v);
        return formatReal(v.value.real); // a real reads the same in every radix
    }
    std::string bits = readBits(target);
    reportProgress();
    if (radix == Radix::Default) radix = target.sliced ? (bits.size() == 1 ? Radix::Bin : Radix::Hex)
                                                      : defaultRadix(object, static_cast<int>(bits.size()));
    return formatBits(bits, radix);
}

void writeValue(const ValueTarget& target, const std::string& text, Radix radix, int flags) {
    vpiHandle object = target.object;
    int type = vpi_get(vpiType, object);
    if (isMemory(object)) throw EngineError("cannot assign a whole memory \"" + target.path + "\"; name a word");
    if (type == vpiParameter || type == vpiNamedEvent)
        throw EngineError("cannot assign \"" + target.path + "\"");
    s_vpi_value v{};
    std::string bits;
    if (isReal(object)) {
        char* end = nullptr;
        double real = std::strtod(text.c_str(), &end);
        if (text.empty() || *end != '\0') throw EngineError("bad value \"" + text + "\" for a real");
        v.format = vpiRealVal;
        v.value.real = real;
    } else {
        bits = parseValue(text, radix, targetWidth(target));
        reportProgress();
        if (target.sliced) {
            std::string whole = fullBits(object);
            whole.replace(target.first, target.count, bits);
            bits = whole;
        }
        v.format = vpiBinStrVal;
        v.value.str = const_cast<PLI_BYTE8*>(bits.c_str());
    }
    vpi_put_value(object, &v, nullptr, flags);
}

} // namespace OrvexEngine
