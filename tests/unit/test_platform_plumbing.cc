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
#include <string>
#include <thread>

#include "orvex/ChildProcess.h"
#include "orvex/PosixIo.h"
#include "orvex/SigpipeGuard.h"
#include "orvex/Signals.h"

namespace {

void ignoreSignal(int) {}

struct PipeEnds {
    int ends[2] = {-1, -1};
    PipeEnds() { EXPECT_EQ(::pipe2(ends, O_CLOEXEC), 0); }
    ~PipeEnds() { closeEnd(0), closeEnd(1); }
    void closeEnd(int which) {
        if (ends[which] >= 0) ::close(ends[which]);
        ends[which] = -1;
    }
};

// Forks a child that resets its signals for exec and runs `argv` with its output in `output`;
// returns what execFailure reports.
int runChild(const char* const argv[], std::string& output, int& status) {
    PipeEnds report, out;
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(out.ends[1], 1);
        Tavrin::resetSignalsForExec();
        ::execv(argv[0], const_cast<char* const*>(argv));
        Tavrin::reportExecFailure(report.ends[1], errno);
    }
    report.closeEnd(1);
    out.closeEnd(1);
    const int error = Tavrin::execFailure(report.ends[0]);
    report.ends[0] = -1;
    Tavrin::readToEnd(out.ends[0], output);
    status = Tavrin::waitForExit(child);
    return error;
}

} // namespace

TEST(PosixIo, SignalsNeitherCutAWaitShortNorLoseBytesOfALongTransfer) {
    PipeEnds pipe;
    // SIGUSR1 rains on this thread, its handler installed without SA_RESTART, so every blocking
    // call it lands in fails with EINTR.
    struct sigaction old;
    struct sigaction interrupting = {};
    interrupting.sa_handler = ignoreSignal;
    sigaction(SIGUSR1, &interrupting, &old);
    std::atomic<bool> stop{false};
    const pthread_t self = pthread_self();
    std::thread rain([&] {
        for (; !stop; std::this_thread::sleep_for(std::chrono::milliseconds(2))) pthread_kill(self, SIGUSR1);
    });

    std::thread late([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        Tavrin::writeAll(pipe.ends[1], "x", 1);
    });
    pollfd entry = {pipe.ends[0], POLLIN, 0};
    EXPECT_EQ(Tavrin::pollRetrying(&entry, 1, 5000), 1); // still waiting when the byte came
    late.join();
    char byte = 0;
    EXPECT_EQ(Tavrin::readRetrying(pipe.ends[0], &byte, 1), 1);

    // Far more than a pipe holds: the writer is interrupted and writes short many times.
    std::string sent(3 << 20, '\0');
    for (std::size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<char>(i * 7 + i / 4096);
    std::string received;
    bool readWhole = false;
    std::thread reader([&] { readWhole = Tavrin::readToEnd(pipe.ends[0], received); });
    EXPECT_TRUE(Tavrin::writeAll(pipe.ends[1], sent));
    pipe.closeEnd(1);
    reader.join();
    stop = true;
    rain.join();
    sigaction(SIGUSR1, &old, nullptr);
    EXPECT_TRUE(readWhole);
    EXPECT_TRUE(received == sent) << "received " << received.size() << " of " << sent.size() << " bytes";
}

TEST(PosixIo, AFailedWriteSaysWhyAndAGoneReaderRaisesNoSigpipe) {
    const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    EXPECT_FALSE(Tavrin::writeAll(full, std::string("data")));
    EXPECT_EQ(errno, ENOSPC);
    ::close(full);

    PipeEnds pipe;
    pipe.closeEnd(0);
    EXPECT_FALSE(Tavrin::writeAllToPipe(pipe.ends[1], "lost", 4)); // SIGPIPE would end the run
    EXPECT_EQ(errno, EPIPE);
    sigset_t pending;
    sigpending(&pending);
    EXPECT_FALSE(sigismember(&pending, SIGPIPE));
}

TEST(NotePipe, NotesArriveInOrderAndPostingKeepsErrno) {
    Tavrin::NotePipe notes;
    notes.post('a'); // not open: dropped, no failure
    ASSERT_TRUE(notes.open());
    EXPECT_EQ(notes.take(), -1);
    errno = EBADF;
    notes.post('i');
    notes.post('c');
    EXPECT_EQ(errno, EBADF); // a signal handler posting must not change what it interrupted
    EXPECT_EQ(notes.take(), 'i');
    EXPECT_EQ(notes.take(), 'c');
    EXPECT_EQ(notes.take(), -1);
}

TEST(ChildProcess, ExecFailureIsReportedAndAChildStartsWithCleanSignals) {
    std::string output;
    int status = 0;
    const char* const missing[] = {"/nonexistent/program", nullptr};
    EXPECT_EQ(runChild(missing, output, status), ENOENT);
    EXPECT_EQ(Tavrin::shellStatus(status), 127);

    // A blocked SIGINT (the launcher's threads) and an ignored SIGPIPE (a host's) both survive
    // exec unless reset; the programs started must get neither.
    const sigset_t interrupt = Tavrin::signalSet({SIGINT});
    sigset_t oldMask;
    pthread_sigmask(SIG_BLOCK, &interrupt, &oldMask);
    struct sigaction oldPipe;
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &oldPipe);
    const char* const cat[] = {"/bin/cat", "/proc/self/status", nullptr};
    EXPECT_EQ(runChild(cat, output, status), 0);
    sigaction(SIGPIPE, &oldPipe, nullptr);
    pthread_sigmask(SIG_SETMASK, &oldMask, nullptr);

    EXPECT_EQ(Tavrin::shellStatus(status), 0);
    EXPECT_NE(output.find("SigBlk:\t0000000000000000\n"), std::string::npos) << output;
    const std::size_t ignored = output.find("SigIgn:\t");
    ASSERT_NE(ignored, std::string::npos);
    const unsigned long mask = std::stoul(output.substr(ignored + 8, 16), nullptr, 16);
    EXPECT_EQ(mask & (1ul << (SIGPIPE - 1)), 0ul);
}
