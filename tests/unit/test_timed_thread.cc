// TimedThread: a bounded join, and a thread given up on that finishes after its owner is gone.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <stdexcept>
#include <thread>

#include "orvex/TimedThread.h"

using namespace Tavrin;
using namespace std::chrono_literals;

TEST(TimedThread, JoinGivesUpOnAStuckBodyAndSucceedsOnceItEnds) {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    TimedThread thread([released] { released.wait(); });
    EXPECT_FALSE(thread.join(0));
    EXPECT_FALSE(thread.join(1));
    EXPECT_FALSE(thread.finished());
    release.set_value();
    EXPECT_TRUE(thread.join(5));
    EXPECT_TRUE(thread.finished());
    EXPECT_TRUE(thread.join(0)); // joined already: still reports the end
}

TEST(TimedThread, AnAbandonedThreadMayFinishAfterItsOwnerIsGone) {
    auto release = std::make_shared<std::promise<void>>();
    std::shared_future<void> released = release->get_future().share();
    auto ran = std::make_shared<std::atomic<bool>>(false);
    {
        TimedThread thread([released, ran] {
            released.wait();
            *ran = true;
        });
        EXPECT_FALSE(thread.join(0));
    } // detached here
    release->set_value();
    for (int i = 0; i < 500 && !*ran; ++i) std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(*ran);
}

TEST(TimedThread, AnExceptionEndsTheThreadNotTheProcess) {
    TimedThread thread([] { throw std::runtime_error("worker failed"); });
    EXPECT_TRUE(thread.join(5));
}
