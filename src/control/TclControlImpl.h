// The control interface's implementation: settings, output and log, the outside components, the
// Tcl interpreter of the shell and the engine event handler.
#pragma once

#include <tcl.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "tavrin/ConsolePipe.h"
#include "tavrin/IConsole.h"
#include "tavrin/IGuiControl.h"
#include "tavrin/SimClient.h"
#include "tavrin/TclControlInterface.h"
#include "LogFile.h"
#include "TclEventHandler.h"

namespace Tavrin {

/// The host console bridged to the interpreter's standard channels through a console pipe.
struct ConsoleBridge {
    explicit ConsoleBridge(IConsole& c) : console(c), pipe(c) {}
    IConsole& console;
    ConsolePipe pipe;
    /// A prompt has asked the console for a line that the shell has not read yet.
    bool lineAsked = false;
};

/// Everything a control holds. One exists at a time: the Tcl callbacks, which get no client
/// data, find it through `current()`.
class TclControlImpl : public TclControlInterface {
public:
    TclControlImpl(IConsole* console, bool handleEngineHang);
    ~TclControlImpl() override;

    static TclControlImpl* current();

    // TclControlInterface
    void print(const StringBase& text, bool newline) override;
    void printToLog(const StringBase& text, bool newline) override;
    void reportError(const Orvex::Exception& e, const char* prefix) override;
    void reportEngineFailure(const Orvex::Exception& e) override;
    IReader* getReader() override;
    ISimulationControl* getSimulationControl() override { return simulationControl; }
    IGuiControl* getGuiControl() override { return guiControl; }
    int runOnErrorScript() override;
    void setOnErrorScript(const StringBase& script) override { onErrorScript = script; }
    StringBase getOnErrorScript() override { return onErrorScript; }
    Radix getRadix() override { return radix; }
    void setRadix(Radix r) override { radix = r; }
    int getUserUnit() override { return userUnit; }
    int getTimeResolution() override { return timeResolution; }
    void setUserUnit(int unit) override { userUnit = unit; }
    void runFor(std::int64_t time) override;
    void runAll() override;
    void restart() override;
    void stop() override;
    void step() override;
    void setArrayDisplayLength(int length) override;
    int getArrayDisplayLength() override { return arrayDisplayLength; }
    void setMaxTraceableSize(int size) override;
    int getMaxTraceableSize() override { return maxTraceableSize; }
    void quit(bool force, bool exitGui) override;
    std::map<int, TclCondition*>& getConditionScripts() override { return conditionScripts; }

    /// Writes a whole message under the output lock: to the console unless `logOnly`, and to the
    /// log when one is open.
    void deliver(const std::string& text, bool toConsole, bool toLog);
    /// Sends a prompt to the console (never to the log).
    void writePrompt(const StringBase& text);
    bool isStandardConsole() const;

    // Start-up (defined with the shell start-up).
    int startTcl(const char* programName, const char* batchFile, int (*appInit)(Tcl_Interp*));
    /// The batch file or the startup commands stopped with an error: says so and leaves.
    void startupScriptFailed(Tcl_Interp* tclInterp, const std::string& what);
    int applicationInit(Tcl_Interp* interp);
    /// The read-evaluate loop on the interpreter's standard channels; leaves only by unwinding.
    [[noreturn]] void runShell(const char* programName, int (*appInit)(Tcl_Interp*));
    /// Writes out what Tcl still buffers: every channel of the interpreter, files included.
    void flushChannels();
    void startEngineProcess(const char* logFileName, bool noLog);
    void saveCommandLineToLog(int argc, char* const* argv);
    void setLiveSimClient(LiveSimClient* client);
    void closeLiveSimClient();
    void shutDown();
    /// Leaves the shell: unwinds to startTcl, which tells the host that input has ended.
    [[noreturn]] void leaveShell();
    /// Tcl is exiting (exit command or end of standard input): end the simulation, then leave.
    [[noreturn]] void exitFromTcl();

    TclEventHandler* eventHandler;
    IConsole* console;
    LiveSimClient* liveSimClient = nullptr;
    IReader* reader = nullptr;
    ISimulationControl* simulationControl = nullptr;
    IGuiControl* guiControl = nullptr;
    std::unique_ptr<ConsoleBridge> consoleBridge;
    int userUnit = -15;
    int timeResolution = -15;
    std::string batchFileName;
    bool batchPending = false;
    std::string logFileName;
    std::unique_ptr<LogFile> logStream;
    Tcl_Interp* interp = nullptr;
    std::string currentCommand;
    std::ostringstream messageBuffer;
    StringBase onErrorScript;
    Radix radix = NoRadix;
    int arrayDisplayLength = 64;
    int maxTraceableSize = 65536;
    /// The conditions met in the last stop, in id order; their scripts run after the request.
    std::vector<int> metConditionIds;
    std::map<int, TclCondition*> conditionScripts;
    std::mutex outputLock;
    /// The status Tcl's exit was given, and whether the batch file failed: the host's exit code.
    int exitStatus = 0;
    bool batchFailed = false;
    /// An engine ended unexpectedly or had to be ended: the session lost work, which the exit
    /// status tells a script.
    bool engineLost = false;
    /// Ends an engine that does not answer (both its processes) and says so.
    void endHungEngine();
    /// Whether an output of the shell itself (the log) lost text.
    bool outputFailed() const { return logStream && logStream->failed(); }
    /// A command from non-terminal standard input failed; the host exits with 1.
    bool commandFailed = false;
    std::atomic<bool> leaveRequested{false};
    /// Set while the shell records earlier history: the command trace writes nothing.
    bool quietTrace = false;
    std::vector<std::string> earlierHistory;
    std::string startupCommands; // run after the batch file, before standard input

private:
    bool reportingEngineFailure = false;
    Tcl_Trace commandTrace = nullptr;
};

} // namespace Tavrin
