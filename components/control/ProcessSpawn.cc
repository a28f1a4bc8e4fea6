// fork and exec of the engine process. Everything the child needs (argument and environment
// arrays, the candidate program paths) is prepared before the fork, because between fork and exec
// a child of a threaded process may only make async-signal-safe calls.
#include "ProcessSpawn.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "orvex/ChildProcess.h"
#include "orvex/PosixIo.h"
#include "orvex/Signals.h"

extern char** environ;

namespace Tavrin {

namespace {

// Lowest descriptor the child parks its pipe ends on before moving them to 0..4, so that moving
// one never overwrites another.
constexpr int ParkingDescriptor = 10;

// The paths execve is tried with, in order, as execvp would search them.
std::vector<std::string> candidatePaths(const std::string& program) {
    if (program.find('/') != std::string::npos)
        return {program};
    std::string path = std::getenv("PATH") ? std::getenv("PATH") : "/usr/local/bin:/usr/bin:/bin";
    std::vector<std::string> candidates;
    std::size_t begin = 0;
    while (begin <= path.size()) {
        std::size_t end = path.find(':', begin);
        if (end == std::string::npos)
            end = path.size();
        const std::string directory = end > begin ? path.substr(begin, end - begin) : ".";
        candidates.push_back(directory + "/" + program);
        begin = end + 1;
    }
    return candidates;
}

// The environment of the engine: ours, with ORVEX_ENGINE_FDS naming its protocol descriptors.
std::vector<std::string> engineEnvironment() {
    std::vector<std::string> entries;
    for (char** entry = environ; entry && *entry; ++entry)
        if (std::strncmp(*entry, "ORVEX_ENGINE_FDS=", 17) != 0)
            entries.emplace_back(*entry);
    entries.emplace_back("ORVEX_ENGINE_FDS=3,4");
    return entries;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
    std::vector<char*> result;
    for (std::string& text : texts)
        result.push_back(&text[0]);
    result.push_back(nullptr);
    return result;
}

struct PipePair {
    int read = -1;
    int write = -1;
    bool open() {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0)
            return false;
        read = fds[0];
        write = fds[1];
        return true;
    }
    void close() {
        closeDescriptor(read);
        closeDescriptor(write);
    }
};

void setNonBlocking(int fd) {
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0)
        fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}

// Runs in the child between fork and exec: async-signal-safe calls only.
[[noreturn]] void execChild(const int sources[5], int errorPipe, int descriptorLimit,
                            char* const* paths, std::size_t pathCount, char* const* argv,
                            char* const* envp) {
    setpgid(0, 0);

    resetSignalsForExec();

    errorPipe = fcntl(errorPipe, F_DUPFD_CLOEXEC, ParkingDescriptor);
    if (errorPipe < 0)
        _exit(127);
    int parked[5];
    for (int target = 0; target < 5; ++target) {
        parked[target] = fcntl(sources[target], F_DUPFD_CLOEXEC, ParkingDescriptor);
        if (parked[target] < 0)
            reportExecFailure(errorPipe, errno);
    }
    for (int target = 0; target < 5; ++target)
        if (dup2(parked[target], target) < 0)
            reportExecFailure(errorPipe, errno);

    // Descriptors the host opened without close-on-exec must not leak into the engine.
    if (syscall(SYS_close_range, 5U, ~0U, 4U /* CLOSE_RANGE_CLOEXEC */) != 0)
        for (int fd = 5; fd < descriptorLimit; ++fd)
            fcntl(fd, F_SETFD, FD_CLOEXEC);

    int error = ENOENT;
    for (std::size_t i = 0; i < pathCount; ++i) {
        execve(paths[i], argv, envp);
        // As execvp does: a program missing in one directory is looked for in the next; a
        // program found but not executable is remembered unless a later one runs.
        if (errno == EACCES)
            error = EACCES;
        else if (errno != ENOENT && errno != ENOTDIR) {
            error = errno;
            break;
        }
    }
    reportExecFailure(errorPipe, error);
}

} // namespace

void closeDescriptor(int& fd) {
    if (fd >= 0)
        close(fd);
    fd = -1;
}

bool spawnEngine(const std::vector<std::string>& arguments, SpawnedProcess& process,
                 std::string& error) {
    process = SpawnedProcess();
    if (arguments.empty() || arguments[0].empty()) {
        error = "no program given";
        return false;
    }
    std::vector<std::string> argvTexts = arguments;
    std::vector<std::string> envTexts = engineEnvironment();
    std::vector<std::string> pathTexts = candidatePaths(arguments[0]);
    std::vector<char*> argv = pointers(argvTexts);
    std::vector<char*> envp = pointers(envTexts);
    std::vector<char*> paths = pointers(pathTexts);
    struct rlimit limit;
    const int descriptorLimit =
        getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
                limit.rlim_cur < 65536
            ? static_cast<int>(limit.rlim_cur)
            : 65536;

    PipePair request, record, output, errorOutput, execError;
    const int nullInput = open("/dev/null", O_RDONLY | O_CLOEXEC);
    auto cleanUp = [&](int code) {
        request.close();
        record.close();
        output.close();
        errorOutput.close();
        execError.close();
        if (nullInput >= 0)
            close(nullInput);
        error = std::strerror(code);
        return false;
    };
    if (nullInput < 0)
        return cleanUp(errno);
    if (!request.open() || !record.open() || !output.open() || !errorOutput.open() ||
        !execError.open())
        return cleanUp(errno);

    const int sources[5] = {nullInput, output.write, errorOutput.write, request.read,
                            record.write};
    const pid_t pid = fork();
    if (pid < 0)
        return cleanUp(errno);
    if (pid == 0)
        execChild(sources, execError.write, descriptorLimit, paths.data(), pathTexts.size(),
                  argv.data(), envp.data());

    // Also set the group here, so that a kill of the group right after the fork cannot miss it.
    setpgid(pid, pid);
    close(nullInput);
    closeDescriptor(request.read);
    closeDescriptor(record.write);
    closeDescriptor(output.write);
    closeDescriptor(errorOutput.write);
    closeDescriptor(execError.write);

    const int childError = execFailure(execError.read);
    execError.read = -1;
    if (childError != 0) {
        waitForExit(pid);
        request.close();
        record.close();
        output.close();
        errorOutput.close();
        error = std::strerror(childError);
        return false;
    }

    process.pid = pid;
    process.requestFd = request.write;
    process.recordFd = record.read;
    process.outputFd = output.read;
    process.errorFd = errorOutput.read;
    for (int fd : {process.requestFd, process.recordFd, process.outputFd, process.errorFd})
        setNonBlocking(fd);
    return true;
}

std::string describeWaitStatus(int status) {
    if (WIFSIGNALED(status))
        return "exited with status " + std::to_string(shellStatus(status)) + " (signal " +
               std::to_string(WTERMSIG(status)) + ")";
    if (WIFEXITED(status))
        return "exited with status " + std::to_string(shellStatus(status));
    return "ended";
}

} // namespace Tavrin
