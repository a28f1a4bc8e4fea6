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
    /// Holds the output lock, for output that does not go through deliver (the console pipe).
    std::unique_lock<std::mutex> lockOutput() { return std::unique_lock<std::mutex>(outputLock); }
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
    /// Ends an engine that does not answer (both its processes) and says so.
    void endHungEngine();

    // What the host sets and reads.
    /// Puts `control` in place of the engine control; the one it replaces.
    ISimulationControl* swapSimulationControl(ISimulationControl* control);
    void setGuiControl(IGuiControl* gui) { guiControl = gui; }
    void setReader(IReader* designReader) { reader = designReader; }
    void setEarlierHistory(const std::vector<std::string>& lines) { earlierHistory = lines; }
    /// Commands run after the batch file and before standard input (the launcher's -do).
    void setStartupCommands(const std::string& script) { startupCommands = script; }
    /// Asks the read-evaluate loop to leave before its next command.
    void requestLeave() { leaveRequested = true; }
    /// The host's exit code: Tcl's exit status, or 1 for a session that lost its engine or an
    /// output (it did not do all it was asked to).
    int hostExitStatus() const;
    bool batchFileFailed() const { return batchFailed; }
    /// A command from non-terminal standard input failed; the host exits with 1.
    bool inputCommandFailed() const { return commandFailed; }

    // What the event handler and the Tcl callbacks use.
    TclEventHandler& events() { return *eventHandler; }
    Tcl_Interp* interpreter() const { return interp; }
    void setInterpreter(Tcl_Interp* tclInterp) { interp = tclInterp; }
    /// The log file's name, empty when no log is written.
    std::string logInUse() const { return logStream ? logFileName : std::string(); }
    void flushLog() {
        if (logStream) logStream->flush();
    }
    /// The first failing status the simulation ended with ($fatal) becomes the exit status.
    void recordExitStatus(int status) {
        if (status != 0 && exitStatus == 0) exitStatus = status;
    }
    /// Tcl's exit was called with `status`.
    void setExitStatus(int status) { exitStatus = status; }
    /// An engine ended unexpectedly or had to be ended: the session lost work.
    void markEngineLost() { engineLost = true; }
    /// The command trace: a user command about to run, kept for failure messages and logged.
    void traceCommand(const std::string& line);
    /// Set while the shell records earlier history: the command trace writes nothing.
    bool traceQuiet() const { return quietTrace; }
    void setCurrentCommand(const std::string& line) { currentCommand = line; }

private:
    /// Whether an output of the shell itself (the log) lost text.
    bool outputFailed() const { return logStream && logStream->failed(); }

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
    std::map<int, TclCondition*> conditionScripts;
    std::mutex outputLock;
    /// The status Tcl's exit was given, and whether the batch file failed: the host's exit code.
    int exitStatus = 0;
    bool batchFailed = false;
    bool engineLost = false;
    bool commandFailed = false;
    std::atomic<bool> leaveRequested{false};
    bool quietTrace = false;
    std::vector<std::string> earlierHistory;
    std::string startupCommands; // run after the batch file, before standard input
    bool reportingEngineFailure = false;
    Tcl_Trace commandTrace = nullptr;
};

} // namespace Tavrin
