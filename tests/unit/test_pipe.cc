// Pipe: naming, byte integrity across partial writes, end of input, and shut-down from another
// thread releasing readers and writers.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <future>
#include <string>
#include <thread>

#include "orvex/Exceptions.h"
#include "tavrin/ConsolePipe.h"
#include "tavrin/Pipe.h"

using namespace Tavrin;
using namespace std::chrono_literals;

namespace {

std::string label(int number) { return "Orvex-" + std::to_string(::getpid()) + "-" + std::to_string(number); }

class SilentConsole : public IConsole {
public:
    void write(const StringBase&) override {}
    void writePrompt(const StringBase&) override {}
    StringBase readLine() override { throw Orvex::EndOfInputException(); }
    void flush() override {}
};

std::string pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xff);
    return bytes;
}

} // namespace

TEST(Pipe, LabelsNumberThePipesOfTheProcessInOrder) {
    int before = Pipe::m_nextPipeId;
    Pipe first;
    Pipe second;
    EXPECT_EQ(first.getName(), label(before + 1));
    EXPECT_EQ(second.getName(), label(before + 2));
    {
        SilentConsole console;
        ConsolePipe consolePipe(console);
    }
    EXPECT_EQ(Pipe::m_nextPipeId, before + 4); // a console pipe takes two numbers
}

TEST(Pipe, BytesArriveIntactAcrossManyPartialWrites) {
    // Four times what a pipe holds, so the writer has to wait for the reader repeatedly.
    const std::string sent = pattern(256 * 1024);
    Pipe pipe;
    auto writer = std::async(std::launch::async, [&] {
        int count = 0;
        bool ok = pipe.write(sent.data(), static_cast<int>(sent.size()), count);
        pipe.closeWriteEnd();
        return ok && count == static_cast<int>(sent.size());
    });
    std::string received;
    char buffer[3000];
    int count = 0;
    while (pipe.read(buffer, sizeof buffer, count) && count > 0) received.append(buffer, count);
    EXPECT_TRUE(writer.get());
    EXPECT_EQ(received.size(), sent.size());
    EXPECT_TRUE(received == sent);
}

TEST(Pipe, EmptyWritesAddNothingAndAClosedWriteEndReadsAsEndOfFile) {
    Pipe pipe;
    int count = -1;
    EXPECT_TRUE(pipe.write("ignored", 0, count));
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(pipe.write(nullptr, -5, count));
    EXPECT_FALSE(pipe.write(nullptr, 3, count)); // no bytes to take a size from

    struct pollfd readable = {pipe.getReadDescriptor(), POLLIN, 0};
    EXPECT_EQ(::poll(&readable, 1, 0), 0) << "an empty write put bytes into the pipe";

    ASSERT_TRUE(pipe.write("abc", 3, count));
    pipe.closeWriteEnd();
    EXPECT_EQ(pipe.getWriteDescriptor(), -1);
    EXPECT_FALSE(pipe.write("x", 1, count));

    char buffer[16];
    ASSERT_TRUE(pipe.read(buffer, sizeof buffer, count));
    EXPECT_EQ(std::string(buffer, count), "abc");
    for (int again = 0; again < 2; ++again) {
        EXPECT_TRUE(pipe.read(buffer, sizeof buffer, count));
        EXPECT_EQ(count, 0);
    }
}

TEST(Pipe, ShutDownEndsAWaitingReadAndEveryLaterUse) {
    Pipe pipe;
    auto reader = std::async(std::launch::async, [&] {
        char buffer[16];
        int count = 0;
        try {
            pipe.read(buffer, sizeof buffer, count);
        } catch (const Orvex::EndOfInputException&) {
            return true;
        }
        return false;
    });
    std::this_thread::sleep_for(200ms); // let the read start waiting
    pipe.shutDown();
    ASSERT_EQ(reader.wait_for(5s), std::future_status::ready);
    EXPECT_TRUE(reader.get());

    EXPECT_EQ(pipe.getReadDescriptor(), -1);
    EXPECT_EQ(pipe.getWriteDescriptor(), -1);
    char buffer[4];
    int count = 0;
    EXPECT_THROW(pipe.read(buffer, sizeof buffer, count), Orvex::EndOfInputException);
    EXPECT_FALSE(pipe.write("x", 1, count));
    pipe.shutDown(); // a second shut-down does nothing
}

TEST(Pipe, ShutDownReleasesAWriterBlockedOnAFullPipe) {
    Pipe pipe;
    const std::string big = pattern(1024 * 1024);
    auto writer = std::async(std::launch::async, [&] {
        int count = 0;
        bool ok = pipe.write(big.data(), static_cast<int>(big.size()), count);
        return std::make_pair(ok, count);
    });
    std::this_thread::sleep_for(200ms); // nobody reads: the writer is now waiting for room
    pipe.shutDown();
    ASSERT_EQ(writer.wait_for(5s), std::future_status::ready);
    auto result = writer.get();
    EXPECT_FALSE(result.first);
    EXPECT_GT(result.second, 0);
    EXPECT_LT(result.second, static_cast<int>(big.size()));
}

TEST(Pipe, WritingWithNoReaderLeftFailsWithoutRaisingSigpipe) {
    Pipe pipe;
    // Put another pipe in place of the read end: ours then has no reader at all.
    int other[2];
    ASSERT_EQ(::pipe(other), 0);
    ASSERT_GE(::dup2(other[0], pipe.getReadDescriptor()), 0);
    ::close(other[0]);
    ::close(other[1]);

    int count = 0;
    EXPECT_FALSE(pipe.write("lost", 4, count)); // the default SIGPIPE action would end the test run
    sigset_t pending;
    sigemptyset(&pending);
    ASSERT_EQ(sigpending(&pending), 0);
    EXPECT_FALSE(sigismember(&pending, SIGPIPE));
}

TEST(Pipe, FailingToCreateThePipeIsAnIOException) {
#ifdef __SANITIZE_ADDRESS__
    // The sanitizer runtime opens pipes of its own to check memory, so it cannot run out of
    // descriptors without reporting false errors.
    GTEST_SKIP() << "needs a build without sanitizers";
#endif
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            struct rlimit limit;
            ::getrlimit(RLIMIT_NOFILE, &limit);
            limit.rlim_cur = 3; // only standard input, output and error
            ::setrlimit(RLIMIT_NOFILE, &limit);
            try {
                Pipe pipe;
            } catch (const Orvex::IOException& e) {
                std::_Exit(std::strcmp(e.getDescription(), "Can't open console pipe (create named pipe failed)") == 0 ? 0 : 2);
            }
            std::_Exit(1);
        },
        ::testing::ExitedWithCode(0), "");
}
