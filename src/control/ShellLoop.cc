// The shell's read-evaluate loop on the interpreter's standard channels. It does what Tcl's own
// main loop does (prompts on a terminal, the history, echoing results) and three things that loop
// cannot: the prompt is asked for only once a command has returned, so it always follows the
// command's complete output; a failing command read from a script on standard input is
// remembered for the exit status, with its line; and a host may ask the shell to leave between
// two commands (a terminating signal).
#include <tcl.h>
#include <unistd.h>

#include <string>

#include "TclControlImpl.h"

namespace Tavrin {

namespace {

void writeText(Tcl_Channel channel, const std::string& text) {
    if (channel == nullptr) return;
    Tcl_WriteChars(channel, text.data(), static_cast<int>(text.size()));
    Tcl_Flush(channel);
}

// Shows the prompt named by tcl_prompt1, or tcl_prompt2 inside an unfinished command.
void showPrompt(TclControlImpl& control, Tcl_Interp* interp, bool continuation) {
    Tcl_Obj* script = Tcl_GetVar2Ex(interp, continuation ? "tcl_prompt2" : "tcl_prompt1", nullptr,
                                    TCL_GLOBAL_ONLY);
    if (script == nullptr) {
        // A continuation line has no prompt text, but a host console still learns that a line
        // is wanted.
        if (continuation)
            control.writePrompt(StringBase());
        else
            writeText(Tcl_GetStdChannel(TCL_STDOUT), "% ");
    } else {
        Tcl_IncrRefCount(script);
        if (Tcl_EvalObjEx(interp, script, TCL_EVAL_GLOBAL) != TCL_OK) {
            writeText(Tcl_GetStdChannel(TCL_STDERR),
                      std::string("Error in prompt script: ") + Tcl_GetStringResult(interp) + "\n");
            control.writePrompt(StringBase("% "));
        }
        Tcl_DecrRefCount(script);
    }
    Tcl_Channel out = Tcl_GetStdChannel(TCL_STDOUT);
    if (out != nullptr) Tcl_Flush(out);
}

void flushStandardChannels() {
    for (int which : {TCL_STDOUT, TCL_STDERR}) {
        Tcl_Channel channel = Tcl_GetStdChannel(which);
        if (channel != nullptr) Tcl_Flush(channel);
    }
}

} // namespace

void TclControlImpl::runShell(const char* programName, int (*appInit)(Tcl_Interp*)) {
    Tcl_Interp* shell = Tcl_CreateInterp();
    Tcl_SetVar(shell, "argv0", programName, TCL_GLOBAL_ONLY);
    Tcl_SetVar(shell, "argc", "0", TCL_GLOBAL_ONLY);
    Tcl_SetVar(shell, "argv", "", TCL_GLOBAL_ONLY);
    const bool terminal = ::isatty(0) != 0;
    Tcl_SetVar2Ex(shell, "tcl_interactive", nullptr, Tcl_NewIntObj(terminal ? 1 : 0), TCL_GLOBAL_ONLY);
    if (appInit(shell) != TCL_OK)
        writeText(Tcl_GetStdChannel(TCL_STDERR),
                  std::string("application-specific initialization failed: ") +
                      Tcl_GetStringResult(shell) + "\n");

    if (!earlierHistory.empty()) {
        // Bookkeeping, not user commands: the command trace stays quiet.
        quietTrace = true;
        std::string keep = "history keep " + std::to_string(earlierHistory.size() + 1000);
        Tcl_Eval(shell, keep.c_str());
        for (const std::string& line : earlierHistory) Tcl_RecordAndEval(shell, line.c_str(), TCL_NO_EVAL);
        Tcl_ResetResult(shell);
        quietTrace = false;
    }

    Tcl_Obj* command = Tcl_NewObj();
    Tcl_IncrRefCount(command);
    bool continuation = false;
    int lineNumber = 0;
    int commandLine = 0;
    for (;;) {
        if (leaveRequested) exitFromTcl();
        if (terminal) showPrompt(*this, shell, continuation);
        Tcl_Channel in = Tcl_GetStdChannel(TCL_STDIN);
        Tcl_Obj* line = Tcl_NewObj();
        Tcl_IncrRefCount(line);
        int length = in != nullptr ? Tcl_GetsObj(in, line) : -1;
        if (length < 0) {
            Tcl_DecrRefCount(line);
            break;
        }
        ++lineNumber;
        if (!continuation) commandLine = lineNumber;
        Tcl_AppendObjToObj(command, line);
        Tcl_AppendToObj(command, "\n", 1);
        Tcl_DecrRefCount(line);
        if (!Tcl_CommandComplete(Tcl_GetString(command))) {
            continuation = true;
            continue;
        }
        continuation = false;
        if (leaveRequested) exitFromTcl();

        int code = Tcl_RecordAndEvalObj(shell, command, TCL_EVAL_GLOBAL);
        Tcl_DecrRefCount(command);
        command = Tcl_NewObj();
        Tcl_IncrRefCount(command);
        flushStandardChannels();
        std::string result = Tcl_GetStringResult(shell);
        if (code != TCL_OK) {
            std::string report = result.empty() ? std::string() : result + "\n";
            if (!terminal) {
                commandFailed = true;
                report += "Error in line " + std::to_string(commandLine) + " of standard input.\n";
            }
            writeText(Tcl_GetStdChannel(TCL_STDERR), report);
        } else if (terminal && !result.empty()) {
            writeText(Tcl_GetStdChannel(TCL_STDOUT), result + "\n");
        }
    }
    Tcl_DecrRefCount(command);
    // The end of input leaves the shell through Tcl's exit, as Tcl's own loop does.
    Tcl_Eval(shell, "exit 0");
    exitFromTcl();
}

void TclControlImpl::flushChannels() {
    if (interp == nullptr || Tcl_InterpDeleted(interp)) return;
    if (Tcl_GetChannelNames(interp) == TCL_OK) {
        Tcl_Obj* names = Tcl_GetObjResult(interp);
        Tcl_IncrRefCount(names);
        int count = 0;
        Tcl_Obj** items = nullptr;
        if (Tcl_ListObjGetElements(nullptr, names, &count, &items) == TCL_OK) {
            for (int i = 0; i < count; ++i) {
                int mode = 0;
                Tcl_Channel channel = Tcl_GetChannel(interp, Tcl_GetString(items[i]), &mode);
                if (channel != nullptr && (mode & TCL_WRITABLE) != 0) Tcl_Flush(channel);
            }
        }
        Tcl_DecrRefCount(names);
    }
    flushStandardChannels();
}

} // namespace Tavrin
