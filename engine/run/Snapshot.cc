// The time-0 keeper process and the hand-over of a restart.
#include "Snapshot.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "RestartState.h"
#include "Session.h"
#include "Wire.h"

namespace OrvexEngine {

namespace {
constexpr int kRestartStatus = 75; // a child's exit status that asks the keeper for a fresh child
int handOverFd = -1;

std::string readAll(int fd) {
    std::string text;
    char buffer[4096];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

void writeAll(int fd, const std::string& text) {
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        ssize_t n = write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}
} // namespace

std::string encodeHandOver(const ChildStart& start) {
    std::string text;
    for (const auto& line : start.replay) text += "R" + line + "\n";
    for (const auto& line : start.pending) text += "P" + line + "\n";
    if (!start.partial.empty()) text += "T" + start.partial + "\n";
    return text;
}

ChildStart decodeHandOver(const std::string& text) {
    ChildStart start;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t nl = text.find('\n', pos);
        if (nl == std::string::npos) nl = text.size();
        std::string line = text.substr(pos, nl - pos);
        pos = nl + 1;
        if (line.empty()) continue;
        std::string body = line.substr(1);
        switch (line[0]) {
        case 'R': start.replay.push_back(body); break;
        case 'P': start.pending.push_back(body); break;
        case 'T': start.partial = body; break;
        default: break;
        }
    }
    return start;
}

ChildStart keepSnapshot() {
    ChildStart next;
    const pid_t keeper = getpid();
    for (;;) {
        int pipeFds[2];
        if (pipe2(pipeFds, O_CLOEXEC) != 0) _exit(1);
        Wire::flushQueued(); // nothing buffered may be written twice
        std::fflush(nullptr);
        pid_t child = fork();
        if (child < 0) _exit(1);
        if (child == 0) {
            close(pipeFds[0]);
            prctl(PR_SET_PDEATHSIG, SIGKILL); // the keeper killed: no engine may be left behind
            if (getppid() != keeper) _exit(1);
            handOverFd = pipeFds[1];
            return next;
        }
        close(pipeFds[1]);
        std::string handOver = readAll(pipeFds[0]);
        close(pipeFds[0]);
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        if (WIFEXITED(status) && WEXITSTATUS(status) == kRestartStatus) {
            int generation = next.generation + 1;
            next = decodeHandOver(handOver);
            next.generation = generation;
            continue;
        }
        _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
    }
}

void restartFromSnapshot() {
    ChildStart state;
    state.pending = Wire::stopReader(state.partial);
    state.replay = restartStateLines();
    writeAll(handOverFd, encodeHandOver(state));
    endEngine(kRestartStatus);
}

} // namespace OrvexEngine
