// InterProcessMutex over lock files. Each object opens its own lock file description and marks
// its presence with a shared lock on byte 1, so Create can tell whether another holder exists;
// the mutex itself is an exclusive lock on byte 0. Run numbers are exclusive locks on files named
// after the working directory, kept open for the rest of the process.
#include "tavrin/InterProcessMutex.h"

#include <fcntl.h>
#include <unistd.h>

#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "client/LockFiles.h"

namespace Tavrin {

namespace {

constexpr long kMutexByte = 0;
constexpr long kPresenceByte = 1;
constexpr int kRunNumberLimit = 10000;
constexpr int kJoinAttempts = 200;

// Takes the shared presence lock, first finding out whether anyone else holds the mutex open:
// nobody does exactly when an exclusive lock on the presence byte can be had. That lock is then
// turned into a shared one in place, which the kernel does atomically.
InterProcessMutex::Status markPresence(int fd) {
    if (LockFiles::tryLock(fd, kPresenceByte, F_WRLCK)) {
        return LockFiles::tryLock(fd, kPresenceByte, F_RDLCK) ? InterProcessMutex::Ok
                                                              : InterProcessMutex::CreateFailed;
    }
    // Another holder's exclusive presence lock lasts only while it converts it, so a few tries
    // will do; failing them all means something else is wrong.
    for (int attempt = 0; attempt < kJoinAttempts; ++attempt) {
        if (LockFiles::tryLock(fd, kPresenceByte, F_RDLCK)) return InterProcessMutex::AlreadyExists;
        ::usleep(1000);
    }
    return InterProcessMutex::CreateFailed;
}

// The run number this process holds for each directory base, and the lock file that holds it. A
// forked child inherits the descriptors but is a simulation of its own, so in a new process the
// numbers are forgotten (the inherited copies closed; the parent's locks stay).
struct HeldRunNumbers {
    struct Held {
        int number;
        int fd;
    };
    std::mutex lock;
    pid_t owner = 0;
    std::map<std::string, Held> byBase;

    void forgetIfInherited() {
        if (owner == ::getpid()) return;
        for (const auto& entry : byBase) ::close(entry.second.fd);
        byBase.clear();
        owner = ::getpid();
    }
};

HeldRunNumbers& heldRunNumbers() {
    static HeldRunNumbers held;
    return held;
}

} // namespace

struct InterProcessMutex::Record {
    std::mutex lock;
    std::string name;
    bool created = false;
    int fd = -1;
    int lockCount = 0;
    std::thread::id owner;

    void release() {
        LockFiles::close(fd, name); // closing the description drops both of its locks
        fd = -1;
        created = false;
        name.clear();
        lockCount = 0;
        owner = std::thread::id();
    }
};

InterProcessMutex::InterProcessMutex() : record_(new Record) {}

InterProcessMutex::~InterProcessMutex() {
    record_->release();
    delete record_;
}

InterProcessMutex::Status InterProcessMutex::Create(const StringBase& name) {
    std::string lockName = "ORVEX_FILE_LOCK_" + name.str();
    for (char& c : lockName)
        if (c == '\\') c = '_';

    std::lock_guard<std::mutex> hold(record_->lock);
    if (record_->created) {
        if (record_->name == lockName) return AlreadyHave;
        record_->release();
    }
    int fd = -1;
    Status status = CreateFailed;
    for (int attempt = 0; attempt < kJoinAttempts && status == CreateFailed; ++attempt) {
        fd = LockFiles::open(lockName);
        if (fd < 0) return CreateFailed;
        status = markPresence(fd);
        if (status != CreateFailed && !LockFiles::sameFile(fd, lockName)) status = CreateFailed;
        if (status == CreateFailed) ::close(fd);
    }
    if (status == CreateFailed) return CreateFailed;
    record_->fd = fd;
    record_->name = lockName;
    record_->created = true;
    return status;
}

InterProcessMutex::Status InterProcessMutex::CreateCurrentDirLock(const StringBase&) {
    return Create(LockFiles::currentDirectory());
}

InterProcessMutex::Status InterProcessMutex::Lock() {
    std::lock_guard<std::mutex> hold(record_->lock);
    if (!record_->created) return NoMutex;
    if (record_->lockCount > 0) {
        if (record_->owner != std::this_thread::get_id()) return LockFailed;
        ++record_->lockCount;
        return Ok;
    }
    if (!LockFiles::tryLock(record_->fd, kMutexByte, F_WRLCK)) return LockFailed;
    record_->owner = std::this_thread::get_id();
    record_->lockCount = 1;
    return Ok;
}

InterProcessMutex::Status InterProcessMutex::Unlock() {
    std::lock_guard<std::mutex> hold(record_->lock);
    if (!record_->created) return NoMutex;
    if (record_->lockCount == 0 || record_->owner != std::this_thread::get_id()) return UnlockFailed;
    if (record_->lockCount == 1 && !LockFiles::unlock(record_->fd, kMutexByte)) return UnlockFailed;
    if (--record_->lockCount == 0) record_->owner = std::thread::id();
    return Ok;
}

int InterProcessMutex::getRunNumber() {
    std::string directory = LockFiles::currentDirectory();
    if (directory.empty()) return 0;
    std::string base;
    try {
        base = LockFiles::runNumberBase(directory);
    } catch (...) {
        return 0;
    }

    HeldRunNumbers& held = heldRunNumbers();
    std::lock_guard<std::mutex> hold(held.lock);
    held.forgetIfInherited();
    const std::string key = LockFiles::runNumberName(base, 0);
    auto known = held.byBase.find(key);
    if (known != held.byBase.end()) return known->second.number;
    int retries = 0;
    for (int number = 0; number < kRunNumberLimit; ++number) {
        std::string name = LockFiles::runNumberName(base, number);
        int fd = LockFiles::open(name);
        // Names are never too long for a file, so a failed open will fail for every number.
        if (fd < 0) return 0;
        if (LockFiles::tryLock(fd, kMutexByte, F_WRLCK)) {
            if (!LockFiles::sameFile(fd, name) && ++retries < kJoinAttempts) {
                // Removed as stale between our open and our lock: take the new file instead.
                ::close(fd);
                --number;
                continue;
            }
            held.byBase[key] = {number, fd};
            return number;
        }
        ::close(fd);
    }
    return 0;
}

} // namespace Tavrin
