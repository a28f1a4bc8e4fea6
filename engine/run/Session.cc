// Serving requests while the simulation is paused, and the pause points' common path.
#include "Session.h"

#include <dlfcn.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <set>
#include <vector>

#include "Callbacks.h"
#include "EngineCommands.h"
#include "EngineCore.h"
#include "RunProgress.h"
#include "StatementHook.h"
#include "Wire.h"

namespace OrvexEngine {

bool finishCalled = false;
bool simulationEnded = false;
Orvex::Mi::Value finishPlace = Orvex::Mi::Value::tuple();
Orvex::Mi::Value fatalPlace = Orvex::Mi::Value::tuple();

namespace {
RunKind currentRun = RunKind::None;
unsigned generation = 0;
bool serving = false;
std::vector<std::function<void()>> pendingAfterResult;
std::vector<std::function<void()>> exitHooks;
std::vector<std::function<void()>> pauseHooks;
// When the request being served began, or last reported progress.
std::chrono::steady_clock::time_point lastSign = std::chrono::steady_clock::now();

// Paused after a time step (read-only synch): vvp refuses value changes there.
bool pausedAfterStep = false;
std::vector<std::function<void()>> deferredWrites;

// What the pause at the end of the current time step is for.
bool stepPauseAsked = false;
bool runEndAsked = false;
unsigned runEndGeneration = 0;
std::set<int> metConditions;
// A finish asked for by vvp itself (its $fatal), not by our $finish.
bool finishedByVvp = false;

bool vvpFinishScheduled() {
    using Query = bool (*)();
    static Query query = reinterpret_cast<Query>(dlsym(RTLD_DEFAULT, "_Z17schedule_finishedv"));
    return query != nullptr && query();
}

std::string idList(const std::set<int>& ids) {
    std::string text;
    for (int id : ids) text += (text.empty() ? "" : ",") + std::to_string(id);
    return text;
}

void stepEndReached() {
    stepPauseAsked = false;
    bool runEnd = runEndAsked && runEndGeneration == generation && currentRun != RunKind::None;
    runEndAsked = false;
    if (finishPending()) return; // the end of simulation reports the met conditions
    if (currentRun == RunKind::None || (!runEnd && metConditions.empty())) {
        metConditions.clear();
        return;
    }
    Orvex::Mi::Value fields = Orvex::Mi::Value::tuple();
    if (!metConditions.empty())
        fields.add("id", *metConditions.begin()).add("ids", idList(metConditions));
    std::string reason = metConditions.empty() ? "run-complete" : "condition-met";
    metConditions.clear();
    pausedAfterStep = true;
    pauseWith(reason, fields);
    pausedAfterStep = false;
}

void askStepPause() {
    if (stepPauseAsked) return;
    stepPauseAsked = true;
    afterTimeStep(stepEndReached);
}

/// Serves one line; returns true when the request resumed the simulation.
bool serveLine(const std::string& line, bool sendResults) {
    Orvex::Mi::Request request;
    try {
        request = Orvex::Mi::parseRequest(line);
    } catch (const Orvex::Mi::ParseError& e) {
        // The token, when one can be read, keeps the results in step with the requests.
        std::uint64_t token = 0;
        for (char c : line) {
            if (c < '0' || c > '9') break;
            token = token * 10 + static_cast<std::uint64_t>(c - '0');
        }
        if (sendResults) Wire::sendError(token, std::string("malformed request: ") + e.what());
        return false;
    }
    pendingAfterResult.clear();
    lastSign = std::chrono::steady_clock::now();
    const Handler* handler = findHandler(request.command);
    try {
        if (!handler) throw EngineError("unknown request " + request.command);
        Orvex::Mi::Value fields = (*handler)(request.args);
        reportProgress(); // a long request: its answer, perhaps long too, is on its way
        if (sendResults) Wire::sendResult(request.token, fields);
    } catch (const EngineError& e) {
        pendingAfterResult.clear();
        if (sendResults) Wire::sendError(request.token, e.what());
        return false;
    } catch (const std::exception& e) {
        pendingAfterResult.clear();
        if (sendResults) Wire::sendError(request.token, request.command + ": " + e.what());
        return false;
    }
    auto actions = std::move(pendingAfterResult);
    pendingAfterResult.clear();
    for (auto& action : actions) action();
    return currentRun != RunKind::None;
}
} // namespace

void endRunAfterTimeStep(unsigned runOf) {
    runEndAsked = true;
    runEndGeneration = runOf;
    askStepPause();
}

void conditionMet(int id) {
    if (currentRun == RunKind::None) return;
    metConditions.insert(id);
    askStepPause();
}

bool finishPending() {
    if (finishCalled) return true;
    if (vvpFinishScheduled()) finishedByVvp = true;
    return finishedByVvp;
}

void whenWritable(std::function<void()> fn) {
    if (!pausedAfterStep) {
        fn();
        return;
    }
    deferredWrites.push_back(std::move(fn));
    if (deferredWrites.size() > 1) return;
    afterDelay(1, [] {
        auto due = std::move(deferredWrites);
        deferredWrites.clear();
        for (auto& write : due) {
            try {
                write();
            } catch (const EngineError& e) {
                sendMessage(std::string(e.what()) + "\n");
            }
        }
    });
}

void simulationEnd() {
    simulationEnded = true;
    finishPending();
    Orvex::Mi::Value fields = Orvex::Mi::Value::tuple();
    std::string reason = "run-complete";
    if (finishCalled || finishedByVvp) {
        reason = "vlog-finish";
        fields = finishCalled ? finishPlace : fatalPlace;
        if (!finishCalled) fields.add("status", 1);
    }
    if (!metConditions.empty()) fields.add("id", *metConditions.begin()).add("ids", idList(metConditions));
    metConditions.clear();
    fields.add("ended", 1);
    pauseWith(reason, fields);
    // Nothing resumes an ended simulation; only quit, exit or restart leave the loop below.
    for (;;) serveRequests();
}

bool isRunning() { return currentRun != RunKind::None; }
RunKind runKind() { return currentRun; }
unsigned runGeneration() { return generation; }

void beginRun(RunKind kind) {
    currentRun = kind;
    ++generation;
    refreshStatementHook();
}

void afterResult(std::function<void()> action) { pendingAfterResult.push_back(std::move(action)); }

void serveRequests() {
    if (serving) return; // a pause point reached while serving (should not happen) is ignored
    serving = true;
    Wire::flushQueuedAndOutput(); // traces, then the design's output printed after them, then the event
    Wire::outputServed();
    while (!serveLine(Wire::nextLine(), true)) {
    }
    Wire::resumeReader();
    serving = false;
    runProgressResumes();
}

void pauseWith(const std::string& reason, Orvex::Mi::Value fields) {
    if (serving) return;
    runProgressPauses();
    currentRun = RunKind::None;
    ++generation;
    refreshStatementHook();
    runPauseHooks();
    Wire::flushQueuedAndOutput();
    Orvex::Mi::Value event = Orvex::Mi::Value::tuple();
    event.add("reason", reason);
    event.add("time", currentTimeFs());
    for (auto& field : fields.fields) event.add(field.first, field.second);
    sendEvent("stopped", event);
    serveRequests();
}

void replayRequest(const std::string& line) {
    serveLine(line, false);
    currentRun = RunKind::None;
}

void atEngineExit(std::function<void()> fn) { exitHooks.push_back(std::move(fn)); }

void atPause(std::function<void()> fn) { pauseHooks.push_back(std::move(fn)); }

void runPauseHooks() {
    for (auto& hook : pauseHooks) hook();
}

void endEngine(int status) {
    for (auto& hook : exitHooks) hook();
    Wire::flushQueuedAndOutput();
    _exit(status);
}

void sendEvent(const std::string& cls, const Orvex::Mi::Value& fields) {
    std::string line = "*" + cls;
    if (!fields.fields.empty()) line += "," + Orvex::Mi::encodeFields(fields);
    Wire::writeLine(line);
}

void reportProgress() {
    const auto now = std::chrono::steady_clock::now();
    if (now - lastSign < std::chrono::seconds(1)) return;
    lastSign = now;
    sendEvent(Orvex::Protocol::Record::Progress, Orvex::Mi::Value::tuple());
}

void sendMessage(const std::string& text) { Wire::writeLine("~" + Orvex::Mi::quote(text)); }

} // namespace OrvexEngine
