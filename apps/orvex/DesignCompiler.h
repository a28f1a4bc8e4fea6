// Compiling the user's Verilog files for the engine.
#pragma once

#include <string>
#include <vector>

namespace OrvexLauncher {

/// What the compiler is given: source files and the options passed on to it.
struct CompileRequest {
    std::vector<std::string> sources;
    std::vector<std::string> compilerOptions; // -I, -D, -s, -g as typed
};

/// Compiles the design into `workDir` (design.vvp for the engine, design.odb with declaration
/// places and net connections). On failure returns false with the compiler's messages in
/// `messages`; the side file is optional and its failure is only a warning.
bool compileDesign(const CompileRequest& request, const std::string& workDir,
                   const std::string& engineLibDir, std::string& messages);

/// Runs a program with arguments, collecting its standard output and error; the exit status.
int runProgram(const std::vector<std::string>& argv, std::string& output);

} // namespace OrvexLauncher
