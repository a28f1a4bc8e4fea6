// The VCD requests: vcd-file, vcd-vars, vcd-on, vcd-off, vcd-flush, vcd-limit.
#include <cerrno>
#include <cstdlib>

#include "EngineCommands.h"
#include "OutputHooks.h"
#include "OutputVpi.h"
#include "VcdWriter.h"

namespace OrvexEngine {

namespace {

using Orvex::Mi::Value;
using Args = std::vector<std::string>;

VcdWriter& vcd() {
    static VcdWriter* writer = [] {
        auto* w = new VcdWriter("vcd", VcdWriter::Mode::Streaming, "dump.vcd");
        addOutputCloser([w] { w->close(); });
        return w;
    }();
    return *writer;
}

Registrar fileRequest(Orvex::Protocol::Request::VcdFile, [](const Args& args) {
    expectArgs(args, 1, "vcd-file");
    vcd().setFileName(args[0]);
    return Value::tuple();
});

Registrar varsRequest(Orvex::Protocol::Request::VcdVars, [](const Args& args) {
    expectArgs(args, 2, "vcd-vars");
    vpiHandle scope = scopeOfPath(args[0], "vcd-vars");
    const std::int64_t level = parseCount(args[1], "vcd-vars level");
    vcd().selectScope(scope, static_cast<int>(level > 1000000 ? 0 : level), -1, nullptr);
    vcd().start();
    return Value::tuple();
});

Registrar onRequest(Orvex::Protocol::Request::VcdOn, [](const Args& args) {
    expectArgs(args, 0, "vcd-on");
    vcd().on();
    return Value::tuple();
});

Registrar offRequest(Orvex::Protocol::Request::VcdOff, [](const Args& args) {
    expectArgs(args, 0, "vcd-off");
    vcd().off();
    return Value::tuple();
});

Registrar flushRequest(Orvex::Protocol::Request::VcdFlush, [](const Args& args) {
    expectArgs(args, 0, "vcd-flush");
    vcd().flush();
    return Value::tuple();
});

Registrar limitRequest(Orvex::Protocol::Request::VcdLimit, [](const Args& args) {
    expectArgs(args, 1, "vcd-limit");
    const std::int64_t bytes = parseCount(args[0], "vcd-limit");
    vcd().setLimit(static_cast<std::uint64_t>(bytes));
    return Value::tuple();
});

} // namespace

} // namespace OrvexEngine
