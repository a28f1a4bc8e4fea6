// A GTKWave process driven through its Tcl interface: `gtkwave -W` reads Tcl commands on its
// standard input. Every command is wrapped so that its result comes back on standard output as
// one tagged line, "@@<n> OK <result>" or "@@<n> ERR <message>" (line ends escaped); a reader
// thread matches the lines to the waiting callers and drops everything else GTKWave prints.
// The process gets its own process group and dies with the host (PR_SET_PDEATHSIG); it is ended
// by pid, since GTKWave keeps running after its standard input ends.
#pragma once

#include <sys/types.h>

#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace OrvexGui {

class ViewerProcess {
public:
    /// The reply to one command.
    struct Reply {
        bool ok = false;
        std::string text;
    };

    ViewerProcess() = default;
    ~ViewerProcess();
    ViewerProcess(const ViewerProcess&) = delete;
    ViewerProcess& operator=(const ViewerProcess&) = delete;

    /// Starts `argv` (argv[0] looked up on PATH). Returns an empty text or why it failed.
    std::string start(const std::vector<std::string>& argv);
    /// Sends a Tcl command and waits for its reply. Throws std::runtime_error when the viewer is
    /// gone (also while waiting).
    Reply call(const std::string& command);
    /// Sends a Tcl command without waiting; its reply is dropped.
    void post(const std::string& command);
    /// Waits until every command sent so far has been carried out.
    void sync();
    bool isRunning() const;
    /// Ends the process (SIGTERM, then SIGKILL) and waits for it.
    void terminate();
    pid_t pid() const { return pid_; }

    /// The wrapped form of a command (exposed for tests).
    static std::string wrap(std::uint64_t tag, const std::string& command);
    /// Reads a tagged line; false for any other line.
    static bool parseReply(const std::string& line, std::uint64_t& tag, Reply& reply);

private:
    std::uint64_t send(const std::string& command, bool wanted);
    void readLoop();
    void reap();

    pid_t pid_ = -1;
    int toViewer_ = -1;
    int fromViewer_ = -1;
    std::thread reader_;
    mutable std::mutex mutex_;
    std::condition_variable replied_;
    std::map<std::uint64_t, Reply> replies_;
    std::map<std::uint64_t, bool> wanted_; // tags still expected, and whether a caller waits
    std::uint64_t nextTag_ = 1;
    bool gone_ = false;
};

} // namespace OrvexGui
