// Helpers for tests that run the stand-in engine process: its command line, waiting for what
// arrives on other threads, and looking at processes and descriptors.
#pragma once

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <dirent.h>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "orvex/IEventHandler.h"

namespace EngineProcessKit {

using namespace std::chrono_literals;

/// The stand-in engine's command line with the given options.
inline std::string fakeEngine(const std::string& options = "") {
    return std::string(ORVEX_FAKE_ENGINE) + (options.empty() ? "" : " " + options);
}

/// Polls a condition until it holds or the limit passes; returns whether it holds.
inline bool eventually(const std::function<bool()>& condition,
                       std::chrono::milliseconds limit = 10000ms) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

/// True when no live process has this id (gone, or a zombie left to a parent that is not us).
inline bool processGone(int pid) {
    if (kill(pid, 0) != 0)
        return true;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const std::size_t close = text.rfind(')');
    return close == std::string::npos || (close + 2 < text.size() && text[close + 2] == 'Z');
}

/// The number of descriptors this process has open.
inline int openDescriptorCount() {
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (dirent* entry = readdir(dir))
            if (entry->d_name[0] != '.')
                ++count;
        closedir(dir);
    }
    return count - 1; // the directory's own descriptor
}

/// Keeps every engine event it is given, for the test thread to wait on.
class RecordingHandler : public Tavrin::IEventHandler {
public:
    void handleEvent(const Tavrin::EngineEvent& event) override {
        if (onEvent)
            onEvent(event);
        std::lock_guard<std::mutex> lock(mutex_);
        events_.push_back(event);
        changed_.notify_all();
    }

    /// Waits until an event of the kind has arrived (counting from `from`); a copy of it.
    bool waitFor(int kind, Tavrin::EngineEvent* found = nullptr,
                 std::chrono::milliseconds limit = 10000ms, std::size_t from = 0) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, limit, [&] {
            for (std::size_t i = from; i < events_.size(); ++i)
                if (events_[i].kind == kind) {
                    if (found)
                        *found = events_[i];
                    return true;
                }
            return false;
        });
    }

    std::vector<Tavrin::EngineEvent> events() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return events_;
    }

    int count(int kind) const {
        int n = 0;
        for (const auto& event : events())
            n += event.kind == kind;
        return n;
    }

    /// All text of text-output events so far.
    std::string text() const {
        std::string all;
        for (const auto& event : events())
            if (event.kind == Tavrin::EngineTextEvent)
                all += event.text.str();
        return all;
    }

    /// Called on the event thread before the event is kept.
    std::function<void(const Tavrin::EngineEvent&)> onEvent;

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Tavrin::EngineEvent> events_;
};

} // namespace EngineProcessKit
