// Paths to the VPI handles the output writers take, scope and object kinds, time.
#include "OutputVpi.h"

#include <cerrno>
#include <cstdlib>

#include "EngineCommands.h"

namespace OrvexEngine {

namespace {

std::vector<vpiHandle> collect(PLI_INT32 type, vpiHandle ref) {
    std::vector<vpiHandle> out;
    vpiHandle it = vpi_iterate(type, ref);
    if (!it) return out;
    while (vpiHandle h = vpi_scan(it)) out.push_back(h);
    return out;
}

} // namespace

vpiHandle handleOfPath(const std::string& path) {
    const PathTarget target = resolvePathOrNothing(path);
    if (!target.object) return target.scope;
    if (target.selects.empty()) return target.object;
    // One index of an array names its word; other selects name no handle of their own.
    if (target.selects.size() != 1 || target.selects[0].range || !isArray(target.object)) return nullptr;
    return vpi_handle_by_index(target.object, static_cast<PLI_INT32>(target.selects[0].left));
}

vpiHandle scopeOfPath(const std::string& path, const char* what) {
    PathTarget target = resolvePath(path);
    if (!target.scope || !isBlockScope(target.scope))
        throw EngineError(std::string(what) + ": no such block: " + path);
    return target.scope;
}

bool isBlockScope(vpiHandle object) {
    switch (vpi_get(vpiType, object)) {
    case vpiModule: case vpiTask: case vpiFunction: case vpiNamedBegin: case vpiNamedFork:
    case vpiGenScope:
        return true;
    default:
        return false;
    }
}

const char* vcdScopeKind(vpiHandle scope) {
    switch (vpi_get(vpiType, scope)) {
    case vpiTask: return "task";
    case vpiFunction: return "function";
    case vpiNamedFork: return "fork";
    case vpiNamedBegin: case vpiGenScope: return "begin";
    default: return "module";
    }
}

bool isArray(vpiHandle object) {
    switch (vpi_get(vpiType, object)) {
    case vpiMemory: case vpiNetArray: case vpiRegArray: return true;
    default: return false;
    }
}

std::vector<vpiHandle> childScopes(vpiHandle scope) {
    if (!scope) return collect(vpiModule, nullptr);
    std::vector<vpiHandle> out;
    for (vpiHandle h : collect(vpiInternalScope, scope))
        if (isBlockScope(h)) out.push_back(h);
    return out;
}

std::vector<vpiHandle> scopeObjects(vpiHandle scope) {
    std::vector<vpiHandle> out;
    for (PLI_INT32 type : {vpiNet, vpiReg, vpiVariables, vpiParameter, vpiNamedEvent, vpiMemory})
        for (vpiHandle h : collect(type, scope)) {
            bool seen = false;
            for (vpiHandle o : out)
                if (vpi_compare_objects(o, h)) { seen = true; break; }
            if (!seen) out.push_back(h);
        }
    return out;
}

std::vector<vpiHandle> arrayWords(vpiHandle array) {
    std::vector<vpiHandle> out = collect(vpiMemoryWord, array);
    if (out.empty()) out = collect(vpiReg, array);
    if (out.empty()) out = collect(vpiNet, array);
    return out;
}

std::uint64_t simTicks() {
    s_vpi_time t;
    t.type = vpiSimTime;
    vpi_get_time(nullptr, &t);
    return (static_cast<std::uint64_t>(t.high) << 32) | t.low;
}

int designPrecision() { return vpi_get(vpiTimePrecision, nullptr); }

bool rangeOf(vpiHandle object, int& left, int& right) {
    vpiHandle l = vpi_handle(vpiLeftRange, object);
    vpiHandle r = vpi_handle(vpiRightRange, object);
    if (!l || !r) return false;
    s_vpi_value v;
    v.format = vpiIntVal;
    vpi_get_value(l, &v);
    left = v.value.integer;
    v.format = vpiIntVal;
    vpi_get_value(r, &v);
    right = v.value.integer;
    return true;
}

std::int64_t parseCount(const std::string& text, const char* what) {
    char* end = nullptr;
    errno = 0;
    const long long n = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno || n < 0)
        throw EngineError(std::string(what) + ": not a non-negative number: " + text);
    return n;
}

bool parseFlag(const std::string& text, const char* what) {
    if (text == "1") return true;
    if (text == "0") return false;
    throw EngineError(std::string(what) + ": expected 0 or 1, got " + text);
}

} // namespace OrvexEngine
