// The design request: the scope tree with every data object, declaration places and ports.
// Places come from VPI where vvp has them (a scope's definition file and line, an instance's
// place), otherwise from the declaration side file.
#include <map>
#include <utility>

#include "DataObjects.h"
#include "DesignInfo.h"
#include "EngineCommands.h"
#include "EngineCore.h"
#include "ObjectValues.h"
#include "TimeVariables.h"

namespace OrvexEngine {

namespace {
using Orvex::Mi::Value;
namespace Field = Orvex::Protocol::Field;
namespace ScopeKind = Orvex::Protocol::ScopeKind;
namespace ObjectKind = Orvex::Protocol::ObjectKind;
namespace Direction = Orvex::Protocol::Direction;

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
    tuple.add(Field::File, file).add(Field::Line, line > 0 ? std::to_string(line) : std::string());
}

std::string scopeKind(vpiHandle scope) {
    switch (vpi_get(vpiType, scope)) {
    case vpiModule: return ScopeKind::Module;
    case vpiTask: return ScopeKind::Task;
    case vpiFunction: return ScopeKind::Function;
    case vpiNamedBegin: return ScopeKind::Begin;
    case vpiNamedFork: return ScopeKind::Fork;
    default: return ScopeKind::Generate;
    }
}

std::string objectKind(vpiHandle object) {
    switch (vpi_get(vpiType, object)) {
    case vpiNet: return ObjectKind::Net;
    case vpiReg: return isTimeVariable(object) ? ObjectKind::Time : ObjectKind::Reg;
    case vpiIntegerVar: return ObjectKind::Integer;
    case vpiRealVar: return ObjectKind::Real;
    case vpiTimeVar: return ObjectKind::Time;
    case vpiParameter:
        return vpi_get(vpiLocalParam, object) == 1 ? ObjectKind::Localparam : ObjectKind::Parameter;
    case vpiNamedEvent: return ObjectKind::Event;
    default: return ObjectKind::Memory;
    }
}

std::map<std::string, std::string> portDirections(vpiHandle module) {
    std::map<std::string, std::string> dirs;
    vpiHandle ports = vpi_iterate(vpiPort, module);
    while (vpiHandle port = ports ? vpi_scan(ports) : nullptr) {
        std::string name = text(port, vpiName);
        switch (vpi_get(vpiDirection, port)) {
        case vpiInput: dirs[name] = Direction::In; break;
        case vpiOutput: dirs[name] = Direction::Out; break;
        case vpiInout: dirs[name] = Direction::Inout; break;
        default: break;
        }
    }
    return dirs;
}

Value describeObject(vpiHandle object, const std::map<std::string, std::string>& dirs) {
    std::string name = text(object, vpiName);
    std::string path = pathOf(object);
    Value tuple = Value::tuple();
    tuple.add(Field::Name, name).add(Field::Kind, objectKind(object));
    auto dir = dirs.find(name);
    tuple.add(Field::Dir, dir == dirs.end() ? std::string() : dir->second);
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
    tuple.add(Field::Width, width).add(Field::Msb, msb).add(Field::Lsb, lsb);
    tuple.add(Field::Signed, vpi_get(vpiSigned, element) == 1 ? 1 : 0);
    if (memory)
        tuple.add(Field::Size, vpi_get(vpiSize, object))
            .add(Field::First, rangeBound(object, vpiLeftRange))
            .add(Field::Last, rangeBound(object, vpiRightRange));
    else
        tuple.add(Field::Size, 0).add(Field::First, 0).add(Field::Last, 0);
    addPlace(tuple, path, text(object, vpiFile), vpi_get(vpiLineNo, object));
    return tuple;
}

Value describeScope(vpiHandle scope) {
    Value tuple = Value::tuple();
    std::string path = pathOf(scope);
    tuple.add(Field::Name, text(scope, vpiName)).add(Field::Kind, scopeKind(scope));
    bool module = vpi_get(vpiType, scope) == vpiModule;
    std::string file = text(scope, module ? vpiDefFile : vpiFile);
    int line = vpi_get(module ? vpiDefLineNo : vpiLineNo, scope);
    addPlace(tuple, path, file, line);
    bool top = module && !vpi_handle(vpiScope, scope);
    if (module && !top) tuple.add(Field::InstanceFile, text(scope, vpiFile)).add(Field::InstanceLine, std::to_string(vpi_get(vpiLineNo, scope)));
    else tuple.add(Field::InstanceFile, "").add(Field::InstanceLine, "");
    Value children = Value::list();
    vpiHandle inner = vpi_iterate(vpiInternalScope, scope);
    while (vpiHandle child = inner ? vpi_scan(inner) : nullptr) children.push(describeScope(child));
    tuple.add(Field::Children, std::move(children));
    std::map<std::string, std::string> dirs;
    if (module) dirs = portDirections(scope);
    Value objects = Value::list();
    for (vpiHandle object : dataObjectsOf(scope)) objects.push(describeObject(object, dirs));
    tuple.add(Field::Objects, std::move(objects));
    return tuple;
}

Value design(const std::vector<std::string>& args) {
    expectArgs(args, 0, "design");
    Value tops = Value::list();
    vpiHandle modules = vpi_iterate(vpiModule, nullptr);
    while (vpiHandle top = modules ? vpi_scan(modules) : nullptr) tops.push(describeScope(top));
    Value result = Value::tuple();
    result.add(Field::Resolution, precisionExponent()).add(Field::Tops, std::move(tops));
    return result;
}

Registrar designRequest(Orvex::Protocol::Request::Design, design);
} // namespace

} // namespace OrvexEngine
