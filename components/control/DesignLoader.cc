// The engine's design description mapped onto the reader's blocks, data objects, classes, types
// and source places.
#include "DesignLoader.h"

namespace Tavrin {

namespace {

using Orvex::Mi::Value;

const Value* listField(const Value& tuple, const char* name) {
    const Value* found = tuple.find(name);
    return found && found->kind == Value::Kind::List ? found : nullptr;
}

int loadObject(const Value& object, IBlock* parent, DataReader& reader) {
    if (object.kind != Value::Kind::Tuple)
        return 1;
    const std::string kind = object.get("kind");
    IDataObj* added = reader.addObject(
        parent, object.get("name"), objectClassOf(kind, object.get("dir")), typeClassOf(kind),
        objectKindOf(kind, object.getInt("width", 1), object.getInt("size", 0)));
    if (!added)
        return 1;
    const std::string file = object.get("file");
    if (!file.empty())
        reader.setLocation(added, file, static_cast<int>(object.getInt("line")));
    return 0;
}

int loadScope(const Value& scope, IBlock* parent, DataReader& reader) {
    if (scope.kind != Value::Kind::Tuple)
        return 1;
    const std::string kind = scope.get("kind");
    const int blockKind = blockKindOf(kind);
    // Objects of enclosing scopes are visible from every Verilog scope but a module instance.
    IBlock* block = reader.addBlock(parent, scope.get("name"), blockKind,
                                    blockKind == VerilogProcess, blockKind == VerilogInstance);
    if (!block)
        return 1;
    const std::string file = scope.get("file");
    if (!file.empty())
        reader.setLocation(block, file, static_cast<int>(scope.getInt("line")));
    const std::string instantiationFile = scope.get("ifile");
    if (!instantiationFile.empty())
        reader.setInstantiation(block, instantiationFile,
                                static_cast<int>(scope.getInt("iline")));

    int skipped = 0;
    if (const Value* objects = listField(scope, "objects"))
        for (const Value& object : objects->items)
            skipped += loadObject(object, block, reader);
    if (const Value* children = listField(scope, "children"))
        for (const Value& child : children->items)
            skipped += loadScope(child, block, reader);
    return skipped;
}

} // namespace

int blockKindOf(const std::string& scopeKind) {
    if (scopeKind == "module")
        return VerilogInstance;
    if (scopeKind == "task" || scopeKind == "function")
        return VerilogTask;
    if (scopeKind == "begin" || scopeKind == "fork" || scopeKind == "generate")
        return VerilogInternalBlock;
    if (scopeKind == "initial" || scopeKind == "always" || scopeKind == "final")
        return VerilogProcess;
    return UnknownBlock;
}

int objectClassOf(const std::string& objectKind, const std::string& direction) {
    if (direction == "in")
        return PortIn;
    if (direction == "out")
        return PortOut;
    if (direction == "inout")
        return PortInout;
    if (objectKind == "net")
        return SignalClass;
    if (objectKind == "parameter" || objectKind == "localparam")
        return ParameterClass;
    if (objectKind == "event")
        return EventClass;
    return VariableClass; // reg, integer, real, realtime, time, memory
}

int typeClassOf(const std::string& objectKind) {
    if (objectKind == "real" || objectKind == "realtime")
        return RealTypeClass;
    if (objectKind == "integer")
        return IntegerTypeClass;
    return LogicTypeClass;
}

int objectKindOf(const std::string& objectKind, long long width, long long size) {
    if (objectKind == "memory" || size > 0)
        return ArrayObjectKind;
    if (width > 1)
        return VectorObjectKind;
    return ScalarObjectKind;
}

int loadDesign(const Value& designResult, DataReader& reader) {
    reader.clear();
    int skipped = 0;
    if (const Value* tops = listField(designResult, "tops"))
        for (const Value& top : tops->items)
            skipped += loadScope(top, nullptr, reader);
    return skipped;
}

} // namespace Tavrin
