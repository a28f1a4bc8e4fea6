// ConsolePipe: bytes written reach the console in bounded chunks, typed lines come out of the read
// side followed by end of file, and shut-down delivers pending output, ends a waiting read and
// gives up on a pump stuck in the host's readLine.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "orvex/Exceptions.h"
#include "tavrin/ConsolePipe.h"

using namespace Tavrin;
using namespace std::chrono_literals;

namespace {

// Records what it is given and hands out lines the test types; readLine waits for a line or the
// end of input, as a terminal would.
class ScriptedConsole : public IConsole {
public:
    void write(const StringBase& text) override {
        std::lock_guard<std::mutex> hold(lock_);
        chunks_.push_back(text.str());
        changed_.notify_all();
    }
    void writePrompt(const StringBase&) override {}
    StringBase readLine() override {
        std::unique_lock<std::mutex> hold(lock_);
        changed_.wait(hold, [this] { return !lines_.empty() || ended_; });
        if (lines_.empty()) throw Orvex::EndOfInputException();
        std::string line = lines_.front();
        lines_.pop_front();
        return line;
    }
    void flush() override {
        std::lock_guard<std::mutex> hold(lock_);
        receivedAtFlush_.push_back(joined());
    }

    void type(const std::string& line) {
        std::lock_guard<std::mutex> hold(lock_);
        lines_.push_back(line);
        changed_.notify_all();
    }
    void endInput() {
        std::lock_guard<std::mutex> hold(lock_);
        ended_ = true;
        changed_.notify_all();
    }
    std::string waitForBytes(std::size_t size) {
        std::unique_lock<std::mutex> hold(lock_);
        changed_.wait_for(hold, 5s, [&] { return joined().size() >= size; });
        return joined();
    }
    std::vector<std::string> chunks() {
        std::lock_guard<std::mutex> hold(lock_);
        return chunks_;
    }
    std::vector<std::string> receivedAtFlush() {
        std::lock_guard<std::mutex> hold(lock_);
        return receivedAtFlush_;
    }

private:
    std::string joined() const {
        std::string all;
        for (const std::string& chunk : chunks_) all += chunk;
        return all;
    }

    std::mutex lock_;
    std::condition_variable changed_;
    std::vector<std::string> chunks_;
    std::vector<std::string> receivedAtFlush_;
    std::deque<std::string> lines_;
    bool ended_ = false;
};

// Reads until end of file; a watchdog shuts the pipe down so a missing end fails the test
// instead of hanging it.
std::string readToEnd(ConsolePipe& pipe, bool& sawEndOfFile) {
    std::promise<void> finished;
    auto done = finished.get_future();
    std::thread watchdog([&] {
        if (done.wait_for(10s) != std::future_status::ready) pipe.shutDown();
    });
    std::string text;
    sawEndOfFile = false;
    char buffer[64];
    int count = 0;
    try {
        while (pipe.read(buffer, sizeof buffer, count) && count > 0) text.append(buffer, count);
        sawEndOfFile = count == 0;
    } catch (const Orvex::EndOfInputException&) {
    }
    finished.set_value();
    watchdog.join();
    return text;
}

} // namespace

TEST(ConsolePipe, WrittenBytesReachTheConsoleInChunksOfAtMost1023) {
    ScriptedConsole console;
    ConsolePipe pipe(console);
    std::string sent(2000, '\0');
    for (std::size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<char>(i % 256); // zeros too
    int count = 0;
    ASSERT_TRUE(pipe.write(sent.data(), static_cast<int>(sent.size()), count));
    EXPECT_EQ(count, 2000);

    EXPECT_TRUE(console.waitForBytes(sent.size()) == sent);
    std::vector<std::string> chunks = console.chunks();
    EXPECT_GE(chunks.size(), 2u);
    for (const std::string& chunk : chunks) {
        EXPECT_LE(chunk.size(), 1023u);
        EXPECT_FALSE(chunk.empty());
    }
    console.endInput();
}

TEST(ConsolePipe, TypedLinesAreReadWholeThenEndOfFile) {
    ScriptedConsole console;
    ConsolePipe pipe(console);
    console.type("run 10 ns\n");
    console.type(std::string(5000, 'x') + "\n"); // longer than one read
    console.type("quit\n");
    console.endInput();

    bool sawEndOfFile = false;
    std::string text = readToEnd(pipe, sawEndOfFile);
    EXPECT_EQ(text, "run 10 ns\n" + std::string(5000, 'x') + "\nquit\n");
    EXPECT_TRUE(sawEndOfFile);
}

TEST(ConsolePipe, ShutDownDeliversPendingOutputBeforeFlushing) {
    ScriptedConsole console;
    ConsolePipe pipe(console);
    console.endInput();
    int count = 0;
    ASSERT_TRUE(pipe.write("bye\n", 4, count));
    pipe.shutDown();

    EXPECT_EQ(console.waitForBytes(4), "bye\n");
    ASSERT_EQ(console.receivedAtFlush().size(), 1u);
    EXPECT_EQ(console.receivedAtFlush()[0], "bye\n");

    char buffer[8];
    EXPECT_FALSE(pipe.write("late", 4, count));
    EXPECT_THROW(pipe.read(buffer, sizeof buffer, count), Orvex::EndOfInputException);
    pipe.shutDown(); // again: nothing more happens, and the destructor after it is safe
    EXPECT_EQ(console.receivedAtFlush().size(), 1u);
}

TEST(ConsolePipe, DestructionWithoutShutDownStopsBothPumps) {
    ScriptedConsole console;
    {
        ConsolePipe pipe(console);
        int count = 0;
        ASSERT_TRUE(pipe.write("last words", 10, count));
        console.endInput();
    }
    EXPECT_EQ(console.waitForBytes(10), "last words");
}

TEST(ConsolePipe, ShutDownEndsAWaitingReadAndGivesUpOnAStuckReadLine) {
    // The console must outlive a pump that is given up on inside its readLine.
    static ScriptedConsole console;
    auto pipe = std::make_unique<ConsolePipe>(console);
    auto reader = std::async(std::launch::async, [&] {
        char buffer[16];
        int count = 0;
        try {
            pipe->read(buffer, sizeof buffer, count);
        } catch (const Orvex::EndOfInputException&) {
            return true;
        }
        return false;
    });
    std::this_thread::sleep_for(200ms);
    auto shutDown = std::async(std::launch::async, [&] { pipe->shutDown(); });
    EXPECT_EQ(reader.wait_for(5s), std::future_status::ready);
    EXPECT_TRUE(reader.get());
    // The input pump never leaves readLine; shut-down waits its limit for it and returns.
    ASSERT_EQ(shutDown.wait_for(30s), std::future_status::ready);
    pipe.reset();
    console.endInput(); // the abandoned pump now leaves, touching nothing that was freed
}
