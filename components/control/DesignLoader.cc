// The engine's design description mapped onto the reader's blocks, data objects, classes, types
// and source places.
#include "DesignLoader.h"

#include "ProtocolWords.h"

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
    const std::string kind = object.get(Orvex::Protocol::Field::Kind);
    IDataObj* added = reader.addObject(
        parent, object.get(Orvex::Protocol::Field::Name), objectClassOf(kind, object.get(Orvex::Protocol::Field::Dir)), typeClassOf(kind),
        objectKindOf(kind, object.getInt(Orvex::Protocol::Field::Width, 1), object.getInt(Orvex::Protocol::Field::Size, 0)));
    if (!added)
        return 1;
    const std::string file = object.get(Orvex::Protocol::Field::File);
    if (!file.empty())
        reader.setLocation(added, file, static_cast<int>(object.getInt(Orvex::Protocol::Field::Line)));
    return 0;
}

int loadScope(const Value& scope, IBlock* parent, DataReader& reader) {
    if (scope.kind != Value::Kind::Tuple)
        return 1;
    const std::string kind = scope.get(Orvex::Protocol::Field::Kind);
    const int blockKind = blockKindOf(kind);
    // Objects of enclosing scopes are visible from every Verilog scope but a module instance.
    IBlock* block = reader.addBlock(parent, scope.get(Orvex::Protocol::Field::Name), blockKind,
                                    blockKind == VerilogProcess, blockKind == VerilogInstance);
    if (!block)
        return 1;
    const std::string file = scope.get(Orvex::Protocol::Field::File);
    if (!file.empty())
        reader.setLocation(block, file, static_cast<int>(scope.getInt(Orvex::Protocol::Field::Line)));
    const std::string instantiationFile = scope.get(Orvex::Protocol::Field::InstanceFile);
    if (!instantiationFile.empty())
        reader.setInstantiation(block, instantiationFile,
                                static_cast<int>(scope.getInt(Orvex::Protocol::Field::InstanceLine)));

    int skipped = 0;
    if (const Value* objects = listField(scope, Orvex::Protocol::Field::Objects))
        for (const Value& object : objects->items)
            skipped += loadObject(object, block, reader);
    if (const Value* children = listField(scope, Orvex::Protocol::Field::Children))
        for (const Value& child : children->items)
            skipped += loadScope(child, block, reader);
    return skipped;
}

} // namespace

int blockKindOf(const std::string& scopeKind) {
    if (scopeKind == Orvex::Protocol::ScopeKind::Module)
        return VerilogInstance;
    if (scopeKind == Orvex::Protocol::ScopeKind::Task || scopeKind == Orvex::Protocol::ScopeKind::Function)
        return VerilogTask;
    if (scopeKind == Orvex::Protocol::ScopeKind::Begin || scopeKind == Orvex::Protocol::ScopeKind::Fork || scopeKind == Orvex::Protocol::ScopeKind::Generate)
        return VerilogInternalBlock;
    if (scopeKind == Orvex::Protocol::ScopeKind::Initial || scopeKind == Orvex::Protocol::ScopeKind::Always || scopeKind == Orvex::Protocol::ScopeKind::Final)
        return VerilogProcess;
    return UnknownBlock;
}

int objectClassOf(const std::string& objectKind, const std::string& direction) {
    if (direction == Orvex::Protocol::Direction::In)
        return PortIn;
    if (direction == Orvex::Protocol::Direction::Out)
        return PortOut;
    if (direction == Orvex::Protocol::Direction::Inout)
        return PortInout;
    if (objectKind == Orvex::Protocol::ObjectKind::Net)
        return SignalClass;
    if (objectKind == Orvex::Protocol::ObjectKind::Parameter || objectKind == Orvex::Protocol::ObjectKind::Localparam)
        return ParameterClass;
    if (objectKind == Orvex::Protocol::ObjectKind::Event)
        return EventClass;
    return VariableClass; // reg, integer, real, realtime, time, memory
}

int typeClassOf(const std::string& objectKind) {
    if (objectKind == Orvex::Protocol::ObjectKind::Real || objectKind == Orvex::Protocol::ObjectKind::Realtime)
        return RealTypeClass;
    if (objectKind == Orvex::Protocol::ObjectKind::Integer)
        return IntegerTypeClass;
    return LogicTypeClass;
}

int objectKindOf(const std::string& objectKind, long long width, long long size) {
    if (objectKind == Orvex::Protocol::ObjectKind::Memory || size > 0)
        return ArrayObjectKind;
    if (width > 1)
        return VectorObjectKind;
    return ScalarObjectKind;
}

int loadDesign(const Value& designResult, DataReader& reader) {
    reader.clear();
    int skipped = 0;
    if (const Value* tops = listField(designResult, Orvex::Protocol::Field::Tops))
        for (const Value& top : tops->items)
            skipped += loadScope(top, nullptr, reader);
    return skipped;
}

} // namespace Tavrin
