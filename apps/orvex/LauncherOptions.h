// The launcher's command line: its own options, the compiler's options and the design's plusargs.
#pragma once

#include <string>
#include <vector>

#include "DesignCompiler.h"
#include "GuiLaunch.h"

namespace OrvexLauncher {

struct Options {
    const char* batchFile = nullptr;
    /// The commands of every -do, one line each, run after the batch file.
    std::string commands;
    const char* logFile = nullptr;
    bool noLog = false;
    bool version = false;
    bool noCache = false;
    std::string wdb;
    CompileRequest compile;
    /// +name and +name=value arguments, handed to the design at run time.
    std::vector<std::string> plusargs;
    GuiRequest gui;
};

/// Reads the command line. Returns -1 when the session should start, otherwise the exit status
/// (after --help, or 2 after a message for a bad option).
int parseOptions(int argc, char** argv, Options& options);

/// orvex --version: the versions of Orvex, the Icarus engine and Tcl.
void printVersions();

} // namespace OrvexLauncher
