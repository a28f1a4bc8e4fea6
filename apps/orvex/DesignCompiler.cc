// Runs Icarus Verilog twice, side by side: once for the engine's design.vvp (with statement
// places, so line breakpoints and stepping work, and specify paths kept for SDF annotation) and
// once through our own back end for the side file. An unchanged design comes from the cache.
#include "DesignCompiler.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "CompileCache.h"
#include "Sha256.h"
#include "orvex/PosixIo.h"
#include "orvex/Signals.h"

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
        Tavrin::resetSignalsForExec();
        ::dup2(fds[1], 1);
        ::dup2(fds[1], 2);
        ::execvpe(args[0], args.data(), envp.data());
        std::string message = std::string("cannot run ") + argv[0] + ": " + std::strerror(errno) + "\n";
        ssize_t ignored = ::write(2, message.data(), message.size());
        (void)ignored;
        ::_exit(127);
    }
    ::close(fds[1]);
    Tavrin::readToEnd(fds[0], output);
    ::close(fds[0]);
    return Tavrin::shellStatus(Tavrin::waitForExit(pid));
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
    // The dependency list (sources, included and library files) is what a cached compile is
    // checked against.
    plan.engineCompile = {"iverilog", "-gspecify", "-pfileline=1", "-M" + workDir + "/design.deps",
                          "-o", workDir + "/design.vvp"};
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

namespace {

// A program as `execvp` finds it: its place, size and change time stand for its version.
std::string programIdentity(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
    for (std::size_t begin = 0; begin <= dirs.size();) {
        std::size_t end = dirs.find(':', begin);
        if (end == std::string::npos) end = dirs.size();
        std::string candidate = (end > begin ? dirs.substr(begin, end - begin) : ".") + "/" + program;
        struct stat info;
        if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate + " " + std::to_string(info.st_size) + " " + std::to_string(info.st_mtim.tv_sec) + "." +
                   std::to_string(info.st_mtim.tv_nsec);
        begin = end + 1;
    }
    return program + " not found";
}

// What decides the compiler's output beyond the runs' words and the files the compiler lists:
// the tool versions and the command files' contents.
std::vector<std::string> cacheInputs(const CompileRequest& request, const std::string& engineLibDir) {
    std::vector<std::string> inputs = {"orvex " ORVEX_VERSION, programIdentity("iverilog")};
    std::string digest;
    if (hashFile(engineLibDir + "/orvexdb.tgt", digest)) inputs.push_back("orvexdb.tgt " + digest);
    for (const std::string& option : request.compilerOptions)
        if (option.compare(0, 2, "-f") == 0 || option.compare(0, 2, "-c") == 0)
            inputs.push_back(option + " " + (hashFile(option.substr(2), digest) ? digest : "unreadable"));
    return inputs;
}

} // namespace

bool compileDesign(const CompileRequest& request, const std::string& workDir, const std::string& engineLibDir,
                   bool useCache, std::string& messages) {
    CompilePlan plan = planCompile(request, workDir, engineLibDir);
    std::vector<std::string> outputs = {"design.vvp"};
    if (!plan.sideCompile.empty()) outputs.push_back("design.odb");
    std::string folder = useCache ? CompileCache::defaultFolder() : std::string();
    CompileCache cache(folder, CompileCache::defaultLimit());
    std::string key;
    if (!folder.empty()) {
        key = cache.key({plan.engineCompile, plan.sideCompile}, workDir, cacheInputs(request, engineLibDir));
        if (cache.fetch(key, outputs, workDir, messages)) return true;
    }
    timespec start;
    ::clock_gettime(CLOCK_REALTIME, &start);
    // The compiler's own temporary files go to the session's folder, which is removed with it.
    std::string sideMessages;
    int sideStatus = 0;
    std::thread side;
    if (!plan.sideCompile.empty())
        side = std::thread([&] { sideStatus = runProgram(plan.sideCompile, sideMessages, workDir); });
    bool compiled = runProgram(plan.engineCompile, messages, workDir) == 0;
    if (side.joinable()) side.join();
    if (!compiled) return false;
    if (sideStatus != 0)
        messages += "Warning: declaration places and net connections are not available:\n" + sideMessages;
    else if (!folder.empty())
        cache.store(key, outputs, workDir, messages, workDir + "/design.deps", start);
    return true;
}

} // namespace OrvexLauncher
