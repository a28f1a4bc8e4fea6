// Tracing into the waveform database: wdb, ntrace-start, ntrace-stop, ntrace-select-block and
// ntrace-select-object. The database is a VCD file written by a second writer in assembled mode,
// so objects can be selected at any time.
#include "EngineCommands.h"
#include "OutputHooks.h"
#include "OutputVpi.h"
#include "VcdWriter.h"

namespace OrvexEngine {

namespace {

using Orvex::Mi::Value;
using Args = std::vector<std::string>;

VcdWriter& wdb() {
    static VcdWriter* writer = [] {
        auto* w = new VcdWriter("ntrace", VcdWriter::Mode::Assembled, "orvex.wdb");
        addOutputCloser([w] { w->close(); });
        return w;
    }();
    return *writer;
}

std::string joined(const std::vector<std::string>& items) {
    std::string out;
    for (const auto& item : items) out += (out.empty() ? "" : ", ") + item;
    return out;
}

Registrar nameRequest(Orvex::Protocol::Request::Wdb, [](const Args& args) {
    expectArgs(args, 1, "wdb");
    wdb().setFileName(args[0]);
    return Value::tuple();
});

Registrar startRequest(Orvex::Protocol::Request::NtraceStart, [](const Args& args) {
    expectArgs(args, 0, "ntrace-start");
    wdb().start();
    return Value::tuple();
});

Registrar stopRequest(Orvex::Protocol::Request::NtraceStop, [](const Args& args) {
    expectArgs(args, 0, "ntrace-stop");
    wdb().off();
    return Value::tuple();
});

Registrar blockRequest(Orvex::Protocol::Request::NtraceSelectBlock, [](const Args& args) {
    expectArgs(args, 3, "ntrace-select-block");
    vpiHandle scope = scopeOfPath(args[0], "ntrace-select-block");
    const bool all = parseFlag(args[1], "ntrace-select-block all");
    const bool on = parseFlag(args[2], "ntrace-select-block on");
    if (!on) {
        wdb().deselectScope(scope, all);
        return Value::tuple();
    }
    std::vector<std::string> refused;
    wdb().selectScope(scope, all ? 0 : 1, maxTraceableSize(), &refused);
    if (!refused.empty())
        throw EngineError("ntrace-select-block: not traced, larger than the maximum traceable size " +
                          std::to_string(maxTraceableSize()) + ": " + joined(refused));
    return Value::tuple();
});

Registrar objectRequest(Orvex::Protocol::Request::NtraceSelectObject, [](const Args& args) {
    expectArgs(args, 2, "ntrace-select-object");
    vpiHandle object = handleOfPath(args[0]);
    if (!object || isBlockScope(object)) throw EngineError("ntrace-select-object: no such object: " + args[0]);
    const bool on = parseFlag(args[1], "ntrace-select-object on");
    if (!on) {
        wdb().deselectObject(object);
        return Value::tuple();
    }
    if (isArray(object)) {
        const std::int64_t size = vpi_get(vpiSize, object);
        if (size > maxTraceableSize())
            throw EngineError("ntrace-select-object: " + args[0] + " has " + std::to_string(size) +
                              " elements, more than the maximum traceable size " +
                              std::to_string(maxTraceableSize()));
    }
    wdb().selectObject(object);
    return Value::tuple();
});

} // namespace

} // namespace OrvexEngine
