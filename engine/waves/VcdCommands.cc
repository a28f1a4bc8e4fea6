// The VCD requests: vcd-file, vcd-vars, vcd-on, vcd-off, vcd-flush, vcd-limit.
#include <cerrno>
#include <cstdlib>

#include "EngineCommands.h"
#include "OutputHooks.h"
#include "OutputVpi.h"
#include "RestartState.h"
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

// The VCD requests that made the current recording, replayed after a restart: the new run is
// recorded from time 0 into the same file, which starts over (see vcd-restore).
struct Recording {
    std::string limit = "0";
    Args selections; // block path and level, pairs
};
Recording recording;

void selectVars(const std::string& path, const std::string& levelText) {
    vpiHandle scope = scopeOfPath(path, "vcd-vars");
    const std::int64_t level = parseCount(levelText, "vcd-vars level");
    vcd().selectScope(scope, static_cast<int>(level > 1000000 ? 0 : level), -1, nullptr);
    vcd().start();
}

Registrar fileRequest(Orvex::Protocol::Request::VcdFile, [](const Args& args) {
    expectArgs(args, 1, "vcd-file");
    vcd().setFileName(args[0]);
    return Value::tuple();
});

Registrar varsRequest(Orvex::Protocol::Request::VcdVars, [](const Args& args) {
    expectArgs(args, 2, "vcd-vars");
    selectVars(args[0], args[1]);
    recording.selections.push_back(args[0]);
    recording.selections.push_back(args[1]);
    return Value::tuple();
});

// vcd-restore file limit [path level]...: only replayed after a restart, never sent by the shell.
Registrar restoreRequest("vcd-restore", [](const Args& args) {
    if (args.size() < 2 || args.size() % 2 != 0) throw EngineError("vcd-restore: bad arguments");
    vcd().setFileName(args[0]);
    recording.limit = args[1];
    vcd().setLimit(static_cast<std::uint64_t>(parseCount(args[1], "vcd-restore limit")));
    for (std::size_t i = 2; i + 1 < args.size(); i += 2) {
        try {
            selectVars(args[i], args[i + 1]);
            recording.selections.push_back(args[i]);
            recording.selections.push_back(args[i + 1]);
        } catch (const EngineError& e) {
            engineMessage(std::string("vcd: after the restart: ") + e.what());
        }
    }
    if (!recording.selections.empty())
        engineMessage("vcd: " + args[0] + " starts over and records the new run from time 0");
    return Value::tuple();
});

RestartStateRegistrar saved([] {
    std::vector<std::string> lines;
    if (recording.selections.empty()) return lines;
    Args args{vcd().fileName(), recording.limit};
    args.insert(args.end(), recording.selections.begin(), recording.selections.end());
    lines.push_back(replayLine("vcd-restore", args));
    return lines;
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
    recording.limit = args[0];
    return Value::tuple();
});

} // namespace

} // namespace OrvexEngine
