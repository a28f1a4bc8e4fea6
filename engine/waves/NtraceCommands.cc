// Tracing into the waveform database: wdb, ntrace-start, ntrace-stop, ntrace-select-block and
// ntrace-select-object. The database is a VCD file written by a second writer in assembled mode,
// so objects can be selected at any time; it is brought up to date at every pause. A restart
// records the new run into the same file from time 0 (ntrace-resume, replayed in the new engine).
#include "EngineCommands.h"
#include "OutputHooks.h"
#include "OutputVpi.h"
#include "RestartState.h"
#include "VcdWriter.h"

namespace OrvexEngine {

namespace {

using Orvex::Mi::Value;
using Args = std::vector<std::string>;

VcdWriter* writer = nullptr;
bool started = false;
// The selection when the file was closed (the end of the simulation), for a later restart.
std::vector<std::string> selectionAtClose;

VcdWriter& wdb() {
    if (!writer) {
        writer = new VcdWriter("ntrace", VcdWriter::Mode::Assembled, "orvex.wdb");
        VcdWriter* w = writer;
        addOutputCloser([w] {
            if (w->selectedCount() > 0) selectionAtClose = w->selectedPaths();
            w->close();
        });
        atPause([w] { w->flush(); });
    }
    return *writer;
}

RestartStateRegistrar keepRecording([] {
    std::vector<std::string> lines;
    if (!writer || !started) return lines;
    lines.push_back(replayLine("wdb", {writer->fileName()}));
    const std::vector<std::string> selection =
        writer->selectedCount() > 0 ? writer->selectedPaths() : selectionAtClose;
    for (const std::string& path : selection) lines.push_back(replayLine("ntrace-select-object", {path, "1"}));
    lines.push_back(replayLine("ntrace-resume", {writer->fileName(), writer->isOn() ? "1" : "0"}));
    return lines;
});

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
    started = true;
    return Value::tuple();
});

// Replayed after a restart: the database starts again from time 0, and the shell hears either
// that or why recording ended.
Registrar resumeRequest("ntrace-resume", [](const Args& args) {
    expectArgs(args, 2, "ntrace-resume");
    try {
        wdb().setFileName(args[0]);
        wdb().start();
        if (!parseFlag(args[1], "ntrace-resume on")) wdb().off();
        started = true;
        engineMessage("ntrace: the waveform database " + args[0] + " records the new run from time 0\n");
    } catch (const EngineError& e) {
        engineMessage(std::string(e.what()) + "; recording into the waveform database ended at the restart\n");
    }
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
    if (started) wdb().flush(); // a viewer reloading now finds the new objects
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
    if (started) wdb().flush();
    return Value::tuple();
});

} // namespace

} // namespace OrvexEngine
