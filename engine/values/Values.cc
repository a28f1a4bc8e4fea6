// The value requests: value, values (every data object of a block) and set-value.
#include "DataObjects.h"
#include "EngineCommands.h"
#include "EngineCore.h"
#include "ObjectValues.h"

namespace OrvexEngine {

namespace {
Orvex::Mi::Value value(const std::vector<std::string>& args) {
    expectArgs(args, 2, "value");
    Radix radix = parseRadix(args[1]);
    ValueTarget target = resolveValuePath(args[0]);
    return Orvex::Mi::Value::tuple().add("value", formatValue(target, radix));
}

Orvex::Mi::Value values(const std::vector<std::string>& args) {
    expectArgs(args, 2, "values");
    Radix radix = parseRadix(args[1]);
    vpiHandle scope = findPath(args[0]);
    if (!isScope(scope)) throw EngineError("not a block: \"" + args[0] + "\"");
    Orvex::Mi::Value list = Orvex::Mi::Value::list();
    for (vpiHandle object : dataObjectsOf(scope)) {
        reportProgress();
        ValueTarget target;
        target.object = object;
        target.path = pathOf(object);
        list.push(Orvex::Mi::Value::tuple().add("path", target.path).add("value", formatValue(target, radix)));
    }
    return Orvex::Mi::Value::tuple().add("values", list);
}

Orvex::Mi::Value setValue(const std::vector<std::string>& args) {
    expectArgs(args, 3, "set-value");
    Radix radix = parseRadix(args[2]);
    ValueTarget target = resolveValuePath(args[0]);
    std::string text = args[1];
    // A bad value is refused now, also when the change itself has to wait (whenWritable).
    if (!isReal(target.object) && !isMemory(target.object)) valueBits(target, text, radix);
    whenWritable([target, text, radix] { writeValue(target, text, radix); });
    return Orvex::Mi::Value::tuple();
}

Registrar valueRequest(Orvex::Protocol::Request::Value, value);
Registrar valuesRequest(Orvex::Protocol::Request::Values, values);
Registrar setValueRequest(Orvex::Protocol::Request::SetValue, setValue);
} // namespace

} // namespace OrvexEngine
