// The compile cache's folder: entries made whole under a temporary name, checked against the
// sources on every use, dropped oldest first.
#include "CompileCache.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "Sha256.h"
#include "orvex/PosixIo.h"

namespace OrvexLauncher {

namespace {

constexpr std::uint64_t kDefaultLimit = 256ull << 20;
// A temporary entry this old belongs to a session that ended before finishing it.
constexpr time_t kAbandonedSeconds = 3600;

bool readFile(const std::string& path, std::string& text) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    text.clear();
    const bool whole = Tavrin::readToEnd(fd, text);
    ::close(fd);
    return whole;
}

bool writeFile(const std::string& path, const std::string& text) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const bool written = Tavrin::writeAll(fd, text);
    return ::close(fd) == 0 && written;
}

bool copyFile(const std::string& from, const std::string& to) {
    std::string text;
    return readFile(from, text) && writeFile(to, text);
}

bool makeFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        std::string part = path.substr(0, slash);
        if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) return true;
    }
}

// The names in a folder, without . and ..
std::vector<std::string> folderNames(const std::string& path) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) return names;
    while (dirent* item = ::readdir(dir))
        if (std::strcmp(item->d_name, ".") != 0 && std::strcmp(item->d_name, "..") != 0) names.push_back(item->d_name);
    ::closedir(dir);
    return names;
}

// An entry holds plain files only.
void removeEntry(const std::string& path) {
    for (const std::string& name : folderNames(path)) ::unlink((path + "/" + name).c_str());
    ::rmdir(path.c_str());
}

bool later(const timespec& a, const timespec& b) {
    return a.tv_sec != b.tv_sec ? a.tv_sec > b.tv_sec : a.tv_nsec > b.tv_nsec;
}

} // namespace

std::string CompileCache::defaultFolder() {
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    if (xdg != nullptr && xdg[0] == '/') return std::string(xdg) + "/orvex/compile";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return std::string(home) + "/.cache/orvex/compile";
    return std::string();
}

std::uint64_t CompileCache::defaultLimit() {
    const char* text = std::getenv("ORVEX_COMPILE_CACHE_MB");
    if (text == nullptr || *text == '\0') return kDefaultLimit;
    char* end = nullptr;
    unsigned long long megabytes = std::strtoull(text, &end, 10);
    return *end == '\0' ? megabytes << 20 : kDefaultLimit;
}

bool CompileCache::enabledByEnvironment() {
    const char* setting = std::getenv("ORVEX_COMPILE_CACHE");
    return setting == nullptr || std::strcmp(setting, "off") != 0;
}

CompileCache::CompileCache(std::string folder, std::uint64_t limitBytes)
    : folder_(std::move(folder)), limit_(limitBytes) {}

std::string CompileCache::key(const std::vector<std::vector<std::string>>& runs, const std::string& workDir,
                              const std::vector<std::string>& inputs) const {
    Sha256 sha;
    sha.addWord("orvex compile cache 1");
    for (const std::vector<std::string>& run : runs) {
        sha.addWord("run");
        for (std::string word : run) {
            for (std::size_t at = word.find(workDir); !workDir.empty() && at != std::string::npos;
                 at = word.find(workDir, at + 5))
                word.replace(at, workDir.size(), "<work>");
            sha.addWord(word);
        }
    }
    // Relative source, include and library paths are read from here.
    char cwd[4096];
    sha.addWord(::getcwd(cwd, sizeof cwd) != nullptr ? cwd : "?");
    for (const std::string& input : inputs) sha.addWord(input);
    return sha.hex();
}

bool CompileCache::fetch(const std::string& key, const std::vector<std::string>& outputs,
                         const std::string& workDir, std::string& messages) const {
    const std::string entry = folder_ + "/" + key;
    std::string inputs, stored;
    if (!readFile(entry + "/inputs", inputs) || !readFile(entry + "/messages", stored)) return false;
    std::istringstream lines(inputs);
    std::string line, digest;
    while (std::getline(lines, line)) {
        std::size_t space = line.find(' ');
        if (space == std::string::npos || !hashFile(line.substr(space + 1), digest) || digest != line.substr(0, space))
            return false;
    }
    for (const std::string& output : outputs)
        if (!copyFile(entry + "/" + output, workDir + "/" + output)) return false;
    // The time of last use orders the entries for dropping.
    ::utimensat(AT_FDCWD, entry.c_str(), nullptr, 0);
    messages += stored;
    return true;
}

void CompileCache::store(const std::string& key, const std::vector<std::string>& outputs, const std::string& workDir,
                         const std::string& messages, const std::string& dependencyList,
                         const timespec& compileStart) const {
    std::string list, inputs, digest;
    if (!readFile(dependencyList, list)) return;
    std::istringstream lines(list);
    std::string path;
    while (std::getline(lines, path)) {
        if (path.empty()) continue;
        struct stat info;
        if (::stat(path.c_str(), &info) != 0 || later(info.st_mtim, compileStart) || !hashFile(path, digest)) return;
        inputs += digest + ' ' + path + '\n';
    }
    if (!makeFolders(folder_)) return;
    std::string pattern = folder_ + "/.new-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (::mkdtemp(name.data()) == nullptr) return;
    const std::string temp(name.data());
    bool written = writeFile(temp + "/inputs", inputs) && writeFile(temp + "/messages", messages);
    for (const std::string& output : outputs) written = written && copyFile(workDir + "/" + output, temp + "/" + output);
    ::chmod(temp.c_str(), 0755);
    const std::string entry = folder_ + "/" + key;
    if (written && ::rename(temp.c_str(), entry.c_str()) != 0) {
        // A stale entry (a source changed) or one another session has just made: the new one
        // replaces it, moved aside first so that the name never holds half an entry; a session
        // reading the old one when it goes finds files missing and compiles instead.
        const std::string aside = temp + "-old";
        if (::rename(entry.c_str(), aside.c_str()) == 0) removeEntry(aside);
        written = ::rename(temp.c_str(), entry.c_str()) == 0;
    }
    if (!written) {
        removeEntry(temp);
        return;
    }
    dropOldest(key);
}

void CompileCache::dropOldest(const std::string& keep) const {
    struct Entry {
        std::string name;
        timespec used;
        std::uint64_t size;
    };
    std::vector<Entry> entries;
    std::uint64_t total = 0;
    const time_t now = ::time(nullptr);
    for (const std::string& name : folderNames(folder_)) {
        const std::string path = folder_ + "/" + name;
        struct stat info;
        if (::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) continue;
        if (name[0] == '.') {
            if (now - info.st_mtime > kAbandonedSeconds) removeEntry(path);
            continue;
        }
        Entry entry{name, info.st_mtim, 0};
        for (const std::string& file : folderNames(path)) {
            struct stat fileInfo;
            if (::stat((path + "/" + file).c_str(), &fileInfo) == 0) entry.size += static_cast<std::uint64_t>(fileInfo.st_size);
        }
        total += entry.size;
        entries.push_back(entry);
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return later(b.used, a.used); });
    for (const Entry& entry : entries) {
        if (total <= limit_) break;
        if (entry.name == keep) continue;
        // Moved aside first, as above: a session reading it either finishes or compiles.
        const std::string aside = folder_ + "/.drop-" + std::to_string(::getpid()) + "-" + entry.name;
        if (::rename((folder_ + "/" + entry.name).c_str(), aside.c_str()) == 0) removeEntry(aside);
        total -= entry.size;
    }
}

} // namespace OrvexLauncher
