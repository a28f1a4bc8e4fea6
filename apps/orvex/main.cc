// orvex: the command-line launcher. Starts the shell on standard input and output.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "orvex/Exceptions.h"
#include "orvex/Platform.h"
#include "tavrin/TclControl.h"

namespace {

const char* const usageText =
    "Usage: orvex [options]\n"
    "Starts the Orvex simulator shell on standard input and output.\n"
    "\n"
    "Options:\n"
    "  -tclbatch FILE  evaluate the Tcl commands in FILE before reading standard input\n"
    "  -log FILE       write the simulation log to FILE (default orvex.log)\n"
    "  -nolog          write no simulation log\n"
    "  --help          show this text\n"
    "\n"
    "Without a terminal on standard input no prompt is shown, so a script can be run with\n"
    "  orvex -nolog < script.tcl\n"
    "The exit status is 0 after quit or the end of input, the status given to exit, and 1 when\n"
    "the batch file cannot be opened or stops with an error.\n";

struct Options {
    const char* batchFile = nullptr;
    const char* logFile = nullptr;
    bool noLog = false;
};

// Returns -1 when the shell should start, otherwise the exit status.
int parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&](const char* name) -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "orvex: option %s needs a value\n", name);
                return nullptr;
            }
            return argv[++i];
        };
        if (arg == "--help" || arg == "-help" || arg == "-h") {
            std::fputs(usageText, stdout);
            return 0;
        } else if (arg == "-tclbatch") {
            if (!(options.batchFile = value("-tclbatch"))) return 2;
        } else if (arg == "-log") {
            if (!(options.logFile = value("-log"))) return 2;
        } else if (arg == "-nolog") {
            options.noLog = true;
        } else {
            std::fprintf(stderr, "orvex: unknown option or argument '%s' (try --help)\n", argv[i]);
            return 2;
        }
    }
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    int early = parseOptions(argc, argv, options);
    if (early >= 0) return early;

    Tavrin::KestrinPath::getInstance().setProgramPath(argv[0]);
    Tavrin::TclControlFactory factory;
    std::unique_ptr<Tavrin::TclControl> control(
        static_cast<Tavrin::TclControl*>(factory.createTclObjectUseStdio()));
    try {
        control->startEngineProcess(options.logFile, options.noLog);
    } catch (const Orvex::Exception& e) {
        std::fprintf(stderr, "orvex: %s\n", e.getDescription());
        return 1;
    }
    control->saveCommandLineToLog(argc, argv);

    int status = 0;
    try {
        status = control->startTcl(argv[0], options.batchFile, nullptr);
    } catch (const Orvex::EndOfInputException&) {
        status = control->batchFileFailed() ? 1 : control->getExitStatus();
    }
    control->closeLiveSimClient();
    control.reset();
    return status;
}
