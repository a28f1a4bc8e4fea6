// The engine process transport on the stand-in engine: how the engine is started (descriptors,
// environment, process group), how its end is described, the protocol trace, and that nothing is
// left behind. (Design output through the transport: test_front_end_control; records far longer
// than a pipe's buffer: reliability.long_values on the real engine.)
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "EngineProcessKit.h"
#include "orvex/Exceptions.h"
#include "orvex/ProcessTransport.h"

using namespace Tavrin;
using namespace EngineProcessKit;

namespace {

// Keeps what the transport reports.
class Listener : public IProcessTransportListener {
public:
    void transportStarted() override { ++started; }
    void recordReceived(const std::string& line) override {
        std::lock_guard<std::mutex> lock(mutex);
        lines.push_back(line);
    }
    void outputReceived(const std::string&) override {}
    void transportEnded(const std::string& description) override {
        std::lock_guard<std::mutex> lock(mutex);
        ended.push_back(description);
    }

    // The first record line starting with `prefix`, or "" after waiting in vain.
    std::string waitLine(const std::string& prefix) {
        std::string found;
        eventually([&] {
            std::lock_guard<std::mutex> lock(mutex);
            for (const std::string& line : lines)
                if (line.compare(0, prefix.size(), prefix) == 0) {
                    found = line;
                    return true;
                }
            return false;
        });
        return found;
    }
    std::string waitEnd() {
        eventually([&] {
            std::lock_guard<std::mutex> lock(mutex);
            return !ended.empty();
        });
        std::lock_guard<std::mutex> lock(mutex);
        return ended.empty() ? std::string() : ended.front();
    }

    std::atomic<int> started{0};
    std::mutex mutex;
    std::vector<std::string> lines;
    std::vector<std::string> ended;
};

class Transport : public ::testing::Test {
protected:
    void SetUp() override { transport.setListener(&listener); }
    void TearDown() override { transport.setListener(nullptr); }

    Listener listener;
    BoostProcessTransport transport;
};

} // namespace

TEST_F(Transport, EngineGetsProtocolDescriptorsOnlyAndAGroupOfItsOwn) {
    // Descriptors the host opened without close-on-exec, low (where the engine's own go) and
    // high, must not reach the engine.
    const int low = open("/dev/null", O_RDONLY);
    const int high = fcntl(low, F_DUPFD, 40);
    ASSERT_GE(high, 40);
    transport.start(fakeEngine());
    close(low);
    close(high);
    EXPECT_EQ(listener.started, 1);
    EXPECT_GT(transport.getProcessId(), 0);
    EXPECT_EQ(listener.waitLine("*ready"), "*ready,version=\"1\",resolution=\"-9\"");

    ASSERT_TRUE(transport.send("1-status", 5000ms));
    const std::string status = listener.waitLine("1^done");
    EXPECT_NE(status.find("fds=3,4 "), std::string::npos) << status;
    EXPECT_NE(status.find("group=own"), std::string::npos) << status;
    const std::size_t open = status.find("open=");
    ASSERT_NE(open, std::string::npos);
    std::string list = status.substr(open + 5, status.find(' ', open) - open - 5);
    std::vector<std::string> fds;
    for (std::size_t begin = 0; begin < list.size();) {
        std::size_t end = list.find(',', begin);
        if (end == std::string::npos) end = list.size();
        fds.push_back(list.substr(begin, end - begin));
        begin = end + 1;
    }
    std::sort(fds.begin(), fds.end());
    EXPECT_EQ(fds, (std::vector<std::string>{"0", "1", "2", "3", "4"})) << list;

    EXPECT_THROW(transport.start(fakeEngine()), CommandErrorException);
    ASSERT_TRUE(transport.send("2-exit", 5000ms));
    EXPECT_EQ(listener.waitEnd(), "Simulation engine exited with status 0\n");
    EXPECT_FALSE(transport.isRunning());
}

