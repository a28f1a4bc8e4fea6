// Starting the shell: the Tcl library, the interpreter and its commands, the prompt, the command
// trace into the log, the batch file, the host console channel, and leaving the shell.
#include <poll.h>
#include <tcl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "TclControlImpl.h"
#include "commands/CommandTable.h"
#include "orvex/Platform.h"
#include "orvex/PosixIo.h"
#include "tavrin/HelpInstance.h"

namespace Tavrin {

namespace {

/// Thrown to unwind from wherever the shell is left back to startTcl. It derives from nothing
/// the command dispatchers catch, so it passes through every command on the way.
struct ShellLeave {};

// Names of the user units for the start-up line; 10 ns carries a leading blank.
const char* const resolutionNames[16] = {"1 fs",  "10 fs",  "100 fs", "1 ps",  "10 ps",  "100 ps",
                                         "1 ns",  " 10 ns", "100 ns", "1 us",  "10 us",  "100 us",
                                         "1 ms",  "10 ms",  "100 ms", "1 s"};

void exitProc(ClientData status) {
    TclControlImpl* control = TclControlImpl::current();
    if (control == nullptr) throw ShellLeave();
    control->setExitStatus(static_cast<int>(reinterpret_cast<intptr_t>(status)));
    control->exitFromTcl();
}

int promptCommand(ClientData, Tcl_Interp*, int objc, Tcl_Obj* const objv[]) {
    TclControlImpl* control = TclControlImpl::current();
    if (control != nullptr && objc > 1) control->writePrompt(Tcl_GetString(objv[1]));
    return TCL_OK;
}

int commandTraceProc(ClientData, Tcl_Interp*, int, const char* command, Tcl_Command, int objc,
                     Tcl_Obj* const objv[]) {
    TclControlImpl* control = TclControlImpl::current();
    if (control == nullptr) return TCL_ERROR;
    if (control->traceQuiet()) return TCL_OK;
    // The prompt and the history bookkeeping of the interactive loop are not user commands.
    // Tcl records each line through "::history add", whose ensemble dispatches through apply.
    std::string line = "# ";
    for (int i = 0; i < objc; ++i) {
        if (i > 0) line += ' ';
        line += Tcl_GetString(objv[i]);
    }
    static const char* const hidden[] = {"orvexprompt", "history add", "::history add",
                                         "apply arglist {tailcall history"};
    for (const char* prefix : hidden) {
        std::size_t n = std::strlen(prefix);
        if ((command != nullptr && std::strncmp(command, prefix, n) == 0) ||
            line.compare(2, n, prefix) == 0)
            return TCL_OK;
    }
    control->traceCommand(line);
    return TCL_OK;
}

// ---- the "OrvexConsole" channel over the console pipe ----

int consoleClose(ClientData, Tcl_Interp*) { return 0; }

// Whether typed bytes are waiting in the pipe already.
bool inputWaiting(int fd) {
    pollfd entry = {fd, POLLIN, 0};
    return pollRetrying(&entry, 1, 0) > 0;
}

int consoleInput(ClientData data, char* buffer, int size, int* errorCode) {
    ConsoleBridge* bridge = static_cast<ConsoleBridge*>(data);
    // The console reads a line only when asked for one. The shell asks with its prompt; a
    // script reading standard input itself (gets stdin) asks here, with no prompt text.
    TclControlImpl* asking = TclControlImpl::current();
    if (!bridge->lineAsked && asking != nullptr && !inputWaiting(bridge->pipe.getReadDescriptor()))
        asking->writePrompt(StringBase());
    int count = 0;
    bool ok;
    try {
        ok = bridge->pipe.read(buffer, size, count);
    } catch (const Orvex::EndOfInputException&) {
        ok = true;
        count = 0;
    }
    if (!ok) {
        *errorCode = EIO;
        return -1;
    }
    bridge->lineAsked = false;
    if (count == 0) {
        // End of console input leaves the shell directly, as the host expects.
        TclControlImpl* control = TclControlImpl::current();
        if (control != nullptr) control->leaveShell();
    }
    return count;
}

int consoleOutput(ClientData data, const char* buffer, int size, int* errorCode) {
    if (size == 0) return 0;
    ConsoleBridge* bridge = static_cast<ConsoleBridge*>(data);
    TclControlImpl* control = TclControlImpl::current();
    int count = 0;
    bool ok;
    if (control != nullptr) {
        std::unique_lock<std::mutex> guard = control->lockOutput();
        ok = bridge->pipe.write(buffer, size, count);
    } else {
        ok = bridge->pipe.write(buffer, size, count);
    }
    if (!ok) {
        *errorCode = EIO;
        return -1;
    }
    return count;
}

void consoleWatch(ClientData, int) {}

int consoleGetHandle(ClientData data, int direction, ClientData* handle) {
    ConsoleBridge* bridge = static_cast<ConsoleBridge*>(data);
    if (direction == TCL_READABLE) {
        *handle = reinterpret_cast<ClientData>(static_cast<intptr_t>(bridge->pipe.getReadDescriptor()));
        return TCL_OK;
    }
    if (direction == TCL_WRITABLE) {
        *handle = reinterpret_cast<ClientData>(static_cast<intptr_t>(bridge->pipe.getWriteDescriptor()));
        return TCL_OK;
    }
    return TCL_ERROR;
}

Tcl_ChannelType consoleChannelType = {
    const_cast<char*>("OrvexConsole"),
    TCL_CHANNEL_VERSION_5,
    consoleClose,
    consoleInput,
    consoleOutput,
    nullptr, // seek
    nullptr, // set option
    nullptr, // get option
    consoleWatch,
    consoleGetHandle,
    nullptr, // close2
    nullptr, // block mode
    nullptr, // flush
    nullptr, // handler
    nullptr, // wide seek
    nullptr, // thread action
    nullptr, // truncate
};

int defaultApplicationInit(Tcl_Interp* interp) {
    TclControlImpl* control = TclControlImpl::current();
    if (control == nullptr) return TCL_ERROR;
    return control->applicationInit(interp);
}

// Finds the Tcl library among the install directories; a working system Tcl is left alone
// when none of them has one.
void locateTclLibrary() {
    for (const std::string& dir : KestrinPath::getInstance().getDirectories()) {
        std::string candidate = dir + "/bin/lib/tcl8.4/init.tcl";
        if (Platform::fileExists(candidate)) {
            Platform::setEnv("TCL_LIBRARY", candidate.substr(0, candidate.size() - 9));
            return;
        }
    }
}

} // namespace

int TclControlImpl::startTcl(const char* programName, const char* batchFile,
                             int (*appInit)(Tcl_Interp*)) {
    int unit = userUnit;
    if (unit < -15) unit = -15;
    if (unit > 0) unit = 0;
    print(std::string("Time resolution is ") + resolutionNames[unit + 15], true);

    if (batchFile != nullptr) {
        batchFileName = batchFile;
        std::FILE* check = Platform::openFile(batchFileName, "r");
        if (check == nullptr) {
            print("Can't open TCL batch file " + batchFileName, true);
            return 1;
        }
        std::fclose(check);
        batchPending = true;
    }

    // Tcl's subsystems must be up before a channel can be made.
    Tcl_FindExecutable(programName);
    if (!isStandardConsole() && !consoleBridge) {
        consoleBridge.reset(new ConsoleBridge(*console));
        Tcl_Channel channel = Tcl_CreateChannel(&consoleChannelType, "orvexConsole",
                                                consoleBridge.get(), TCL_READABLE | TCL_WRITABLE);
        Tcl_SetChannelOption(nullptr, channel, "-buffering", "line");
        Tcl_SetStdChannel(channel, TCL_STDIN);
        Tcl_SetStdChannel(channel, TCL_STDOUT);
        Tcl_SetStdChannel(channel, TCL_STDERR);
        Tcl_RegisterChannel(nullptr, channel);
    }

    Tcl_SetExitProc(exitProc);
    try {
        runShell(programName ? programName : "orvex", appInit ? appInit : defaultApplicationInit);
    } catch (const ShellLeave&) {
        Tcl_SetExitProc(nullptr);
        // Text that scripts left in Tcl's buffers (puts -nonewline, open files) is written.
        flushChannels();
        if (logStream) logStream->flush();
        std::fflush(stdout);
        Orvex::EndOfInputException leaving("Orvex", __FILE__, ORVEX_REVISION, 1089);
        throw leaving;
    }
    return 0;
}

int TclControlImpl::applicationInit(Tcl_Interp* tclInterp) {
    locateTclLibrary();
    if (Tcl_Init(tclInterp) == TCL_ERROR) return TCL_ERROR;
    interp = tclInterp;

    registerAllCommands(tclInterp, this);
    HelpInstance::getInstance().sort();

    Tcl_CreateObjCommand(tclInterp, "orvexprompt", promptCommand, nullptr, nullptr);
    Tcl_SetVar(tclInterp, "tcl_prompt1", "orvexprompt \"Orvex> \"", TCL_GLOBAL_ONLY);
    commandTrace = Tcl_CreateObjTrace(tclInterp, 1, 0, commandTraceProc, nullptr, nullptr);
    if (isStandardConsole()) {
        // Keep puts output in step with the shell's own messages on standard output.
        Tcl_Channel out = Tcl_GetStdChannel(TCL_STDOUT);
        if (out != nullptr) Tcl_SetChannelOption(nullptr, out, "-buffering", "line");
    }

    if (batchPending) {
        batchPending = false;
        if (Tcl_EvalFile(tclInterp, batchFileName.c_str()) != TCL_OK) {
            startupScriptFailed(tclInterp, "TCL batch file \"" + batchFileName + "\"");
            return TCL_OK;
        }
    }
    if (!startupCommands.empty() && Tcl_Eval(tclInterp, startupCommands.c_str()) != TCL_OK) {
        startupScriptFailed(tclInterp, "Commands given on the command line");
        return TCL_OK;
    }
    if (guiControl != nullptr) guiControl->shellReady();
    return TCL_OK;
}

void TclControlImpl::startupScriptFailed(Tcl_Interp* tclInterp, const std::string& what) {
    // Our commands have told their error already and leave no result; Tcl's own errors have
    // only the result to say what went wrong.
    const std::string message = Tcl_GetStringResult(tclInterp);
    if (!message.empty()) print(message, true);
    print(what + " encountered an error in line " + std::to_string(Tcl_GetErrorLine(tclInterp)) +
              ". Simulator is exiting.",
          true);
    batchFailed = true;
    quit(true, isStandardConsole());
}

void TclControlImpl::leaveShell() {
    throw ShellLeave();
}

void TclControlImpl::exitFromTcl() {
    const bool engineGone = eventHandler->engineEnded();
    try {
        if (engineGone) {
            if (guiControl != nullptr) guiControl->exitSimulation();
        } else if (simulationControl != nullptr) {
            simulationControl->exitSimulation();
        }
    } catch (const Orvex::InterruptException& e) {
        // An engine that does not answer is not waited for any longer: it is ended.
        deliver(std::string(e.getDescription()) + "\n", true, true);
        endHungEngine();
    } catch (const Orvex::Exception& e) {
        reportError(e, nullptr);
    }
    throw ShellLeave();
}

void TclControlImpl::shutDown() {
    if (consoleBridge) consoleBridge->pipe.shutDown();
}

} // namespace Tavrin
