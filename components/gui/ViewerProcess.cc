// The GTKWave child process and its tagged Tcl request/reply channel.
#include "ViewerProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>

#include "orvex/ChildProcess.h"
#include "orvex/LineSplitter.h"
#include "orvex/PosixIo.h"
#include "orvex/SigpipeGuard.h"
#include "orvex/Signals.h"

namespace OrvexGui {

namespace {

// Tcl text inside braces must keep its braces balanced; the commands we build do.
std::string unescape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            ++i;
            out += text[i] == 'n' ? '\n' : text[i];
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

ViewerProcess::~ViewerProcess() { terminate(); }

std::string ViewerProcess::wrap(std::uint64_t tag, const std::string& command) {
    const std::string t = std::to_string(tag);
    return "if {[catch {" + command + "} orvex_r]} {set orvex_s ERR} else {set orvex_s OK}; puts \"@@" + t +
           " $orvex_s [string map {\\\\ \\\\\\\\ \\n \\\\n} $orvex_r]\"; flush stdout\n";
}

bool ViewerProcess::parseReply(const std::string& line, std::uint64_t& tag, Reply& reply) {
    if (line.compare(0, 2, "@@") != 0) return false;
    std::size_t i = 2;
    tag = 0;
    if (i >= line.size() || line[i] < '0' || line[i] > '9') return false;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9') tag = tag * 10 + static_cast<std::uint64_t>(line[i++] - '0');
    if (line.compare(i, 4, " OK ") == 0) {
        reply.ok = true;
    } else if (line.compare(i, 5, " ERR ") == 0) {
        reply.ok = false;
        ++i;
    } else {
        return false;
    }
    reply.text = unescape(line.substr(i + 4));
    return true;
}

std::string ViewerProcess::start(const std::vector<std::string>& argv) {
    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0) return std::strerror(errno);
    if (::pipe2(out, O_CLOEXEC) != 0) {
        ::close(in[0]);
        ::close(in[1]);
        return std::strerror(errno);
    }
    int report[2]; // carries the exec error back; closed by a successful exec
    if (::pipe2(report, O_CLOEXEC) != 0) {
        const int error = errno;
        for (int fd : {in[0], in[1], out[0], out[1]}) ::close(fd);
        return std::strerror(error);
    }
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child < 0) return std::strerror(errno);
    if (child == 0) {
        ::setpgid(0, 0); // Ctrl-C at the shell is for the simulation, not the window
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) ::_exit(127);
        ::dup2(in[0], 0);
        ::dup2(out[1], 1);
        const int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0) ::dup2(null, 2); // GTKWave's progress notes are not ours to show
        Tavrin::resetSignalsForExec();
        ::execvp(args[0], args.data());
        Tavrin::reportExecFailure(report[1], errno);
    }
    ::close(in[0]);
    ::close(out[1]);
    ::close(report[1]);
    if (const int error = Tavrin::execFailure(report[0])) {
        ::close(in[1]);
        ::close(out[0]);
        Tavrin::waitForExit(child);
        return std::strerror(error);
    }
    pid_ = child;
    toViewer_ = in[1];
    fromViewer_ = out[0];
    gone_ = false;
    reader_ = std::thread([this] { readLoop(); });
    return std::string();
}

void ViewerProcess::readLoop() {
    std::string pending;
    char chunk[8192];
    for (;;) {
        const ssize_t n = Tavrin::readRetrying(fromViewer_, chunk, sizeof chunk);
        if (n <= 0) break;
        const auto size = static_cast<std::size_t>(n);
        Tavrin::appendAndTakeLines(pending, chunk, size, [this](const std::string& line) {
            std::uint64_t tag = 0;
            Reply reply;
            if (!parseReply(line, tag, reply)) return;
            std::lock_guard<std::mutex> guard(mutex_);
            auto found = wanted_.find(tag);
            if (found == wanted_.end()) return;
            if (found->second) replies_[tag] = std::move(reply);
            wanted_.erase(found);
            replied_.notify_all();
        });
    }
    std::lock_guard<std::mutex> guard(mutex_);
    gone_ = true;
    replied_.notify_all();
}

std::uint64_t ViewerProcess::send(const std::string& command, bool wanted) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (gone_ || toViewer_ < 0) throw std::runtime_error("the waveform window is closed");
    const std::uint64_t tag = nextTag_++;
    wanted_[tag] = wanted;
    // A viewer closed by hand leaves a pipe without reader: the write fails, and never with a
    // SIGPIPE delivered to the shell.
    const std::string wrapped = wrap(tag, command);
    if (!Tavrin::writeAllToPipe(toViewer_, wrapped.data(), wrapped.size())) {
        wanted_.erase(tag);
        throw std::runtime_error("the waveform window is closed");
    }
    return tag;
}

ViewerProcess::Reply ViewerProcess::call(const std::string& command) {
    const std::uint64_t tag = send(command, true);
    std::unique_lock<std::mutex> lock(mutex_);
    replied_.wait(lock, [&] { return gone_ || replies_.count(tag) != 0; });
    auto found = replies_.find(tag);
    if (found == replies_.end()) throw std::runtime_error("the waveform window is closed");
    Reply reply = std::move(found->second);
    replies_.erase(found);
    return reply;
}

void ViewerProcess::post(const std::string& command) { send(command, false); }

void ViewerProcess::sync() { call("list"); }

bool ViewerProcess::isRunning() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return pid_ > 0 && !gone_;
}

void ViewerProcess::reap() {
    if (pid_ <= 0) return;
    // GTKWave ends on SIGTERM at once; a hung one gets SIGKILL after a second.
    ::kill(pid_, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        const pid_t done = ::waitpid(pid_, nullptr, WNOHANG);
        if (done == pid_ || (done < 0 && errno == ECHILD)) {
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid_, SIGKILL);
    Tavrin::waitForExit(pid_);
    pid_ = -1;
}

void ViewerProcess::terminate() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (toViewer_ >= 0) ::close(toViewer_);
        toViewer_ = -1;
    }
    reap();
    if (reader_.joinable()) reader_.join();
    if (fromViewer_ >= 0) ::close(fromViewer_);
    fromViewer_ = -1;
}

} // namespace OrvexGui
