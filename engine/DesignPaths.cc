// Protocol paths ("/tb/dut/q") to VPI handles and back, and simulation time in femtoseconds.
#include <cctype>

#include "EngineCommands.h"
#include "EngineCore.h"

namespace OrvexEngine {

namespace {
bool isPlainIdentifier(const std::string& name) {
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0])) || name[0] == '$') return false;
    for (char c : name)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$')) return false;
    return true;
}

/// "gen[2]" of a generate scope stays as it is; other unusual names become escaped identifiers.
std::string vpiSegment(const std::string& segment) {
    if (isPlainIdentifier(segment)) return segment;
    std::size_t bracket = segment.find('[');
    if (bracket != std::string::npos && segment.back() == ']' && isPlainIdentifier(segment.substr(0, bracket)))
        return segment;
    return "\\" + segment + " ";
}
} // namespace

vpiHandle lookupPath(const std::string& path) {
    if (path.size() < 2 || path[0] != '/') return nullptr;
    std::string name;
    std::size_t start = 1;
    while (start <= path.size()) {
        std::size_t slash = path.find('/', start);
        if (slash == std::string::npos) slash = path.size();
        std::string segment = path.substr(start, slash - start);
        if (segment.empty()) return nullptr;
        if (!name.empty()) name += '.';
        name += vpiSegment(segment);
        start = slash + 1;
    }
    return vpi_handle_by_name(const_cast<char*>(name.c_str()), nullptr);
}

vpiHandle findPath(const std::string& path) {
    vpiHandle handle = lookupPath(path);
    if (!handle) throw EngineError("unknown path \"" + path + "\"");
    return handle;
}

std::string pathOf(vpiHandle object) {
    const char* full = vpi_get_str(vpiFullName, object);
    std::string text = full ? full : "";
    std::string out = "/";
    bool escaped = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (escaped) {
            if (c == ' ') escaped = false;
            else out += c;
        } else if (c == '\\') {
            escaped = true;
        } else if (c == '.') {
            out += '/';
        } else {
            out += c;
        }
    }
    return out;
}

int precisionExponent() { return vpi_get(vpiTimePrecision, nullptr); }

namespace {
std::uint64_t fsPerTick() {
    std::uint64_t factor = 1;
    for (int e = precisionExponent(); e > -15; --e) factor *= 10;
    return factor;
}
} // namespace

std::int64_t currentTimeFs() {
    s_vpi_time now{};
    now.type = vpiSimTime;
    vpi_get_time(nullptr, &now);
    std::uint64_t ticks = (static_cast<std::uint64_t>(now.high) << 32) | now.low;
    return ticksToFs(ticks);
}

std::uint64_t fsToTicks(std::int64_t fs) {
    if (fs <= 0) return 0;
    return static_cast<std::uint64_t>(fs) / fsPerTick();
}

std::int64_t ticksToFs(std::uint64_t ticks) { return static_cast<std::int64_t>(ticks * fsPerTick()); }

} // namespace OrvexEngine
