// The drivers and loads requests, answered from the design data file.
#include "DesignInfo.h"
#include "EngineCommands.h"
#include "OutputVpi.h"

namespace OrvexEngine {

namespace {

using Orvex::Mi::Value;
using Args = std::vector<std::string>;

void checkKnown(const std::string& path, const char* what) {
    if (!designInfoLoaded())
        throw EngineError(std::string(what) + ": no design data was loaded for this design, so the " + what +
                          " of " + path + " are not known");
    if (!designInfoKnows(path) && !handleOfPath(path)) throw EngineError(std::string(what) + ": no such object: " + path);
}

namespace Field = Orvex::Protocol::Field;

// The drivers or the loads of one object, one tuple each; a load also says which of the
// reader's inputs it is. `what` is the request word and the result's list field alike.
Value connections(const Args& args, const char* what, const char* entryField, bool withIndex,
                  std::vector<Connection> (*find)(const std::string&)) {
    expectArgs(args, 1, what);
    checkKnown(args[0], what);
    Value list = Value::list();
    for (const Connection& c : find(args[0])) {
        Value item = Value::tuple();
        item.add(Field::Object, args[0]).add(entryField, c.path).add(Field::Kind, c.kind);
        if (withIndex) item.add(Field::Index, c.index);
        item.add(Field::Text, c.text).add(Field::File, c.file).add(Field::Line, c.line);
        list.push(std::move(item));
    }
    Value result = Value::tuple();
    result.add(what, std::move(list));
    return result;
}

Registrar driversRequest(Orvex::Protocol::Request::Drivers, [](const Args& args) {
    return connections(args, Field::Drivers, Field::Driver, false, driversOf);
});

Registrar loadsRequest(Orvex::Protocol::Request::Loads, [](const Args& args) {
    return connections(args, Field::Loads, Field::Load, true, loadsOf);
});

} // namespace

} // namespace OrvexEngine
