// The transcript host: the Orvex shell on standard input and output, driving the scripted engine
// double over a small in-memory design. Options:
//   -log FILE | -nolog     simulation log
//   -engine FILE           engine script (see EngineDouble.h)
//   -design counter|inspect|none   the in-memory design (default counter)
//   -console host          serve the shell through a host console (console pipe and channel)
//   -tclbatch FILE         batch file
//   -calls                 print the engine's call log after the shell ends
//   -nostart               attach the engine without starting it
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include "EngineDouble.h"
#include "orvex/FakeDataReader.h"
#include "tavrin/SimClient.h"
#include "tavrin/TclControl.h"

using namespace Tavrin;

namespace {

/// A host console on standard input and output, read a line at a time.
class LineConsole : public IConsole {
public:
    void write(const StringBase& text) override {
        std::fwrite(text.c_str(), 1, text.length(), stdout);
        std::fflush(stdout);
    }
    void writePrompt(const StringBase& text) override { write(text); }
    StringBase readLine() override {
        std::string line;
        if (!std::getline(std::cin, line)) {
            Orvex::EndOfInputException end("Orvex", __FILE__, ORVEX_REVISION, __LINE__);
            throw end;
        }
        return line + "\n";
    }
    void flush() override { std::fflush(stdout); }
};

// A counter and its test bench: the design the transcripts inspect.
void buildCounter(FakeDataReader& design) {
    IBlock* tb = design.addBlock(nullptr, "tb", VerilogInstance);
    design.setLocation(tb, "tb.v", 2);
    IDataObj* clk = design.addObject(tb, "clk", VariableClass, LogicTypeClass);
    design.setLocation(clk, "tb.v", 3);
    design.addObject(tb, "rst", VariableClass, LogicTypeClass);
    design.addObject(tb, "count", SignalClass, LogicTypeClass, VectorObjectKind);
    design.addObject(tb, "WIDTH", ParameterClass, IntegerTypeClass);
    IBlock* dut = design.addBlock(tb, "dut", VerilogInstance);
    design.setLocation(dut, "counter.v", 1);
    design.setInstantiation(dut, "tb.v", 9);
    design.addObject(dut, "clk", PortIn, LogicTypeClass);
    design.addObject(dut, "rst", PortIn, LogicTypeClass);
    design.addObject(dut, "q", PortOut, LogicTypeClass, VectorObjectKind);
    design.addObject(dut, "next", VariableClass, LogicTypeClass, VectorObjectKind);
    IBlock* process = design.addBlock(dut, "always_5", VerilogProcess, true, false);
    design.setLocation(process, "counter.v", 5);
    design.addBlock(tb, "stimulus", VerilogProcess, true, false);
}

// The counter with objects of every class and blocks of several kinds, for the inspection
// commands: constants, a generic, an event, a hidden object, ports of every direction, a named
// block that sees the objects of its instance, a package, a block of no known kind and a block
// without objects.
void buildInspect(FakeDataReader& design) {
    buildCounter(design);
    IBlock* tb = design.findBlock("/tb");
    IBlock* dut = design.findBlock("/tb/dut");
    design.addObject(tb, "LIMIT", ConstantClass, IntegerTypeClass);
    design.addObject(tb, "MODE", GenericClass, IntegerTypeClass);
    design.addObject(tb, "done", EventClass, LogicTypeClass);
    design.addObject(tb, "shadow", SignalClass, HiddenTypeClass);
    design.addObject(tb, "mem", VariableClass, ArrayTypeClass, ArrayObjectKind);
    design.addObject(tb, "flag", VariableClass, LogicTypeClass);
    design.addObject(tb, "odd", 0x7777, LogicTypeClass);
    IBlock* pkg = design.addBlock(tb, "pkg", VhdlPackage);
    design.setLocation(pkg, "pkg.vhd", 1);
    design.setInstantiation(pkg, "tb.v", 4);
    design.addBlock(tb, "misc", 8);
    design.addObject(dut, "bus", PortInout, LogicTypeClass, VectorObjectKind);
    design.addObject(dut, "bf", PortBuffer, LogicTypeClass);
    design.addObject(dut, "lk", PortLinkage, LogicTypeClass);
    design.addObject(dut, "hp", PortIn, HiddenTypeClass);
    // A process never shows an instantiation, even one the design data gives it.
    design.setInstantiation(design.findBlock("/tb/dut/always_5"), "tb.v", 9);
    IBlock* named = design.addBlock(dut, "gen_blk", VerilogInternalBlock, false, false);
    design.setLocation(named, "counter.v", 12);
    design.addObject(named, "tmp", VariableClass, LogicTypeClass);
    design.addObject(named, "level", SignalClass, LogicTypeClass);
    design.addBlock(named, "empty", VerilogInternalBlock);
}

} // namespace

int main(int argc, char** argv) {
    const char* logFile = nullptr;
    const char* batchFile = nullptr;
    const char* engineScript = nullptr;
    bool noLog = false, hostConsole = false, printCalls = false, start = true;
    std::string designName = "counter";
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "-log" && hasValue) logFile = argv[++i];
        else if (arg == "-nolog") noLog = true;
        else if (arg == "-engine" && hasValue) engineScript = argv[++i];
        else if (arg == "-design" && hasValue) designName = argv[++i];
        else if (arg == "-console" && hasValue) hostConsole = std::string(argv[++i]) == "host";
        else if (arg == "-tclbatch" && hasValue) batchFile = argv[++i];
        else if (arg == "-calls") printCalls = true;
        else if (arg == "-nostart") start = false;
        else {
            std::fprintf(stderr, "orvex_test_host: bad argument %s\n", argv[i]);
            return 2;
        }
    }

    FakeDataReader design;
    if (designName == "counter") buildCounter(design);
    else if (designName == "inspect") buildInspect(design);
    Test::EngineDouble engine(&design, -12);
    if (engineScript != nullptr) {
        std::ifstream script(engineScript);
        if (!script) {
            std::fprintf(stderr, "orvex_test_host: cannot read %s\n", engineScript);
            return 2;
        }
        engine.loadScript(script);
    }

    LineConsole console;
    std::unique_ptr<TclControl> control(hostConsole ? new TclControl(&console, false)
                                                    : new TclControl(nullptr, false));
    int status = 0;
    try {
        if (start) {
            control->setLiveSimClient(
                new LiveSimClient(&engine, &design, [&engine] { engine.start(); }, false));
        }
        control->startEngineProcess(logFile, noLog);
        status = control->startTcl(argv[0], batchFile, nullptr);
    } catch (const Orvex::EndOfInputException&) {
        status = control->batchFileFailed() ? 1 : control->getExitStatus();
        if (status == 0 && control->commandFailed()) status = 1;
    } catch (const Orvex::Exception& e) {
        std::printf("host: %s\n", e.getDescription());
        status = 1;
    }
    // Everything the shell wrote must reach the console before the host's own report.
    control->shutDown();
    if (printCalls) {
        std::printf("[engine calls]\n");
        for (const std::string& call : engine.calls()) std::printf("%s\n", call.c_str());
    }
    std::fflush(stdout);
    // The engine's events must stop before the control that handles them goes away.
    engine.waitIdle();
    control->shutDown();
    control->closeLiveSimClient();
    control.reset();
    return status;
}
