// Helpers for the unit tests of the control, the dispatcher and the event handler: a host console
// that records what it is given, and scratch and working directories for simulation logs.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "tavrin/IConsole.h"

namespace Tavrin {
namespace Test {

/// A host console that keeps every write; locked, as events print from the engine's thread.
class RecordingConsole : public IConsole {
public:
    void write(const StringBase& text) override {
        std::lock_guard<std::mutex> lock(mutex_);
        writes_.push_back(text.str());
    }
    void writePrompt(const StringBase& text) override { write(text); }
    StringBase readLine() override { return StringBase(); }
    void flush() override {}

    std::vector<std::string> writes() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return writes_;
    }
    /// Everything written so far, joined.
    std::string text() const {
        std::string all;
        for (const std::string& w : writes()) all += w;
        return all;
    }
    void clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        writes_.clear();
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> writes_;
};

/// A fresh directory under the system's temporary directory, removed with its contents.
class ScratchDir {
public:
    ScratchDir() {
        static int counter = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("tavrin-unit-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

/// Makes a directory the working directory for the life of the object.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::filesystem::path& dir)
        : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(dir);
    }
    ~WorkingDirectory() {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
    }

private:
    std::filesystem::path previous_;
};

/// The whole content of a file; empty when it cannot be read.
inline std::string readFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

} // namespace Test
} // namespace Tavrin
