// Design values through VPI: path suffixes, bit strings, memories and reals.
#include "ObjectValues.h"

#include <cctype>
#include <cstdlib>
#include <vector>

#include "EngineCommands.h"
#include "EngineCore.h"
#include "Numbers.h"
#include "TimeVariables.h"

namespace OrvexEngine {

int rangeBound(vpiHandle object, int property) {
    vpiHandle bound = vpi_handle(property, object);
    if (!bound) return 0;
    s_vpi_value v{};
    v.format = vpiIntVal;
    vpi_get_value(bound, &v);
    return v.value.integer;
}

namespace {
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
    default: break;
    }
    // time is an unsigned integer: decimal, never negative.
    if (isTimeVariable(object)) return Radix::Unsigned;
    return width == 1 ? Radix::Bin : Radix::Hex;
}

/// The radix "default" stands for with this target: what show value prints it in.
Radix displayRadix(const ValueTarget& target) {
    const int width = targetWidth(target);
    if (target.sliced) return width == 1 ? Radix::Bin : Radix::Hex;
    return defaultRadix(target.object, width);
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

ValueTarget resolveValuePath(const std::string& path, vpiHandle base) {
    ValueTarget target;
    target.path = path;
    PathTarget found = resolvePath(path, base);
    target.object = found.object;
    if (!target.object || !isDataObject(target.object)) throw EngineError("unknown path \"" + path + "\"");
    const std::vector<Orvex::HdlPath::Select>& selects = found.selects;
    std::size_t next = 0;
    if (isMemory(target.object) && !selects.empty()) {
        if (selects[0].range) throw EngineError("a memory takes a word index, not a range: \"" + path + "\"");
        vpiHandle word = vpi_handle_by_index(target.object, static_cast<PLI_INT32>(selects[0].left));
        if (!word) throw EngineError("index " + std::to_string(selects[0].left) + " out of range in \"" + path + "\"");
        target.object = word;
        ++next;
    }
    if (next < selects.size()) {
        if (next + 1 != selects.size() || isMemory(target.object) || isReal(target.object))
            throw EngineError("bad select in \"" + path + "\": a memory takes a word index, then a bit or a range of the word");
        int width = vpi_get(vpiSize, target.object);
        int msb = rangeBound(target.object, vpiLeftRange);
        int lsb = rangeBound(target.object, vpiRightRange);
        if (vpi_get(vpiType, target.object) == vpiIntegerVar || vpi_get(vpiType, target.object) == vpiTimeVar) {
            msb = width - 1;
            lsb = 0;
        }
        auto position = [&](std::int64_t bit) -> int {
            std::int64_t pos = msb >= lsb ? msb - bit : bit - msb;
            if (pos < 0 || pos >= width) throw EngineError("index " + std::to_string(bit) + " out of range in \"" + path + "\"");
            return static_cast<int>(pos);
        };
        int a = position(selects[next].left), b = position(selects[next].right);
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
    if (radix == Radix::Default) radix = displayRadix(target);
    return formatBits(bits, radix);
}

std::string valueBits(const ValueTarget& target, const std::string& text, Radix radix) {
    const int width = targetWidth(target);
    std::string bits;
    if (radix == Radix::Default) {
        if (parseBasedLiteral(text, bits)) return parseValue(text, Radix::Default, width);
        radix = displayRadix(target);
    }
    // What the decimal and ascii radixes print for an unknown or empty value reads back.
    if ((radix == Radix::Dec || radix == Radix::Unsigned) && (text == "x" || text == "z" || text == "X" || text == "Z"))
        return std::string(static_cast<std::size_t>(width), static_cast<char>(std::tolower(text[0])));
    if (radix == Radix::Ascii && text.empty()) return std::string(static_cast<std::size_t>(width), '0');
    return parseValue(text, radix, width);
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
        bits = valueBits(target, text, radix);
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
