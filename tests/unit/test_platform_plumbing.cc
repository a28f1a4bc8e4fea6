// The platform library's shared plumbing under the conditions it exists for: signals that
// interrupt a wait or a write, a pipe whose reader has gone, a child whose exec fails, and the
// signal state a child inherits.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "orvex/ChildProcess.h"
#include "orvex/PosixIo.h"
#include "orvex/SigpipeGuard.h"
#include "orvex/Signals.h"

namespace {

using namespace std::chrono_literals;

void ignoreSignal(int) {}

// Delivers SIGUSR1 to `target` every few milliseconds while alive. Its handler is installed
// without SA_RESTART, so every blocking call it lands in fails with EINTR.
class SignalRain {
public:
    explicit SignalRain(pthread_t target) : target_(target) {
        struct sigaction action;
        std::memset(&action, 0, sizeof action);
        action.sa_handler = ignoreSignal;
        sigemptyset(&action.sa_mask);
        sigaction(SIGUSR1, &action, &old_);
        thread_ = std::thread([this] {
            while (!stop_) {
                pthread_kill(target_, SIGUSR1);
                std::this_thread::sleep_for(2ms);
            }
        });
    }
    ~SignalRain() {
        stop_ = true;
        thread_.join();
        sigaction(SIGUSR1, &old_, nullptr);
    }

private:
    pthread_t target_;
    struct sigaction old_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

struct PipeEnds {
    int read = -1, write = -1;
    PipeEnds() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) == 0) read = fds[0], write = fds[1];
    }
    ~PipeEnds() {
        for (int fd : {read, write})
            if (fd >= 0) ::close(fd);
    }
};

} // namespace

TEST(PosixIo, SignalsNeitherCutAWaitShortNorLoseBytesOfALongTransfer) {
    PipeEnds pipe;
    SignalRain rain(pthread_self());

    // The data comes after many interruptions; poll must still be waiting for it.
    std::thread late([&] {
        std::this_thread::sleep_for(100ms);
        Tavrin::writeAll(pipe.write, "x", 1);
    });
    pollfd entry = {pipe.read, POLLIN, 0};
    EXPECT_EQ(Tavrin::pollRetrying(&entry, 1, 5000), 1);
    late.join();
    char byte = 0;
    ASSERT_EQ(Tavrin::readRetrying(pipe.read, &byte, 1), 1);
    EXPECT_EQ(byte, 'x');

    // Far more than a pipe holds: the writer is interrupted and writes short many times.
    std::string sent(3 << 20, '\0');
    for (std::size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<char>(i * 7 + i / 4096);
    std::string received;
    bool readWhole = false;
    std::thread reader([&] { readWhole = Tavrin::readToEnd(pipe.read, received); });
    EXPECT_TRUE(Tavrin::writeAll(pipe.write, sent));
    ::close(pipe.write);
    pipe.write = -1;
    reader.join();
    EXPECT_TRUE(readWhole);
    EXPECT_TRUE(received == sent) << "received " << received.size() << " of " << sent.size() << " bytes";
}

TEST(PosixIo, AFailedWriteSaysWhy) {
    const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(full, 0);
    EXPECT_FALSE(Tavrin::writeAll(full, std::string("data")));
    EXPECT_EQ(errno, ENOSPC);
    ::close(full);

    // A reader gone: EPIPE, and no SIGPIPE (whose default action would end this test run).
    PipeEnds pipe;
    ::close(pipe.read);
    pipe.read = -1;
    EXPECT_FALSE(Tavrin::writeAllToPipe(pipe.write, "lost", 4));
    EXPECT_EQ(errno, EPIPE);
    sigset_t pending;
    sigpending(&pending);
    EXPECT_FALSE(sigismember(&pending, SIGPIPE));
}

TEST(NotePipe, NotesArriveInOrderAndPostingKeepsErrno) {
    Tavrin::NotePipe notes;
    EXPECT_EQ(notes.take(), -1); // not open: nothing, and no failure
    notes.post('a');
    ASSERT_TRUE(notes.open());
    EXPECT_EQ(notes.take(), -1);
    errno = EBADF;
    notes.post('i');
    notes.post('c');
    EXPECT_EQ(errno, EBADF); // a signal handler posting must not change what it interrupted
    pollfd entry = {notes.readDescriptor(), POLLIN, 0};
    EXPECT_EQ(Tavrin::pollRetrying(&entry, 1, 0), 1);
    EXPECT_EQ(notes.take(), 'i');
    EXPECT_EQ(notes.take(), 'c');
    EXPECT_EQ(notes.take(), -1);
}

namespace {
// Forks a child that resets its signals for exec and runs `argv`; returns what execFailure
// says, with the child's standard output in `output`.
int runChild(const char* const argv[], std::string& output, int& status) {
    PipeEnds report, out;
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(out.write, 1);
        Tavrin::resetSignalsForExec();
        ::execv(argv[0], const_cast<char* const*>(argv));
        Tavrin::reportExecFailure(report.write, errno);
    }
    ::close(report.write);
    report.write = -1;
    ::close(out.write);
    out.write = -1;
    const int error = Tavrin::execFailure(report.read);
    report.read = -1;
    Tavrin::readToEnd(out.read, output);
    status = Tavrin::waitForExit(child);
    return error;
}
} // namespace

TEST(ChildProcess, ExecFailureIsReportedAndAChildStartsWithCleanSignals) {
    std::string output;
    int status = 0;
    const char* const missing[] = {"/nonexistent/program", nullptr};
    EXPECT_EQ(runChild(missing, output, status), ENOENT);
    EXPECT_EQ(Tavrin::shellStatus(status), 127);

    // What the launcher's threads do to themselves (SIGINT blocked, SIGPIPE ignored by a host)
    // must not reach the programs it starts: both survive exec unless reset.
    const sigset_t interrupt = Tavrin::signalSet({SIGINT});
    sigset_t oldMask;
    pthread_sigmask(SIG_BLOCK, &interrupt, &oldMask);
    struct sigaction oldPipe;
    struct sigaction ignore;
    std::memset(&ignore, 0, sizeof ignore);
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &oldPipe);
    const char* const cat[] = {"/bin/cat", "/proc/self/status", nullptr};
    const int error = runChild(cat, output, status);
    sigaction(SIGPIPE, &oldPipe, nullptr);
    pthread_sigmask(SIG_SETMASK, &oldMask, nullptr);

    EXPECT_EQ(error, 0);
    EXPECT_EQ(Tavrin::shellStatus(status), 0);
    auto maskLine = [&output](const std::string& name) {
        const std::size_t at = output.find(name + ":\t");
        return at == std::string::npos ? std::string("missing")
                                       : output.substr(at, output.find('\n', at) - at);
    };
    EXPECT_EQ(maskLine("SigBlk"), "SigBlk:\t0000000000000000");
    const std::string ignored = maskLine("SigIgn");
    ASSERT_NE(ignored, "missing");
    // SIGPIPE is signal 13: bit 12 of the mask, in the fourth hex digit from the right.
    const unsigned long mask = std::stoul(ignored.substr(8), nullptr, 16);
    EXPECT_EQ(mask & (1ul << (SIGPIPE - 1)), 0ul) << ignored;
}