TEST_F(Transport, ProgramThatCannotRunIsReportedAsTheEndNamingIt) {
    char directory[] = "/tmp/orvex-transport-XXXXXX";
    ASSERT_NE(mkdtemp(directory), nullptr);
    const std::string notExecutable = std::string(directory) + "/engine";
    { std::ofstream(notExecutable) << "not a program\n"; }
    chmod(notExecutable.c_str(), 0644);

    const struct {
        std::string commandLine;
        std::string description;
    } cases[] = {
        {"/nonexistent/engine -x", "Cannot run the simulation engine '/nonexistent/engine': No such file or directory\n"},
        {"orvex-no-such-engine-here", "Cannot run the simulation engine 'orvex-no-such-engine-here': No such file or directory\n"},
        {"\"" + notExecutable + "\" a", "Cannot run the simulation engine '" + notExecutable + "': Permission denied\n"},
        {"   ", "Cannot run the simulation engine: no command line given\n"},
    };
    for (const auto& c : cases) {
        listener.ended.clear();
        transport.start(c.commandLine); // returns at once: no hang on a failed exec
        ASSERT_EQ(listener.ended.size(), 1u) << c.commandLine;
        EXPECT_EQ(listener.ended[0], c.description);
        EXPECT_FALSE(transport.isRunning());
        EXPECT_FALSE(transport.send("1-status", 100ms));
    }
    unlink(notExecutable.c_str());
    rmdir(directory);
}

TEST_F(Transport, EndBySignalIsDescribedAsAShellWould) {
    transport.start(fakeEngine("--crash-on status"));
    listener.waitLine("*ready");
    ASSERT_TRUE(transport.send("1-status", 5000ms));
    EXPECT_EQ(listener.waitEnd(), "Simulation engine exited with status 139 (signal 11)\n");
    // The answer sent just before the crash is still delivered.
    EXPECT_NE(listener.waitLine("1^done"), "");
    // Writing to an engine that has gone fails without a SIGPIPE ending this process.
    EXPECT_FALSE(transport.send("2-status", 1000ms));
}

TEST_F(Transport, TraceCopiesEveryLineSentAndReceived) {
    testing::internal::CaptureStderr();
    transport.setTrace(true);
    transport.start(fakeEngine());
    listener.waitLine("*ready");
    transport.send("1-status", 5000ms);
    listener.waitLine("1^done");
    transport.setTrace(false);
    transport.send("2-status", 5000ms);
    listener.waitLine("2^done");
    const std::string trace = testing::internal::GetCapturedStderr();
    EXPECT_NE(trace.find("<< *ready,version=\"1\",resolution=\"-9\"\n"), std::string::npos) << trace;
    EXPECT_NE(trace.find(">> 1-status\n"), std::string::npos) << trace;
    EXPECT_NE(trace.find("<< 1^done,"), std::string::npos) << trace;
    EXPECT_EQ(trace.find("2-status"), std::string::npos) << trace;
}

TEST_F(Transport, TerminateKillsTheEnginesWholeProcessGroup) {
    transport.start(fakeEngine("--fork-child"));
    listener.waitLine("*ready");
    transport.send("1-status", 5000ms);
    const std::string status = listener.waitLine("1^done");
    const std::size_t detail = status.find("detail=\"");
    ASSERT_NE(detail, std::string::npos);
    const int child = std::stoi(status.substr(detail + 8));
    const int engine = transport.getProcessId();
    ASSERT_GT(child, 0);
    EXPECT_FALSE(processGone(child));

    transport.terminate();
    EXPECT_TRUE(transport.waitEnded(10000ms));
    EXPECT_EQ(listener.waitEnd(), "Simulation engine exited with status 137 (signal 9)\n");
    EXPECT_TRUE(eventually([&] { return processGone(child); }));
    // The engine itself has been reaped by the transport: it is no child of ours any more.
    EXPECT_EQ(waitpid(engine, nullptr, WNOHANG), -1);
    transport.terminate(); // nothing left to end
}

TEST(TransportLifetime, LeavesNoDescriptorOrProcessBehind) {
    const int before = openDescriptorCount();
    int engine = -1;
    {
        BoostProcessTransport transport;
        transport.start(fakeEngine());
        engine = transport.getProcessId();
        // Started again after an end, the transport runs a second engine.
        transport.send("1-exit", 5000ms);
        ASSERT_TRUE(transport.waitEnded(10000ms));
        transport.start(fakeEngine());
        EXPECT_NE(transport.getProcessId(), engine);
        engine = transport.getProcessId();
        EXPECT_TRUE(transport.isRunning());
    } // destroyed with the engine running
    EXPECT_EQ(waitpid(engine, nullptr, WNOHANG), -1);
    EXPECT_TRUE(processGone(engine));
    EXPECT_EQ(openDescriptorCount(), before);
}
