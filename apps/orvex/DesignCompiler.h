// Compiling the user's Verilog files for the engine.
#pragma once

#include <string>
#include <vector>

namespace OrvexLauncher {

/// What the compiler is given: source files and the options passed on to it.
struct CompileRequest {
    std::vector<std::string> sources;
    std::vector<std::string> compilerOptions; // as the Icarus compiler takes them, in order

    /// Whether there is a design to compile: source files, or command files naming them.
    bool namesDesign() const {
        if (!sources.empty()) return true;
        for (const std::string& option : compilerOptions)
            if (option.compare(0, 2, "-f") == 0 || option.compare(0, 2, "-c") == 0) return true;
        return false;
    }
};

/// The compiler runs of one design, worked out before any of them starts: the engine's
/// design.vvp, and the side file design.odb through our own back end (empty when that back end
/// is not installed). Being plain argument lists, they can key a cache of compiled designs and
/// run side by side.
struct CompilePlan {
    std::vector<std::string> engineCompile;
    std::vector<std::string> sideCompile;
};

/// The options implied by the sources: -g2012 when a file ends in .sv and no -g option names the
/// language generation.
std::vector<std::string> languageOptions(const CompileRequest& request);

/// A name for `folder` that a shell takes as one word without quoting: the folder itself when
/// it is one already, otherwise a link to it made inside `workDir`. The compiler's driver hands
/// its base folder to a shell, so a folder with blanks or shell characters must not reach it.
std::string shellSafeFolder(const std::string& folder, const std::string& workDir, const std::string& linkName);

CompilePlan planCompile(const CompileRequest& request, const std::string& workDir, const std::string& engineLibDir);

/// Compiles the design into `workDir` (design.vvp for the engine, design.odb with declaration
/// places and net connections), both compiles at once. On failure returns false with the
/// compiler's messages in `messages`; the side file is optional and its failure is only a
/// warning. With `useCache` an unchanged design is copied from the compile cache (messages
/// included) and a successful compile is kept there; failures are never kept.
bool compileDesign(const CompileRequest& request, const std::string& workDir, const std::string& engineLibDir,
                   bool useCache, std::string& messages);

/// Runs a program with arguments (never through a shell), collecting its standard output and
/// error; the exit status. A non-empty `tmpDir` becomes the program's TMPDIR.
int runProgram(const std::vector<std::string>& argv, std::string& output, const std::string& tmpDir = std::string());

/// Whether a shell would take `path` as one word, unquoted.
bool isShellPlain(const std::string& path);

} // namespace OrvexLauncher
