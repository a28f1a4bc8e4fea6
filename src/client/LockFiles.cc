// Lock files: one file per name in a private per-user directory. Locks are open-file-description
// locks, so they belong to one open file (two objects of one process do not share them) and the
// kernel drops them when the process ends, however it ends.
#include "client/LockFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <vector>

namespace Tavrin {
namespace LockFiles {

namespace {

constexpr std::size_t kMaxFileName = 200;
// The most lock files one sweep looks at, so a huge folder cannot hold up a start.
constexpr int kSweepLimit = 4096;

std::string hashText(const std::string& text) {
    std::uint64_t hash = 14695981039346656037ull; // FNV-1a
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return hex;
}

// Locks `length` bytes from `byte`; a length of 0 covers the whole file.
bool setLock(int fd, long byte, short type, long length = 1) {
    struct flock lock;
    std::memset(&lock, 0, sizeof lock);
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = byte;
    lock.l_len = length;
    for (;;) {
        if (::fcntl(fd, F_OFD_SETLK, &lock) == 0) return true;
        if (errno != EINTR) return false;
    }
}

} // namespace

std::string directory() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string dir = runtime && runtime[0] == '/'
                          ? std::string(runtime) + "/orvex-locks"
                          : "/tmp/orvex-locks-" + std::to_string(static_cast<unsigned long>(::geteuid()));
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return std::string();
    // Someone else's directory, or a link planted in /tmp, must not receive our locks.
    struct stat info;
    if (::lstat(dir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid() ||
        (info.st_mode & 077) != 0)
        return std::string();
    return dir;
}

std::string fileName(const std::string& lockName) {
    std::string name = lockName;
    for (char& c : name)
        if (c == '/') c = '_';
    if (name.size() > kMaxFileName) name = name.substr(0, kMaxFileName - 17) + "~" + hashText(lockName);
    return name;
}

namespace {

// Removes the lock files nobody holds any more: a lock dies with its process, its file stays.
// A file is removed only while this process holds a lock on all of it (so no one else holds
// any part), and only if its name still leads to it; see sameFile for the other side.
void sweepStale(const std::string& dir) {
    DIR* folder = ::opendir(dir.c_str());
    if (folder == nullptr) return;
    int visited = 0;
    while (struct dirent* entry = ::readdir(folder)) {
        if (++visited > kSweepLimit) break;
        if (entry->d_name[0] == '.') continue;
        const std::string path = dir + "/" + entry->d_name;
        const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0) continue;
        struct stat opened, named;
        if (setLock(fd, 0, F_WRLCK, 0) && ::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) &&
            ::lstat(path.c_str(), &named) == 0 && named.st_ino == opened.st_ino &&
            named.st_dev == opened.st_dev)
            ::unlink(path.c_str());
        ::close(fd);
    }
    ::closedir(folder);
}

std::string pathOf(const std::string& lockName) {
    std::string dir = directory();
    return dir.empty() ? dir : dir + "/" + fileName(lockName);
}
} // namespace

void removeStale(const std::string& dir) { sweepStale(dir); }

bool sameFile(int fd, const std::string& lockName) {
    const std::string path = pathOf(lockName);
    struct stat opened, named;
    return !path.empty() && ::fstat(fd, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 &&
           opened.st_ino == named.st_ino && opened.st_dev == named.st_dev;
}

void close(int fd, const std::string& lockName) {
    if (fd < 0) return;
    // Our own locks are on this description, so a lock on the whole file can be had exactly
    // when nobody else holds any part of it.
    if (setLock(fd, 0, F_WRLCK, 0) && sameFile(fd, lockName)) ::unlink(pathOf(lockName).c_str());
    ::close(fd);
}

int open(const std::string& lockName) {
    if (lockName.find('\0') != std::string::npos) return -1;
    std::string dir = directory();
    if (dir.empty()) return -1;
    static std::once_flag swept;
    std::call_once(swept, [&dir] { sweepStale(dir); });
    std::string path = dir + "/" + fileName(lockName);
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool tryLock(int fd, long byte, short type) { return setLock(fd, byte, type); }

bool unlock(int fd, long byte) { return setLock(fd, byte, F_UNLCK); }

std::string runNumberBase(const std::string& directory) {
    namespace fs = std::filesystem;
    std::string text = fs::absolute(fs::path(directory)).lexically_normal().generic_string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    for (char& c : text)
        if (c == '/' || c == '\\') c = '_';
    return text;
}

std::string runNumberName(const std::string& base, int runNumber) {
    // Case is kept: on this system lk/A and lk/a are different folders.
    return runNumber > 0 ? base + std::to_string(runNumber) : base;
}

std::string currentDirectory() {
    std::vector<char> buffer(4096);
    int error = 0;
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size())) return std::string(buffer.data());
        error = errno;
        if (error != ERANGE || buffer.size() > (1u << 20)) break;
        buffer.resize(buffer.size() * 2);
    }
    std::printf("Could not get current working directory (%d).\n", error);
    std::fflush(stdout);
    return std::string();
}

} // namespace LockFiles
} // namespace Tavrin
