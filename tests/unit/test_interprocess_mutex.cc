// InterProcessMutex: run numbers shared out between processes of one directory (and freed when a
// holder ends), run-number names, and the statuses of the named mutex within and across processes.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "ShellTestSupport.h"
#include "client/LockFiles.h"
#include "tavrin/InterProcessMutex.h"

using namespace Tavrin;
namespace fs = std::filesystem;

namespace {

// Each test works in a fresh directory with a lock directory of its own, so it neither sees nor
// disturbs other runs on the machine.
class InterProcessMutexTest : public ::testing::Test {
protected:
    InterProcessMutexTest() {
        fs::create_directory(root_ / "runtime");
        fs::permissions(root_ / "runtime", fs::perms::owner_all);
        if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"))
            oldRuntime_ = runtime;
        ::setenv("XDG_RUNTIME_DIR", (root_ / "runtime").c_str(), 1);
    }
    ~InterProcessMutexTest() override {
        if (oldRuntime_)
            ::setenv("XDG_RUNTIME_DIR", oldRuntime_->c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
    }

    Tavrin::Test::ScratchDir scratch_;
    const fs::path root_ = scratch_.path();
    std::optional<std::string> oldRuntime_;
    static fs::path made(const fs::path& dir) {
        fs::create_directories(dir);
        return dir;
    }
    Tavrin::Test::WorkingDirectory inWork_{made(root_ / "Work")};
};

// A child process that runs `action`, reports its result, and holds whatever it took until
// released (or until it is told to end at once).
class Child {
public:
    explicit Child(const std::function<int()>& action) {
        int report[2], hold[2];
        if (::pipe(report) != 0 || ::pipe(hold) != 0) std::abort();
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(report[0]);
            ::close(hold[1]);
            int result = action();
            if (::write(report[1], &result, sizeof result) != sizeof result) std::_Exit(3);
            // Wait for a byte, not for end of file: later children inherit the write end too.
            char byte;
            while (::read(hold[0], &byte, 1) < 0) {
            }
            std::_Exit(0);
        }
        ::close(report[1]);
        ::close(hold[0]);
        release_ = hold[1];
        if (::read(report[0], &result_, sizeof result_) != sizeof result_) result_ = -100;
        ::close(report[0]);
    }
    ~Child() { end(); }
    int result() const { return result_; }
    void end() {
        if (pid_ <= 0) return;
        char byte = 0;
        if (::write(release_, &byte, 1) != 1) ::kill(pid_, SIGKILL);
        ::close(release_);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    int release_ = -1;
    int result_ = -1;
};

int runNumber() { return InterProcessMutex::getRunNumber(); }

} // namespace

TEST_F(InterProcessMutexTest, RunNumbersAreTheLowestFreeAndComeBackWhenAHolderEnds) {
    {
        Child holder(runNumber);
        EXPECT_EQ(holder.result(), 0);
        EXPECT_EQ(runNumber(), 1); // this process sees the next number...
    }
    Child later(runNumber);
    EXPECT_EQ(later.result(), 0); // ...and the holder's number is free once it has ended
    later.end();

    Child first(runNumber);
    EXPECT_EQ(first.result(), 0);
    {
        Child second(runNumber); // 1 is this process's
        EXPECT_EQ(second.result(), 2);
        first.end();
        Child third(runNumber);
        EXPECT_EQ(third.result(), 0);
    }
    EXPECT_EQ(runNumber(), 1); // held by this process already
}

TEST_F(InterProcessMutexTest, RunNumberNamesKeepCaseAndIgnoreDotElements) {
    const std::string name = LockFiles::runNumberName(LockFiles::runNumberBase("/Work/Sim/./x/../"), 0);
    EXPECT_EQ(name, "_Work_Sim");
    // lk/A and lk/a are different folders here, with run numbers of their own.
    EXPECT_NE(LockFiles::runNumberName(LockFiles::runNumberBase("/work/SIM"), 0), name);
    EXPECT_EQ(LockFiles::runNumberName(LockFiles::runNumberBase("/work/sim"), 2), "_work_sim2");
    // A relative directory is taken from the working directory.
    EXPECT_EQ(LockFiles::runNumberBase("."), LockFiles::runNumberBase(fs::current_path().string()));
}

TEST_F(InterProcessMutexTest, StaleLockFilesAreRemovedAndHeldOnesKept) {
    const fs::path dir = LockFiles::directory();
    auto file = [&](const std::string& name) { return dir / LockFiles::fileName("ORVEX_FILE_LOCK_" + name); };
    {
        Child ended([] {
            static InterProcessMutex mutex;
            return mutex.Create("ended") * 10 + mutex.Lock();
        });
        EXPECT_EQ(ended.result(), 0);
    } // its process is gone; its file stays behind
    ASSERT_TRUE(fs::exists(file("ended")));
    Child holder([] {
        static InterProcessMutex mutex;
        return mutex.Create("held") * 10 + mutex.Lock();
    });
    InterProcessMutex joined; // holds only the presence lock
    EXPECT_EQ(joined.Create("joined"), InterProcessMutex::Ok);
    const int number = runNumber();

    LockFiles::removeStale(dir.string());
    EXPECT_FALSE(fs::exists(file("ended")));
    EXPECT_TRUE(fs::exists(file("held")));
    EXPECT_TRUE(fs::exists(file("joined")));
    EXPECT_TRUE(fs::exists(dir / LockFiles::fileName(LockFiles::runNumberName(
                                     LockFiles::runNumberBase(fs::current_path().string()), number))));

    // The last holder of a mutex takes its file away; one still shared is left.
    InterProcessMutex second;
    EXPECT_EQ(second.Create("joined"), InterProcessMutex::AlreadyExists);
    joined.Create("other");
    EXPECT_TRUE(fs::exists(file("joined")));
    second.Create("other");
    EXPECT_FALSE(fs::exists(file("joined")));
    // A mutex whose file went away meanwhile is made on a new file, not on the removed one.
    InterProcessMutex again;
    EXPECT_EQ(again.Create("joined"), InterProcessMutex::Ok);
    EXPECT_TRUE(fs::exists(file("joined")));
}

TEST_F(InterProcessMutexTest, LockFilesAreNamedSafelyInAPrivateDirectory) {
    std::string dir = LockFiles::directory();
    EXPECT_EQ(dir, (root_ / "runtime" / "orvex-locks").string());
    struct stat info;
    ASSERT_EQ(::stat(dir.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    EXPECT_EQ(LockFiles::fileName("ORVEX_FILE_LOCK_a/b"), "ORVEX_FILE_LOCK_a_b");
    std::string longA(1000, 'a'), longB = longA + "b";
    EXPECT_LE(LockFiles::fileName(longA).size(), 200u);
    EXPECT_NE(LockFiles::fileName(longA), LockFiles::fileName(longB));

    // Deep directories still get run numbers.
    fs::path deep = root_ / "Work";
    for (int i = 0; i < 30; ++i) deep /= "a_rather_long_directory_name";
    fs::create_directories(deep);
    fs::current_path(deep);
    EXPECT_EQ(runNumber(), 0);
    Child other(runNumber);
    EXPECT_EQ(other.result(), 1);
}

TEST_F(InterProcessMutexTest, CreateLockAndUnlockReportTheirStatus) {
    InterProcessMutex first, second;
    EXPECT_EQ(first.Lock(), InterProcessMutex::NoMutex);
    EXPECT_EQ(first.Unlock(), InterProcessMutex::NoMutex);

    EXPECT_EQ(first.Create("work\\sim"), InterProcessMutex::Ok);
    EXPECT_TRUE(fs::exists(fs::path(LockFiles::directory()) / "ORVEX_FILE_LOCK_work_sim"));
    EXPECT_EQ(first.Create("work\\sim"), InterProcessMutex::AlreadyHave);
    EXPECT_EQ(second.Create("work_sim"), InterProcessMutex::AlreadyExists); // the same lock name

    EXPECT_EQ(first.Unlock(), InterProcessMutex::UnlockFailed); // not locked
    EXPECT_EQ(first.Lock(), InterProcessMutex::Ok);
    EXPECT_EQ(first.Lock(), InterProcessMutex::Ok); // the owner takes it again
    EXPECT_EQ(second.Lock(), InterProcessMutex::LockFailed);
    EXPECT_EQ(second.Unlock(), InterProcessMutex::UnlockFailed);
    EXPECT_EQ(first.Unlock(), InterProcessMutex::Ok);
    EXPECT_EQ(second.Lock(), InterProcessMutex::LockFailed); // one Lock still outstanding
    EXPECT_EQ(first.Unlock(), InterProcessMutex::Ok);
    EXPECT_EQ(second.Lock(), InterProcessMutex::Ok);

    // Moving to another name gives up the first mutex, and with it the lock.
    EXPECT_EQ(second.Create("other"), InterProcessMutex::Ok);
    EXPECT_EQ(first.Lock(), InterProcessMutex::Ok);
}

TEST_F(InterProcessMutexTest, AMutexLockedByAnotherProcessFailsAtOnceUntilItEnds) {
    auto holder = std::make_unique<Child>([] {
        static InterProcessMutex mutex; // lives until the child ends
        return mutex.Create("shared") * 10 + mutex.Lock();
    });
    EXPECT_EQ(holder->result(), InterProcessMutex::Ok * 10 + InterProcessMutex::Ok);

    InterProcessMutex mine;
    EXPECT_EQ(mine.Create("shared"), InterProcessMutex::AlreadyExists);
    EXPECT_EQ(mine.Lock(), InterProcessMutex::LockFailed);
    holder.reset(); // the child ends; the kernel drops its lock
    EXPECT_EQ(mine.Lock(), InterProcessMutex::Ok);

    InterProcessMutex dirLock;
    EXPECT_EQ(dirLock.CreateCurrentDirLock("unused"), InterProcessMutex::Ok);
    EXPECT_TRUE(fs::exists(fs::path(LockFiles::directory()) /
                           LockFiles::fileName("ORVEX_FILE_LOCK_" + fs::current_path().string())));
}
