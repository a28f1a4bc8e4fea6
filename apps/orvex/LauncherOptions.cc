// Option parsing for the launcher. Compiler options are passed on as the Icarus compiler means
// them; the forms other Verilog tools use for library folders, include folders and macros
// (+incdir+, +define+, +libext+, -v FILE) are turned into the compiler's own.
#include "LauncherOptions.h"

#include <tcl.h>

#include <cstdio>
#include <cstring>

namespace OrvexLauncher {

namespace {

const char* const usageText =
    "Usage: orvex [options] [FILE.v ...] [+plusarg[=value] ...]\n"
    "Compiles the Verilog files with Icarus Verilog, starts the simulation engine and the Orvex\n"
    "shell. Without files the shell starts with no engine.\n"
    "\n"
    "Options:\n"
    "  -tclbatch FILE  evaluate the Tcl commands in FILE before reading standard input\n"
    "  -do COMMANDS    run the Tcl COMMANDS (after -tclbatch), then read standard input; a\n"
    "                  command that fails ends the session with exit status 1:\n"
    "                    orvex -do \"run all; quit\" design.v\n"
    "  -log FILE       write the simulation log to FILE (default orvex.log)\n"
    "  -nolog          write no simulation log\n"
    "  -wdb NAME       name of the waveform database (default orvex.wdb, with the run number\n"
    "                  when other simulations run in the same directory)\n"
    "  -gui            open a GTKWave window on the waveform database; it shows the data up\n"
    "                  to the current time at every stop (needs an X display and gtkwave)\n"
    "  -wavelog all|none  with -gui: record every object from time 0 (all, the default) or\n"
    "                  only the objects given to wave add, from then on (none)\n"
    "  -nocache        compile the design even when the compile cache holds it unchanged, and\n"
    "                  keep nothing there (also ORVEX_COMPILE_CACHE=off)\n"
    "  --version       show the versions of Orvex, the Icarus engine and Tcl\n"
    "  --help          show this text\n"
    "\n"
    "Compiler options, passed on to Icarus Verilog as it means them:\n"
    "  -I DIR, -D MACRO[=VALUE], -s TOP (several allowed), -g FLAG, -W CLASS, -T min|typ|max,\n"
    "  -P TOP.PARAM=VALUE, -f FILE and -c FILE (command files), -y DIR, -Y EXT, -l FILE, -L DIR,\n"
    "  -m MODULE, -p FLAG=VALUE, -u, -S (also written attached: -IDIR, -Wall, -Tmax ...)\n"
    "  -v FILE         a library file (the compiler's -l)\n"
    "  +incdir+DIR[+DIR...], +define+MACRO[=VALUE][+...], +libext+EXT[+EXT...]\n"
    "Files ending in .sv are compiled as SystemVerilog (-g2012) unless a -g option names the\n"
    "language generation. Any other +name or +name=value argument reaches the design\n"
    "($test$plusargs, $value$plusargs).\n"
    "\n"
    "A compiled design is kept in $XDG_CACHE_HOME/orvex/compile (or ~/.cache/orvex/compile) and\n"
    "used again while the options, the tools and every file the compiler read (sources, included\n"
    "and library files) are unchanged; the oldest designs are dropped beyond 256 MB\n"
    "(ORVEX_COMPILE_CACHE_MB sets the limit).\n"
    "\n"
    "Without a terminal on standard input no prompt is shown, so a script can be run with\n"
    "  orvex -nolog design.v < script.tcl\n"
    "Ctrl-C stops a running simulation; at the prompt it discards the line. Tab completes\n"
    "commands, options, design objects and file names; the history is kept in\n"
    "$XDG_STATE_HOME/orvex/history (or ~/.local/state/orvex/history).\n"
    "The exit status is 0 after quit or the end of input, the status given to exit, 1 when the\n"
    "batch file cannot be opened, when it or the -do commands stop with an error, when a command\n"
    "read from standard input (not a terminal) failed and no onerror script handled it, or when\n"
    "the engine cannot start, and 2 for bad options or a design that does not compile.\n";

// Compiler options that take a value, as a separate word or attached.
const char* const valueOptions = "IDsgWTPfcyYlLmp";
// Compiler options without a value.
const char* const plainOptions = "uS";
// Options the launcher sets itself.
const char* const launcherOwned = "oBtMNEV";

// "+incdir+a+b" -> {"a", "b"}.
std::vector<std::string> plusList(const std::string& arg, std::size_t skip) {
    std::vector<std::string> items;
    std::size_t begin = skip;
    while (begin <= arg.size()) {
        std::size_t end = arg.find('+', begin);
        if (end == std::string::npos) end = arg.size();
        if (end > begin) items.push_back(arg.substr(begin, end - begin));
        begin = end + 1;
    }
    return items;
}

bool startsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

} // namespace

int parseOptions(int argc, char** argv, Options& options) {
    std::vector<std::string>& compiler = options.compile.compilerOptions;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&](const char* name) -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "orvex: option %s needs a value\n", name);
                return nullptr;
            }
            return argv[++i];
        };
        const int guiOption = parseGuiOption(argc, argv, i, options.gui);
        if (guiOption < 0) return 2;
        if (guiOption > 0) continue;
        if (arg == "--help" || arg == "-help" || arg == "-h") {
            std::fputs(usageText, stdout);
            return 0;
        } else if (arg == "--version" || arg == "-version") {
            options.version = true;
        } else if (arg == "-tclbatch") {
            if (!(options.batchFile = value("-tclbatch"))) return 2;
        } else if (arg == "-do") {
            const char* script = value("-do");
            if (!script) return 2;
            options.commands += std::string(script) + "\n";
        } else if (arg == "-log") {
            if (!(options.logFile = value("-log"))) return 2;
        } else if (arg == "-nolog") {
            options.noLog = true;
        } else if (arg == "-nocache") {
            options.noCache = true;
        } else if (arg == "-wdb") {
            const char* name = value("-wdb");
            if (!name) return 2;
            options.wdb = name;
        } else if (arg == "-v") {
            const char* file = value("-v");
            if (!file) return 2;
            compiler.push_back(std::string("-l") + file);
        } else if (startsWith(arg, "+incdir+")) {
            for (const std::string& dir : plusList(arg, 8)) compiler.push_back("-I" + dir);
        } else if (startsWith(arg, "+define+")) {
            for (const std::string& macro : plusList(arg, 8)) compiler.push_back("-D" + macro);
        } else if (startsWith(arg, "+libext+")) {
            for (const std::string& ext : plusList(arg, 8)) compiler.push_back("-Y" + ext);
        } else if (arg.size() > 1 && arg[0] == '+') {
            options.plusargs.push_back(arg);
        } else if (arg.size() == 2 && arg[0] == '-' && std::strchr(valueOptions, arg[1])) {
            const char* v = value(arg.c_str());
            if (!v) return 2;
            compiler.push_back(arg + v);
        } else if (arg.size() > 2 && arg[0] == '-' && std::strchr(valueOptions, arg[1])) {
            compiler.push_back(arg);
        } else if (arg.size() == 2 && arg[0] == '-' && std::strchr(plainOptions, arg[1])) {
            compiler.push_back(arg);
        } else if (arg.size() >= 2 && arg[0] == '-' && std::strchr(launcherOwned, arg[1])) {
            std::fprintf(stderr, "orvex: option '%s' is not available: the launcher sets it itself\n", argv[i]);
            return 2;
        } else if (!arg.empty() && arg[0] == '-') {
            std::fprintf(stderr, "orvex: unknown option '%s' (try --help)\n", argv[i]);
            return 2;
        } else {
            options.compile.sources.push_back(arg);
        }
    }
    return -1;
}

void printVersions() {
    std::printf("Orvex %s\n", ORVEX_VERSION);
    std::string engine;
    if (runProgram({"vvp", "-V"}, engine) != 0 && engine.empty()) engine = "not found\n";
    std::string firstLine = engine.substr(0, engine.find('\n'));
    std::printf("Icarus Verilog engine: %s\n", firstLine.c_str());
    int major = 0, minor = 0, patch = 0, type = 0;
    Tcl_GetVersion(&major, &minor, &patch, &type);
    std::printf("Tcl %d.%d.%d\n", major, minor, patch);
}

} // namespace OrvexLauncher
