// Display and tracing settings: array-display-length, max-traceable-size, ptrace, ltrace.
#include "EngineCommands.h"
#include "EngineCore.h"
#include "Numbers.h"
#include "RestartState.h"
#include "StatementHook.h"

namespace OrvexEngine {

namespace {
int displayLength = 64;
int traceableSize = 65536;

int sizeSetting(const std::vector<std::string>& args, const char* command, std::int64_t least) {
    expectArgs(args, 1, command);
    std::int64_t n = parseInteger(args[0], "size");
    if (n < least || n > 0x7fffffff) throw EngineError("bad size \"" + args[0] + "\"");
    return static_cast<int>(n);
}

// A display length of 0 shows arrays whole (the shell asks for it to compare whole values).
Orvex::Mi::Value setDisplayLength(const std::vector<std::string>& args) {
    displayLength = sizeSetting(args, "array-display-length", 0);
    return Orvex::Mi::Value::tuple();
}

Orvex::Mi::Value setTraceableSize(const std::vector<std::string>& args) {
    traceableSize = sizeSetting(args, "max-traceable-size", 1);
    return Orvex::Mi::Value::tuple();
}

Orvex::Mi::Value processTrace(const std::vector<std::string>& args) {
    expectArgs(args, 1, "ptrace");
    // vvp 11 reports each statement's place but not which process runs it, and exports nothing
    // that names the running thread, so process tracing cannot be had.
    if (parseBoolean(args[0], "switch"))
        throw EngineError("ptrace is not supported: vvp 11 does not tell which process runs a statement");
    return Orvex::Mi::Value::tuple();
}

Orvex::Mi::Value lineTrace(const std::vector<std::string>& args) {
    expectArgs(args, 1, "ltrace");
    bool on = parseBoolean(args[0], "switch");
    if (on) requireStatementHook("ltrace");
    setLineTrace(on);
    return Orvex::Mi::Value::tuple();
}

Registrar displayLengthRequest(Orvex::Protocol::Request::ArrayDisplayLength, setDisplayLength);
Registrar traceableSizeRequest(Orvex::Protocol::Request::MaxTraceableSize, setTraceableSize);
Registrar ptraceRequest(Orvex::Protocol::Request::Ptrace, processTrace);
Registrar ltraceRequest(Orvex::Protocol::Request::Ltrace, lineTrace);
RestartStateRegistrar saved([] {
    return std::vector<std::string>{
        replayLine("array-display-length", {std::to_string(displayLength)}),
        replayLine("max-traceable-size", {std::to_string(traceableSize)}),
        replayLine("ltrace", {lineTraceOn() ? "1" : "0"}),
    };
});
} // namespace

int arrayDisplayLength() { return displayLength; }
int maxTraceableSize() { return traceableSize; }

} // namespace OrvexEngine
