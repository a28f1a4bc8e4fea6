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
#include "orvex/PosixIo.h"

namespace OrvexEngine {

namespace {
constexpr int kRestartStatus = 75; // a child's exit status that asks the keeper for a fresh child
int handOverFd = -1;

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
        Wire::flushQueuedAndOutput(); // nothing buffered may be written twice
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
        std::string handOver;
        Tavrin::readToEnd(pipeFds[0], handOver);
        close(pipeFds[0]);
        const int status = Tavrin::waitForExit(child);
        if (WIFEXITED(status) && WEXITSTATUS(status) == kRestartStatus) {
            int generation = next.generation + 1;
            next = decodeHandOver(handOver);
            next.generation = generation;
            continue;
        }
        _exit(Tavrin::shellStatus(status));
    }
}

void restartFromSnapshot() {
    ChildStart state;
    state.pending = Wire::stopReader(state.partial);
    state.replay = restartStateLines();
    Tavrin::writeAll(handOverFd, encodeHandOver(state));
    endEngine(kRestartStatus);
}

} // namespace OrvexEngine
