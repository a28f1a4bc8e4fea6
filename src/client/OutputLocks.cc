// Output file claims over the lock files of the inter-process mutex. The lock name is the one
// InterProcessMutex gives a file name ("ORVEX_FILE_LOCK_" and the absolute path), so a host
// that locks the file with InterProcessMutex is kept out as well. The holder writes its process
// id into the lock file, which is how a refused session can name it.
#include "client/OutputLocks.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>

#include "client/LockFiles.h"

namespace Tavrin {
namespace OutputLocks {

namespace {

constexpr long kMutexByte = 0;
// A refusal is checked this many times (1 ms apart) while the holder cannot be named: a lock
// taken by a sweep of stale files, or by a holder that has not yet written its id.
constexpr int kAttempts = 50;

struct Claim {
    int fd;
    std::string what;
};

std::mutex claimsLock;
std::map<std::string, Claim>& claims() {
    static std::map<std::string, Claim> held;
    return held;
}

// The process id written in a lock file, or 0.
long holderOf(int fd) {
    char text[32] = {};
    const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    if (n <= 0) return 0;
    const long pid = std::strtol(text, nullptr, 10);
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM) ? pid : 0;
}

void writeHolder(int fd) {
    const std::string text = std::to_string(static_cast<long>(::getpid())) + "\n";
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, text.data(), text.size(), 0) < 0) {
        // Only the naming of this process in a refusal is lost.
    }
}

} // namespace

std::string claim(const std::string& file, const std::string& what) {
    std::string path;
    try {
        path = std::filesystem::absolute(file).lexically_normal().string();
    } catch (const std::exception&) {
        return std::string(); // the engine reports a name it cannot use
    }
    // Only a file is claimed: a device or a pipe (/dev/null, /dev/full) is everybody's.
    std::error_code error;
    const auto type = std::filesystem::status(path, error).type();
    if (!error && type != std::filesystem::file_type::regular && type != std::filesystem::file_type::not_found)
        return std::string();
    std::lock_guard<std::mutex> hold(claimsLock);
    auto known = claims().find(path);
    if (known != claims().end()) {
        if (known->second.what == what) return std::string();
        return "Cannot write the " + what + " file " + file + ": this session writes it as its " +
               known->second.what + " file.";
    }
    const std::string lockName = "ORVEX_FILE_LOCK_" + path;
    long holder = 0;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const int fd = LockFiles::open(lockName);
        if (fd < 0) return std::string();
        if (LockFiles::tryLock(fd, kMutexByte, F_WRLCK)) {
            if (LockFiles::sameFile(fd, lockName)) {
                writeHolder(fd);
                claims()[path] = Claim{fd, what};
                return std::string();
            }
        } else if ((holder = holderOf(fd)) != 0) {
            ::close(fd);
            break;
        }
        ::close(fd);
        ::usleep(1000);
    }
    return "Cannot write the " + what + " file " + file + ": it is being written by another " +
           "Orvex session" + (holder ? " (process " + std::to_string(holder) + ")" : "") + ".";
}

} // namespace OutputLocks
} // namespace Tavrin
