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

Registrar driversRequest(Orvex::Protocol::Request::Drivers, [](const Args& args) {
    expectArgs(args, 1, "drivers");
    checkKnown(args[0], "drivers");
    Value list = Value::list();
    for (const Connection& c : driversOf(args[0])) {
        Value item = Value::tuple();
        item.add("object", args[0]).add("driver", c.path).add("kind", c.kind).add("text", c.text);
        item.add("file", c.file).add("line", c.line);
        list.push(std::move(item));
    }
    Value result = Value::tuple();
    result.add("drivers", std::move(list));
    return result;
});

Registrar loadsRequest(Orvex::Protocol::Request::Loads, [](const Args& args) {
    expectArgs(args, 1, "loads");
    checkKnown(args[0], "loads");
    Value list = Value::list();
    for (const Connection& c : loadsOf(args[0])) {
        Value item = Value::tuple();
        item.add("object", args[0]).add("load", c.path).add("kind", c.kind).add("index", c.index);
        item.add("text", c.text).add("file", c.file).add("line", c.line);
        list.push(std::move(item));
    }
    Value result = Value::tuple();
    result.add("loads", std::move(list));
    return result;
});

} // namespace

} // namespace OrvexEngine
