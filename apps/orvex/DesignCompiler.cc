// Runs Icarus Verilog twice: once for the engine's design.vvp (with statement places, so line
// breakpoints and stepping work, and specify paths kept for SDF annotation) and once through our
// own back end for the side file.
#include "DesignCompiler.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace OrvexLauncher {

int runProgram(const std::vector<std::string>& argv, std::string& output, const std::string& tmpDir) {
    // The environment is made before the fork: between fork and exec only plain calls are safe.
    std::vector<std::string> environment;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry)
        if (tmpDir.empty() || std::strncmp(*entry, "TMPDIR=", 7) != 0) environment.emplace_back(*entry);
    if (!tmpDir.empty()) environment.push_back("TMPDIR=" + tmpDir);
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(&entry[0]);
    envp.push_back(nullptr);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        output = std::string("cannot create a pipe: ") + std::strerror(errno) + "\n";
        return -1;
    }
    pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        output = std::string("cannot start ") + argv[0] + ": " + std::strerror(errno) + "\n";
        return -1;
    }
    if (pid == 0) {
        // The compiler takes Ctrl-C as usual, whatever the launcher blocks for itself.
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::dup2(fds[1], 1);
        ::dup2(fds[1], 2);
        ::execvpe(args[0], args.data(), envp.data());
        std::string message = std::string("cannot run ") + argv[0] + ": " + std::strerror(errno) + "\n";
        ssize_t ignored = ::write(2, message.data(), message.size());
        (void)ignored;
        ::_exit(127);
    }
    ::close(fds[1]);
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
        if (n > 0) output.append(buffer, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::vector<std::string> languageOptions(const CompileRequest& request) {
    static const char* const generations[] = {"-g1995", "-g2001", "-g2001-noconfig", "-g2005",
                                              "-g2005-sv", "-g2009", "-g2012"};
    for (const std::string& option : request.compilerOptions)
        for (const char* generation : generations)
            if (option == generation) return {};
    for (const std::string& source : request.sources)
        if (source.size() > 3 && source.compare(source.size() - 3, 3, ".sv") == 0) return {"-g2012"};
    return {};
}

bool isShellPlain(const std::string& path) {
    return path.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                  "0123456789/._-+,:=@%") == std::string::npos;
}

std::string shellSafeFolder(const std::string& folder, const std::string& workDir, const std::string& linkName) {
    if (isShellPlain(folder) || !isShellPlain(workDir)) return folder;
    std::string link = workDir + "/" + linkName;
    if (::symlink(folder.c_str(), link.c_str()) != 0 && errno != EEXIST) return folder;
    return link;
}

CompilePlan planCompile(const CompileRequest& request, const std::string& workDir, const std::string& engineLibDir) {
    std::vector<std::string> common = languageOptions(request);
    common.insert(common.end(), request.compilerOptions.begin(), request.compilerOptions.end());
    common.insert(common.end(), request.sources.begin(), request.sources.end());

    CompilePlan plan;
    plan.engineCompile = {"iverilog", "-gspecify", "-pfileline=1", "-o", workDir + "/design.vvp"};
    plan.engineCompile.insert(plan.engineCompile.end(), common.begin(), common.end());
    // The side file needs our back end, found through a base directory that also links the
    // compiler's own parts; without it the shell still runs, with fewer details.
    if (!engineLibDir.empty() && ::access((engineLibDir + "/orvexdb.tgt").c_str(), R_OK) == 0) {
        plan.sideCompile = {"iverilog", "-gspecify", "-B", shellSafeFolder(engineLibDir, workDir, "engine-lib"),
                            "-t", "orvexdb", "-o", workDir + "/design.odb"};
        plan.sideCompile.insert(plan.sideCompile.end(), common.begin(), common.end());
    }
    return plan;
}

bool compileDesign(const CompileRequest& request, const std::string& workDir,
                   const std::string& engineLibDir, std::string& messages) {
    CompilePlan plan = planCompile(request, workDir, engineLibDir);
    // The compiler's own temporary files go to the session's folder, which is removed with it.
    if (runProgram(plan.engineCompile, messages, workDir) != 0) return false;
    if (!plan.sideCompile.empty()) {
        std::string sideMessages;
        if (runProgram(plan.sideCompile, sideMessages, workDir) != 0)
            messages += "Warning: declaration places and net connections are not available:\n" + sideMessages;
    }
    return true;
}

} // namespace OrvexLauncher
