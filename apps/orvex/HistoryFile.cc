// The persistent history file: reading, appending and cutting it back.
#include "HistoryFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace OrvexLauncher {

std::string HistoryFile::defaultPath() {
    if (const char* chosen = std::getenv("ORVEX_HISTFILE")) return chosen;
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && *state == '/') return std::string(state) + "/orvex/history";
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') return std::string(home) + "/.local/state/orvex/history";
    return std::string();
}

HistoryFile::HistoryFile(std::string path, std::size_t limit) : path_(std::move(path)), limit_(limit) {}

void HistoryFile::load() {
    if (path_.empty()) return;
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), ignored);
    std::ifstream in(path_);
    std::string line;
    std::size_t total = 0;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        lines_.push_back(line);
        ++total;
    }
    if (lines_.size() > limit_) lines_.erase(lines_.begin(), lines_.end() - static_cast<long>(limit_));
    // Cutting back rewrites the file; doing it only well over the limit keeps that rare.
    if (total > limit_ + limit_ / 2) trim();
}

void HistoryFile::trim() {
    std::string temporary = path_ + "." + std::to_string(::getpid());
    {
        std::ofstream out(temporary, std::ios::trunc);
        for (const std::string& line : lines_) out << line << '\n';
        if (!out) {
            std::remove(temporary.c_str());
            return;
        }
    }
    std::rename(temporary.c_str(), path_.c_str());
}

void HistoryFile::append(const std::string& line) {
    if (line.empty() || line.find('\n') != std::string::npos) return;
    if (!lines_.empty() && lines_.back() == line) return;
    lines_.push_back(line);
    if (path_.empty()) return;
    int fd = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return;
    std::string record = line + "\n";
    ssize_t ignored = ::write(fd, record.data(), record.size());
    (void)ignored;
    ::close(fd);
}

} // namespace OrvexLauncher
