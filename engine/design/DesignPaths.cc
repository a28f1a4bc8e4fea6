// Paths of the shared grammar ("/tb/dut/q", "/tb/g[1]/mem[2]") to VPI handles and back, and
// simulation time in femtoseconds.
#include "DataObjects.h"
#include "EngineCommands.h"
#include "EngineCore.h"

namespace OrvexEngine {

namespace {

// A node of the design as the path grammar walks it: the design root, or a VPI handle.
struct VpiNode {
    vpiHandle handle = nullptr;
    bool root = false;
    explicit operator bool() const { return root || handle; }
};

bool named(vpiHandle object, const std::string& name) {
    const char* own = vpi_get_str(vpiName, object);
    return own && name == own;
}

/// The first handle of an iteration with that name; the iteration is released either way.
vpiHandle findNamed(PLI_INT32 type, vpiHandle scope, const std::string& name) {
    vpiHandle it = vpi_iterate(type, scope);
    while (vpiHandle object = it ? vpi_scan(it) : nullptr) {
        if (named(object, name)) {
            vpi_free_object(it);
            return object;
        }
    }
    return nullptr;
}

struct VpiWalk {
    VpiNode root() const { return VpiNode{nullptr, true}; }
    bool isRoot(VpiNode node) const { return node.root; }
    VpiNode parent(VpiNode node) const {
        return VpiNode{node.root ? nullptr : vpi_handle(vpiScope, node.handle), false};
    }
    VpiNode childScope(VpiNode node, const std::string& name) const {
        if (node.root) return VpiNode{findNamed(vpiModule, nullptr, name), false};
        vpiHandle it = vpi_iterate(vpiInternalScope, node.handle);
        while (vpiHandle scope = it ? vpi_scan(it) : nullptr) {
            if (isScope(scope) && named(scope, name)) {
                vpi_free_object(it);
                return VpiNode{scope, false};
            }
        }
        return VpiNode{};
    }
    VpiNode dataObject(VpiNode node, const std::string& name) const {
        static const PLI_INT32 kinds[] = {vpiNet,       vpiReg,        vpiIntegerVar, vpiRealVar,
                                          vpiTimeVar,   vpiParameter,  vpiNamedEvent, vpiMemory,
                                          vpiRegArray,  vpiNetArray};
        for (PLI_INT32 kind : kinds)
            if (vpiHandle object = findNamed(kind, node.handle, name)) return VpiNode{object, false};
        return VpiNode{};
    }
};

/// A path text parsed, or EngineError with the grammar's message.
Orvex::HdlPath::Path parsed(const std::string& path) {
    try {
        return Orvex::HdlPath::parse(path);
    } catch (const Orvex::HdlPath::PathError& e) {
        throw EngineError(e.what());
    }
}

/// Splits a VPI full name ("top.g[1].\a.b .q") into its names, escapes removed.
std::vector<std::string> fullNameParts(const std::string& text) {
    std::vector<std::string> parts(1);
    bool escaped = false;
    for (char c : text) {
        if (escaped) {
            if (c == ' ') escaped = false;
            else parts.back() += c;
        } else if (c == '\\' && parts.back().empty()) {
            escaped = true;
        } else if (c == '.') {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}
} // namespace

PathTarget resolvePath(const std::string& path, vpiHandle base) {
    const Orvex::HdlPath::Path parsedPath = parsed(path);
    PathTarget target;
    if (!parsedPath.absolute && !base) return target;
    VpiWalk walk;
    const auto found = Orvex::HdlPath::resolve(parsedPath, walk, VpiNode{base, false});
    target.root = found.scope.root;
    target.scope = found.scope.handle;
    target.object = found.object.handle;
    target.selects = found.selects;
    return target;
}

PathTarget resolvePathOrNothing(const std::string& path) {
    try {
        return resolvePath(path);
    } catch (const EngineError&) {
        return PathTarget();
    }
}

vpiHandle lookupPath(const std::string& path) {
    const PathTarget target = resolvePathOrNothing(path);
    if (target.object) return target.selects.empty() ? target.object : nullptr;
    return target.scope;
}

vpiHandle findPath(const std::string& path) {
    vpiHandle handle = lookupPath(path);
    if (!handle) throw EngineError("unknown path \"" + path + "\"");
    return handle;
}

std::string pathOf(vpiHandle object) {
    const char* full = vpi_get_str(vpiFullName, object);
    std::string out;
    for (const std::string& part : fullNameParts(full ? full : ""))
        out += "/" + Orvex::HdlPath::nameText(part);
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
