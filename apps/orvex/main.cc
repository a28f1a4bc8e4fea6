// orvex: the command-line launcher. Compiles the Verilog files given, starts the engine and runs
// the shell; without files the shell runs with no engine.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "DesignCompiler.h"
#include "GuiLaunch.h"
#include "LineEditConsole.h"
#include "orvex/Exceptions.h"
#include "orvex/Platform.h"
#include "tavrin/SimClient.h"
#include "tavrin/TclControl.h"

namespace {

const char* const usageText =
    "Usage: orvex [options] [FILE.v ...]\n"
    "Compiles the Verilog files with Icarus Verilog, starts the simulation engine and the Orvex\n"
    "shell. Without files the shell starts with no engine.\n"
    "\n"
    "Options:\n"
    "  -tclbatch FILE  evaluate the Tcl commands in FILE before reading standard input\n"
    "  -log FILE       write the simulation log to FILE (default orvex.log)\n"
    "  -nolog          write no simulation log\n"
    "  -wdb NAME       name of the waveform database (default orvex.wdb, with the run number\n"
    "                  when other simulations run in the same directory)\n"
    "  -gui            open a GTKWave window on the waveform database; it shows the data up\n"
    "                  to the current time at every stop (needs an X display and gtkwave)\n"
    "  -wavelog all|none  with -gui: record every object from time 0 (all, the default) or\n"
    "                  only the objects given to wave add, from then on (none)\n"
    "  -I DIR, -D MACRO[=VALUE], -s TOP, -g FLAG\n"
    "                  passed on to the compiler (also written -IDIR, -DMACRO, -sTOP, -gFLAG)\n"
    "  --help          show this text\n"
    "\n"
    "Without a terminal on standard input no prompt is shown, so a script can be run with\n"
    "  orvex -nolog design.v < script.tcl\n"
    "Ctrl-C stops a running simulation. The exit status is 0 after quit or the end of input,\n"
    "the status given to exit, 1 when the batch file cannot be opened or stops with an error or\n"
    "the engine cannot start, and 2 for bad options or a design that does not compile.\n";

struct Options {
    const char* batchFile = nullptr;
    const char* logFile = nullptr;
    bool noLog = false;
    std::string wdb;
    OrvexLauncher::CompileRequest compile;
    OrvexLauncher::GuiRequest gui;
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
        const int guiOption = OrvexLauncher::parseGuiOption(argc, argv, i, options.gui);
        if (guiOption < 0) return 2;
        if (guiOption > 0) continue;
        if (arg == "--help" || arg == "-help" || arg == "-h") {
            std::fputs(usageText, stdout);
            return 0;
        } else if (arg == "-tclbatch") {
            if (!(options.batchFile = value("-tclbatch"))) return 2;
        } else if (arg == "-log") {
            if (!(options.logFile = value("-log"))) return 2;
        } else if (arg == "-nolog") {
            options.noLog = true;
        } else if (arg == "-wdb") {
            const char* name = value("-wdb");
            if (!name) return 2;
            options.wdb = name;
        } else if (arg == "-I" || arg == "-D" || arg == "-s" || arg == "-g") {
            const char* v = value(arg.c_str());
            if (!v) return 2;
            options.compile.compilerOptions.push_back(arg + v);
        } else if (arg.size() > 2 && arg[0] == '-' && std::string("IDsg").find(arg[1]) != std::string::npos) {
            options.compile.compilerOptions.push_back(arg);
        } else if (!arg.empty() && arg[0] == '-') {
            std::fprintf(stderr, "orvex: unknown option '%s' (try --help)\n", argv[i]);
            return 2;
        } else {
            options.compile.sources.push_back(arg);
        }
    }
    return -1;
}

// The folder holding the engine module, from the install path list.
std::string findEngineLibDir() {
    for (const std::string& dir : Tavrin::KestrinPath::getInstance().getDirectories()) {
        std::string candidate = dir + "/lib/ivl";
        if (Tavrin::Platform::fileExists(candidate + "/orvex.vpi")) return candidate;
    }
    return std::string();
}

