// Lock files: one file per name in a private per-user directory. Locks are open-file-description
// locks, so they belong to one open file (two objects of one process do not share them) and the
// kernel drops them when the process ends, however it ends.
#include "client/LockFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace Tavrin {
namespace LockFiles {

namespace {

constexpr std::size_t kMaxFileName = 200;

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

bool setLock(int fd, long byte, short type) {
    struct flock lock;
    std::memset(&lock, 0, sizeof lock);
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = byte;
    lock.l_len = 1;
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

int open(const std::string& lockName) {
    if (lockName.find('\0') != std::string::npos) return -1;
    std::string dir = directory();
    if (dir.empty()) return -1;
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
    std::string name = runNumber > 0 ? base + std::to_string(runNumber) : base;
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
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
