// The design request: the scope tree with every data object, declaration places and ports.
// Places come from VPI where vvp has them (a scope's definition file and line, an instance's
// place), otherwise from the declaration side file.
#include <map>

#include "DataObjects.h"
#include "DesignInfo.h"
#include "EngineCommands.h"
#include "EngineCore.h"
#include "ObjectValues.h"

namespace OrvexEngine {

namespace {
using Orvex::Mi::Value;

std::string text(vpiHandle object, int property) {
    const char* s = vpi_get_str(property, object); // vvp reuses one buffer: copy at once
    return s ? s : "";
}

void addPlace(Value& tuple, const std::string& path, std::string file, int line) {
    if (file.empty() || line <= 0) {
        file.clear();
        line = 0;
        declarationOf(path, file, line);
    }
    tuple.add("file", file).add("line", line > 0 ? std::to_string(line) : std::string());
}

std::string scopeKind(vpiHandle scope) {
    switch (vpi_get(vpiType, scope)) {
    case vpiModule: return "module";
    case vpiTask: return "task";
    case vpiFunction: return "function";
    case vpiNamedBegin: return "begin";
    case vpiNamedFork: return "fork";
    default: return "generate";
    }
}

std::string objectKind(vpiHandle object) {
    switch (vpi_get(vpiType, object)) {
    case vpiNet: return "net";
    case vpiReg: return "reg";
    case vpiIntegerVar: return "integer";
    case vpiRealVar: return "real";
    case vpiTimeVar: return "time";
    case vpiParameter: return vpi_get(vpiLocalParam, object) == 1 ? "localparam" : "parameter";
    case vpiNamedEvent: return "event";
    default: return "memory";
    }
}

int rangeBound(vpiHandle object, int property) {
    vpiHandle bound = vpi_handle(property, object);
    if (!bound) return 0;
    s_vpi_value v{};
    v.format = vpiIntVal;
    vpi_get_value(bound, &v);
    return v.value.integer;
}

std::map<std::string, std::string> portDirections(vpiHandle module) {
    std::map<std::string, std::string> dirs;
    vpiHandle ports = vpi_iterate(vpiPort, module);
    while (vpiHandle port = ports ? vpi_scan(ports) : nullptr) {
        std::string name = text(port, vpiName);
        switch (vpi_get(vpiDirection, port)) {
        case vpiInput: dirs[name] = "in"; break;
        case vpiOutput: dirs[name] = "out"; break;
        case vpiInout: dirs[name] = "inout"; break;
        default: break;
        }
    }
    return dirs;
}

Value describeObject(vpiHandle object, const std::map<std::string, std::string>& dirs) {
    std::string name = text(object, vpiName);
    std::string path = pathOf(object);
    Value tuple = Value::tuple();
    tuple.add("name", name).add("kind", objectKind(object));
    auto dir = dirs.find(name);
    tuple.add("dir", dir == dirs.end() ? std::string() : dir->second);
    bool memory = isMemory(object);
    vpiHandle element = object;
    if (memory) {
        vpiHandle words = vpi_iterate(vpiMemoryWord, object);
        if (vpiHandle first = words ? vpi_scan(words) : nullptr) {
            element = first;
            vpi_free_object(words);
        }
    }
    int width = vpi_get(vpiType, element) == vpiNamedEvent ? 0 : vpi_get(vpiSize, element);
    int msb = rangeBound(element, vpiLeftRange), lsb = rangeBound(element, vpiRightRange);
    if (isReal(element) || vpi_get(vpiType, element) == vpiParameter) { msb = width > 0 ? width - 1 : 0; lsb = 0; }
    tuple.add("width", width).add("msb", msb).add("lsb", lsb);
    tuple.add("signed", vpi_get(vpiSigned, element) == 1 ? 1 : 0);
    if (memory)
        tuple.add("size", vpi_get(vpiSize, object))
            .add("first", rangeBound(object, vpiLeftRange))
            .add("last", rangeBound(object, vpiRightRange));
    else
        tuple.add("size", 0).add("first", 0).add("last", 0);
    addPlace(tuple, path, text(object, vpiFile), vpi_get(vpiLineNo, object));
    return tuple;
}

Value describeScope(vpiHandle scope) {
    Value tuple = Value::tuple();
    std::string path = pathOf(scope);
    tuple.add("name", text(scope, vpiName)).add("kind", scopeKind(scope));
    bool module = vpi_get(vpiType, scope) == vpiModule;
    std::string file = text(scope, module ? vpiDefFile : vpiFile);
    int line = vpi_get(module ? vpiDefLineNo : vpiLineNo, scope);
    addPlace(tuple, path, file, line);
    bool top = module && !vpi_handle(vpiScope, scope);
    if (module && !top) tuple.add("ifile", text(scope, vpiFile)).add("iline", std::to_string(vpi_get(vpiLineNo, scope)));
    else tuple.add("ifile", "").add("iline", "");
    Value children = Value::list();
    vpiHandle inner = vpi_iterate(vpiInternalScope, scope);
    while (vpiHandle child = inner ? vpi_scan(inner) : nullptr) children.push(describeScope(child));
    tuple.add("children", children);
    std::map<std::string, std::string> dirs;
    if (module) dirs = portDirections(scope);
    Value objects = Value::list();
    for (vpiHandle object : dataObjectsOf(scope)) objects.push(describeObject(object, dirs));
    tuple.add("objects", objects);
    return tuple;
}

Value design(const std::vector<std::string>& args) {
    expectArgs(args, 0, "design");
    Value tops = Value::list();
    vpiHandle modules = vpi_iterate(vpiModule, nullptr);
    while (vpiHandle top = modules ? vpi_scan(modules) : nullptr) tops.push(describeScope(top));
    return Value::tuple().add("resolution", precisionExponent()).add("tops", tops);
}

Registrar designRequest(Orvex::Protocol::Request::Design, design);
} // namespace

} // namespace OrvexEngine
