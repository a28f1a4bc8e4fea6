// Runs Icarus Verilog twice: once for the engine's design.vvp (with statement places, so line
// breakpoints and stepping work, and specify paths kept for SDF annotation) and once through our own back end for the side file.
#include "DesignCompiler.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace OrvexLauncher {

int runProgram(const std::vector<std::string>& argv, std::string& output) {
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
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
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

bool compileDesign(const CompileRequest& request, const std::string& workDir,
                   const std::string& engineLibDir, std::string& messages) {
    std::vector<std::string> engineCompile = {"iverilog", "-gspecify", "-pfileline=1", "-o",
                                              workDir + "/design.vvp"};
    engineCompile.insert(engineCompile.end(), request.compilerOptions.begin(), request.compilerOptions.end());
    engineCompile.insert(engineCompile.end(), request.sources.begin(), request.sources.end());
    if (runProgram(engineCompile, messages) != 0) return false;

    // The side file needs our back end, found through a base directory that also links the
    // compiler's own parts; without it the shell still runs, with fewer details.
    if (!engineLibDir.empty() && ::access((engineLibDir + "/orvexdb.tgt").c_str(), R_OK) == 0) {
        std::vector<std::string> sideCompile = {"iverilog", "-gspecify", "-B", engineLibDir,
                                                "-t", "orvexdb", "-o", workDir + "/design.odb"};
        sideCompile.insert(sideCompile.end(), request.compilerOptions.begin(), request.compilerOptions.end());
        sideCompile.insert(sideCompile.end(), request.sources.begin(), request.sources.end());
        std::string sideMessages;
        if (runProgram(sideCompile, sideMessages) != 0)
            messages += "Warning: declaration places and net connections are not available:\n" + sideMessages;
    }
    return true;
}

} // namespace OrvexLauncher