// Ctrl-C asks the engine to stop a running simulation; it never kills the shell. SIGINT is
// blocked before any thread exists (every later thread inherits the mask) and taken by sigwait on
// a thread of its own.
void blockInterrupts() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

void startInterruptWatcher(Tavrin::ISimulationControl* engine) {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    std::thread([set, engine] {
        for (;;) {
            int signal = 0;
            if (sigwait(&set, &signal) != 0) return;
            try {
                engine->stop();
            } catch (const Orvex::Exception&) {
                // No running engine to stop.
            }
        }
    }).detach();
}

/// A temporary folder for the compiled design, removed when the launcher ends.
struct WorkDir {
    std::string path;
    WorkDir() {
        char name[] = "/tmp/orvex-XXXXXX";
        if (::mkdtemp(name) != nullptr) path = name;
    }
    ~WorkDir() {
        std::error_code ignored;
        if (!path.empty()) std::filesystem::remove_all(path, ignored);
    }
};

} // namespace

int main(int argc, char** argv) {
    Options options;
    int early = parseOptions(argc, argv, options);
    if (early >= 0) return early;

    Tavrin::KestrinPath::getInstance().setProgramPath(argv[0]);
    if (!options.compile.sources.empty()) blockInterrupts();
    WorkDir work;
    Tavrin::LiveSimClient* client = nullptr;
    if (!options.compile.sources.empty()) {
        std::string libDir = findEngineLibDir();
        if (libDir.empty()) {
            std::fprintf(stderr, "orvex: the engine module orvex.vpi is not installed\n");
            return 1;
        }
        if (work.path.empty()) {
            std::fprintf(stderr, "orvex: cannot create a folder for the compiled design\n");
            return 1;
        }
        std::string messages;
        bool compiled = OrvexLauncher::compileDesign(options.compile, work.path, libDir, messages);
        std::fputs(messages.c_str(), compiled ? stdout : stderr);
        if (!compiled) {
            std::fprintf(stderr, "orvex: the design did not compile\n");
            return 2;
        }
        if (Tavrin::Platform::fileExists(work.path + "/design.odb"))
            Tavrin::Platform::setEnv("ORVEX_DESIGN_INFO", work.path + "/design.odb");
        std::string engine = "vvp -M " + libDir + " -m orvex " + work.path + "/design.vvp";
        client = Tavrin::LiveSimClientFactory::getInstance().create(engine, options.wdb, nullptr, false);
    }

    bool terminal = ::isatty(0) != 0;
    std::unique_ptr<OrvexLauncher::LineEditConsole> editor;
    if (terminal) editor.reset(new OrvexLauncher::LineEditConsole);
    Tavrin::TclControlFactory factory;
    std::unique_ptr<Tavrin::TclControl> control(static_cast<Tavrin::TclControl*>(
        editor ? factory.createTclObject(*editor) : factory.createTclObjectUseStdio()));

    int status = 0;
    std::unique_ptr<OrvexGui::GtkWaveGui> gui;
    try {
        if (client != nullptr) {
            control->setLiveSimClient(client);
            startInterruptWatcher(client->getSimulationControl());
        }
        gui = OrvexLauncher::makeGui(options.gui, *control, options.wdb);
        control->startEngineProcess(options.logFile, options.noLog);
        OrvexLauncher::startGui(gui.get(), *control);
        control->saveCommandLineToLog(argc, argv);
        status = control->startTcl(argv[0], options.batchFile, nullptr);
    } catch (const Orvex::EndOfInputException&) {
        status = control->batchFileFailed() ? 1 : control->getExitStatus();
    } catch (const Orvex::Exception& e) {
        std::fprintf(stderr, "orvex: %s\n", e.getDescription());
        status = 1;
    }
    if (gui) gui->close(); // no window outlives the shell
    if (client != nullptr) client->shutDownEngine();
    control->shutDown();
    control->closeLiveSimClient();
    control.reset();
    return status;
}
