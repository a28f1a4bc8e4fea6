// Engine events: stop lines, the end of blocking requests, met conditions and the engine's end.
#include "TclEventHandler.h"

#include <chrono>
#include <string>

#include "TclControlImpl.h"
#include "tavrin/TclCommandBase.h"
#include "tavrin/TclHelper.h"

namespace Tavrin {

namespace {
// How long a command that found the engine gone waits for the end event, which the engine
// control queues before it wakes the command.
constexpr std::chrono::seconds EndEventWait(2);
const char* const NotRunning = "Simulation engine is not running";
} // namespace

std::string TclEventHandler::unexpectedEndText() const {
    std::string text = "The simulator has terminated in an unexpected manner.";
    const std::string log = owner->logInUse();
    if (!log.empty()) text += "  Please review the Orvex log (" + log + ") for details.";
    return text + "\n";
}

TclEventHandler::TclEventHandler(TclControlImpl* control, bool hang)
    : owner(control), handleEngineHang(hang) {}

EngineState TclEventHandler::advance(EngineInput input) {
    const EngineState before = state_;
    state_ = nextState(state_, input);
    if (state_ != before) stateChanged_.notify_all();
    return before;
}

EngineState TclEventHandler::state() {
    std::lock_guard<std::mutex> guard(stateLock_);
    return state_;
}

bool TclEventHandler::quitPending() {
    std::lock_guard<std::mutex> guard(stateLock_);
    return quitAfterRequest_;
}

std::vector<int> TclEventHandler::pendingConditions() {
    std::lock_guard<std::mutex> guard(stateLock_);
    return metConditionIds_;
}

bool TclEventHandler::startEngine(const std::function<void()>& start) {
    std::unique_lock<std::mutex> lock(stateLock_);
    advance(EngineInput::Start);
    try {
        start();
    } catch (...) {
        advance(EngineInput::End);
        throw;
    }
    stateChanged_.wait(lock, [this] { return state_ != EngineState::Starting; });
    return state_ == EngineState::Ready;
}

bool TclEventHandler::giveUpEngine() {
    std::lock_guard<std::mutex> guard(stateLock_);
    return advance(EngineInput::End) == EngineState::Ended;
}

void TclEventHandler::handleEvent(const EngineEvent& event) {
    switch (event.kind) {
    case EngineReadyEvent: {
        std::lock_guard<std::mutex> guard(stateLock_);
        advance(EngineInput::ReadyEvent);
        break;
    }
    case NamedSimulationEvent:
        handleNamedEvent(event);
        break;
    case EngineTerminatedEvent:
        handleTermination(event);
        break;
    case EngineTextEvent:
        owner->deliver(event.text.str(), true, true);
        break;
    case EngineHangEvent:
        if (handleEngineHang) handleHang();
        break;
    default:
        break;
    }
}

// Every stop says why on one line: "Stopped at time : T", then the reason where the place alone
// does not tell it, then the place when the engine knows one.
void TclEventHandler::printStopLine(const EngineEvent& event, const std::string& why) {
    std::string time;
    TclHelper::cvtRawTimeToDisplayableTime(event.time, time);
    std::string line = "Stopped at time : " + time;
    if (!why.empty()) line += " : " + why;
    if (!event.file.str().empty())
        line += " : File \"" + event.file.str() + "\" Line " + std::to_string(event.line);
    owner->deliver(line + "\n", true, true);
}

namespace {
std::string conditionsText(const std::vector<int>& ids) {
    std::string text = ids.size() == 1 ? "Condition " : "Conditions ";
    for (std::size_t i = 0; i < ids.size(); ++i) text += (i ? ", " : "") + std::to_string(ids[i]);
    return text + " met";
}
} // namespace

void TclEventHandler::handleNamedEvent(const EngineEvent& event) {
    std::lock_guard<std::mutex> guard(stateLock_);
    const std::string& name = event.name.str();
    // Every condition met in the stop's time step runs its script, in id order.
    std::vector<int> met;
    for (int id : event.conditionIds)
        if (id > 0) met.push_back(id);
    if (met.empty() && event.conditionId > 0) met.push_back(event.conditionId);
    if (!met.empty()) metConditionIds_ = met;
    if (name == "breakpoint-hit" || name == "end-stepping") {
        printStopLine(event, "");
    } else if (name == "condition-met") {
        if (!met.empty()) printStopLine(event, conditionsText(met));
    } else if (name == "vlog-finish") {
        printStopLine(event, event.status != 0 ? "$fatal" : "");
        owner->recordExitStatus(event.status);
        if (owner->isStandardConsole()) quitAfterRequest_ = true;
    } else if (name == "vlog-stop") {
        printStopLine(event, "$stop");
    } else if (name == "user-stop") {
        printStopLine(event, "Stop requested");
    } else if (name == "run-complete" && event.ended) {
        printStopLine(event, "No more events");
    }
    advance(EngineInput::StopEvent);
}

void TclEventHandler::handleTermination(const EngineEvent& event) {
    std::lock_guard<std::mutex> guard(stateLock_);
    if (!event.expected) {
        endUnexpected_ = true;
        endReported_ = false;
        endCause_ = event.text.str();
        owner->markEngineLost();
    }
    const EngineState before = advance(EngineInput::End);
    // A starting engine's end fails the start; a waiting request reports the end itself, as the
    // failure of its command. Otherwise nothing waits for the engine: the end is told now, and
    // the shell goes on without it.
    if (before != EngineState::Starting && before != EngineState::Running) reportEndLocked();
}

void TclEventHandler::reportEndLocked() {
    if (!endUnexpected_ || endReported_) return;
    endReported_ = true;
    std::string cause = endCause_;
    if (!cause.empty() && cause.back() != '\n') cause += '\n';
    owner->deliver(cause + unexpectedEndText(), true, true);
}

void TclEventHandler::awaitEndReport() {
    std::unique_lock<std::mutex> lock(stateLock_);
    stateChanged_.wait_for(lock, EndEventWait, [this] { return state_ == EngineState::Ended; });
    reportEndLocked();
}

void TclEventHandler::handleHang() {
    owner->deliver("Simulation stopped responding. Terminating simulation.\n", true, true);
    if (ISimulationControl* engine = owner->getSimulationControl()) {
        try {
            engine->terminate();
        } catch (const Orvex::Exception&) {
            // Ending a hung engine is best effort.
        }
    }
    // Release a command that waits on the hung engine; the engine is treated as ended.
    giveUpEngine();
}

bool TclEventHandler::request(RequestKind kind, std::int64_t time) {
    ISimulationControl* engine = owner->getSimulationControl();
    if (engine == nullptr) return true;
    try {
        // Held while the request is issued: the event that ends it waits for the wait below.
        std::unique_lock<std::mutex> lock(stateLock_);
        auto ended = [this] { return state_ == EngineState::Ended; };
        try {
            switch (kind) {
            case RunForTime: engine->run(time); break;
            case RunAll: engine->runAll(); break;
            case Restart: engine->restart(); break;
            case Step: engine->step(); break;
            }
            advance(EngineInput::RequestTaken);
        } catch (const CommandErrorException& e) {
            // An engine that ended before taking the request: its end is the reason.
            if (e.getDescription() == std::string(NotRunning) && !ended())
                stateChanged_.wait_for(lock, EndEventWait, ended);
            if (!ended() || !endUnexpected_ || endReported_) throw;
        }
        stateChanged_.wait(lock, [this] { return state_ != EngineState::Running; });
        if (ended() && !endUnexpected_) {
            // Ended on request (a stop the user turned into an end) while this command waited.
            owner->deliver(unexpectedEndText(), true, true);
            lock.unlock();
            ORVEX_THROW(CommandErrorException, "");
        }
        if (ended() && endUnexpected_ && !endReported_) {
            reportEndLocked();
            lock.unlock();
            // The end has been told; the command fails without a further message.
            ORVEX_THROW(CommandErrorException, "");
        }
    } catch (const Orvex::InterruptException&) {
        // Told here, at the request: the command itself goes on and returns normally.
        failCommand(owner, std::current_exception(), FailureContext{nullptr, nullptr, false});
        return false;
    }
    return true;
}

void TclEventHandler::postRequest() {
    bool quitNow = false;
    std::vector<int> conditionIds;
    {
        std::lock_guard<std::mutex> guard(stateLock_);
        if (quitAfterRequest_) {
            quitAfterRequest_ = false;
            quitNow = true;
        } else {
            // Taken before the scripts run: a script that runs the simulation again must not
            // find its own condition still pending after that inner run.
            conditionIds.swap(metConditionIds_);
        }
    }
    if (quitNow) {
        owner->quit(false, true);
        return;
    }
    // An end during the request has failed it already (see request).
    for (int id : conditionIds) runConditionScript(id);
}

void TclEventHandler::runConditionScript(int conditionId) {
    TclCondition*& entry = owner->getConditionScripts()[conditionId];
    if (entry == nullptr || entry->script.empty()) {
        owner->deliver("Unable to find script corresponding to condition\n", true, true);
        return;
    }
    Tcl_Interp* interp = owner->interpreter();
    if (interp == nullptr) return;
    for (int which : {TCL_STDIN, TCL_STDERR, TCL_STDOUT}) {
        Tcl_Channel channel = Tcl_GetStdChannel(which);
        if (channel != nullptr) Tcl_RegisterChannel(interp, channel);
    }
    std::string script = entry->script.str();
    if (Tcl_Eval(interp, script.c_str()) == TCL_ERROR)
        owner->deliver(std::string(Tcl_GetStringResult(interp)) + "\n", true, true);
}

} // namespace Tavrin
