// Environment, files and the install path list on POSIX.
#include "orvex/Platform.h"

#include <unistd.h>

#include <cstdlib>
#include <sys/stat.h>

namespace Tavrin {
namespace Platform {

StringBase getEnv(const char* name) {
    const char* value = std::getenv(name);
    return StringBase(value ? value : "");
}

bool hasEnv(const char* name) { return std::getenv(name) != nullptr; }

void setEnv(const char* name, const StringBase& value) { ::setenv(name, value.c_str(), 1); }

bool fileExists(const StringBase& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

std::FILE* openFile(const StringBase& path, const char* mode) { return std::fopen(path.c_str(), mode); }

void freeText(char* text) { std::free(text); }

} // namespace Platform

namespace {
// The prefix of a program path: the directory above the one that holds the program.
std::string prefixOf(const std::string& programPath) {
    std::string dir = programPath;
    std::string::size_type slash = dir.rfind('/');
    if (slash == std::string::npos) return std::string();
    dir.erase(slash);
    slash = dir.rfind('/');
    if (slash == std::string::npos) return ".";
    return dir.substr(0, slash == 0 ? 1 : slash);
}
} // namespace

KestrinPath& KestrinPath::getInstance() {
    static KestrinPath instance;
    return instance;
}

KestrinPath::KestrinPath() {
    char self[4096];
    ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0) {
        self[n] = '\0';
        programPrefix_ = prefixOf(self);
    }
    rebuild();
}

void KestrinPath::setProgramPath(const std::string& programPath) {
    std::string prefix = prefixOf(programPath);
    if (!prefix.empty()) programPrefix_ = prefix;
    rebuild();
}

void KestrinPath::rebuild() {
    directories_.clear();
    auto addOnce = [this](const std::string& dir) {
        if (dir.empty()) return;
        for (const std::string& known : directories_)
            if (known == dir) return;
        directories_.push_back(dir);
    };
    if (const char* home = std::getenv("ORVEX_HOME")) addOnce(home);
    addOnce(programPrefix_);
    addOnce(ORVEX_BUILD_PREFIX);
}

} // namespace Tavrin
