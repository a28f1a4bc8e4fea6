// The run progress sampler. vvp offers no way to ask for the time from another thread, and a
// callback on every time step would tax every run; instead the sampler reads vvp's own
// simulation time word through `schedule_simtime` (exported by /usr/bin/vvp 11). The word is
// one aligned 64-bit value that only the simulation thread writes, so a read sees either the
// old or the new time, which is all a progress report needs.
#include "RunProgress.h"

#include <dlfcn.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "EngineCore.h"
#include "Mi.h"
#include "ProtocolWords.h"
#include "Session.h"
#include "Wire.h"

namespace OrvexEngine {

namespace {
using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kInterval(250);

using SimTimeQuery = std::uint64_t (*)();

std::mutex lock; // the state below; held while a report is written
std::condition_variable changed;
bool active = false;
std::int64_t target = -1;
std::int64_t startFs = 0;
std::int64_t fsPerTick = 1;
Clock::time_point startedAt;
SimTimeQuery simTime = nullptr;
bool samplerStarted = false;

void sampleLoop() {
    std::unique_lock<std::mutex> hold(lock);
    for (;;) {
        changed.wait(hold, [] { return active; });
        Clock::time_point due = Clock::now() + kInterval;
        // A pause within the interval ends this run's wait; a new run starts its own.
        const Clock::time_point runStart = startedAt;
        if (changed.wait_until(hold, due, [&] { return !active || startedAt != runStart; })) continue;
        // vvp's standard output is a pipe, so fully buffered: what the design printed so far is
        // passed on now, before the report that may come after it (while statements are traced,
        // by the simulation thread with its next trace, so that it keeps its place among them).
        hold.unlock();
        Wire::flushOutput();
        hold.lock();
        if (!active || startedAt != runStart) continue;
        const std::int64_t now = static_cast<std::int64_t>(simTime()) * fsPerTick;
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - startedAt);
        Orvex::Mi::Value fields = Orvex::Mi::Value::tuple();
        fields.add(Orvex::Protocol::Field::Time, now)
            .add(Orvex::Protocol::Field::Start, startFs)
            .add(Orvex::Protocol::Field::Elapsed, static_cast<std::int64_t>(elapsed.count()));
        if (target >= 0) fields.add(Orvex::Protocol::Field::Until, target);
        // Written under the lock: a pause waits for it, so it never follows *stopped.
        sendEvent(Orvex::Protocol::Record::Progress, fields);
    }
}
} // namespace

void setRunTarget(std::int64_t fs) {
    std::lock_guard<std::mutex> hold(lock);
    target = fs;
}

void runProgressResumes() {
    if (simTime == nullptr) {
        simTime = reinterpret_cast<SimTimeQuery>(dlsym(RTLD_DEFAULT, "_Z16schedule_simtimev"));
        if (simTime == nullptr) return; // a vvp without it: runs go without progress
    }
    const std::int64_t perTick = ticksToFs(1);
    const std::int64_t now = currentTimeFs();
    std::lock_guard<std::mutex> hold(lock);
    fsPerTick = perTick;
    startFs = now;
    startedAt = Clock::now();
    active = true;
    if (!samplerStarted) {
        samplerStarted = true;
        std::thread(sampleLoop).detach();
    }
    changed.notify_all();
}

void runProgressPauses() {
    std::lock_guard<std::mutex> hold(lock);
    active = false;
    target = -1;
    changed.notify_all();
}

} // namespace OrvexEngine
