// Engine events: stop lines, the end of blocking requests, met conditions and the engine's end.
#include "TclEventHandler.h"

#include <chrono>
#include <string>

#include "TclControlImpl.h"
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
    if (owner->logStream) text += "  Please review the Orvex log (" + owner->logFileName + ") for details.";
    return text + "\n";
}

TclEventHandler::TclEventHandler(TclControlImpl* control, bool hang)
    : handleEngineHang(hang), owner(control) {}

void TclEventHandler::handleEvent(const EngineEvent& event) {
    switch (event.kind) {
    case EngineReadyEvent: {
        std::lock_guard<std::mutex> guard(stateLock);
        engineReady = true;
        if (engineStarting) {
            engineStarting = false;
            stateChanged.notify_all();
        }
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
    std::lock_guard<std::mutex> guard(stateLock);
    const std::string& name = event.name.str();
    // Every condition met in the stop's time step runs its script, in id order.
    std::vector<int> met;
    for (int id : event.conditionIds)
        if (id > 0) met.push_back(id);
    if (met.empty() && event.conditionId > 0) met.push_back(event.conditionId);
    if (!met.empty()) owner->metConditionIds = met;
    if (name == "breakpoint-hit" || name == "end-stepping") {
        printStopLine(event, "");
    } else if (name == "condition-met") {
        if (!met.empty()) printStopLine(event, conditionsText(met));
    } else if (name == "vlog-finish") {
        printStopLine(event, event.status != 0 ? "$fatal" : "");
        if (event.status != 0 && owner->exitStatus == 0) owner->exitStatus = event.status;
        if (owner->isStandardConsole()) quitAfterRequest = true;
    } else if (name == "vlog-stop") {
        printStopLine(event, "$stop");
    } else if (name == "user-stop") {
        printStopLine(event, "Stop requested");
    } else if (name == "run-complete" && event.ended) {
        printStopLine(event, "No more events");
    }
    if (requestBusy) {
        requestBusy = false;
        stateChanged.notify_all();
    }
}

void TclEventHandler::handleTermination(const EngineEvent& event) {
    std::lock_guard<std::mutex> guard(stateLock);
    engineReady = false;
    engineTerminated = true;
    if (!event.expected) {
        endUnexpected = true;
        endReported = false;
        endCause = event.text.str();
        owner->engineLost = true;
    }
    if (engineStarting) {
        engineStarting = false;
    } else if (!requestBusy) {
        // Nothing waits for the engine: the end is told now, and the shell goes on without it.
        reportEndLocked();
    }
    // A waiting request reports the end itself, as the failure of its command.
    requestBusy = false;
    stateChanged.notify_all();
}

void TclEventHandler::reportEndLocked() {
    if (!endUnexpected || endReported) return;
    endReported = true;
    std::string cause = endCause;
    if (!cause.empty() && cause.back() != '\n') cause += '\n';
    owner->deliver(cause + unexpectedEndText(), true, true);
}

void TclEventHandler::awaitEndReport() {
    std::unique_lock<std::mutex> lock(stateLock);
    stateChanged.wait_for(lock, EndEventWait, [this] { return engineTerminated; });
    reportEndLocked();
}

void TclEventHandler::handleHang() {
    owner->deliver("Simulation stopped responding. Terminating simulation.\n", true, true);
    if (owner->simulationControl != nullptr) {
        try {
            owner->simulationControl->terminate();
        } catch (const Orvex::Exception&) {
            // Ending a hung engine is best effort.
        }
    }
    // Release a command that waits on the hung engine; the engine is treated as ended.
    std::lock_guard<std::mutex> guard(stateLock);
    engineReady = false;
    engineTerminated = true;
    if (requestBusy || engineStarting) {
        requestBusy = false;
        engineStarting = false;
        stateChanged.notify_all();
    }
}

bool TclEventHandler::request(RequestKind kind, std::int64_t time) {
    ISimulationControl* engine = owner->simulationControl;
    if (engine == nullptr) return true;
    try {
        std::unique_lock<std::mutex> lock(stateLock);
        requestBusy = true;
        try {
            switch (kind) {
            case RunForTime: engine->run(time); break;
            case RunAll: engine->runAll(); break;
            case Restart: engine->restart(); break;
            case Step: engine->step(); break;
            }
        } catch (const CommandErrorException& e) {
            requestBusy = false;
            // An engine that ended before taking the request: its end is the reason.
            if (e.getDescription() == std::string(NotRunning) && !engineTerminated) {
                stateChanged.wait_for(lock, EndEventWait, [this] { return engineTerminated; });
            }
            if (!engineTerminated || !endUnexpected || endReported) throw;
        } catch (...) {
            requestBusy = false;
            throw;
        }
        stateChanged.wait(lock, [this] { return !requestBusy; });
        if (engineTerminated && !endUnexpected) {
            // Ended on request (a stop the user turned into an end) while this command waited.
            owner->deliver(unexpectedEndText(), true, true);
            lock.unlock();
            ORVEX_THROW(CommandErrorException, "");
        }
        if (engineTerminated && endUnexpected && !endReported) {
            reportEndLocked();
            lock.unlock();
            // The end has been told; the command fails without a further message.
            ORVEX_THROW(CommandErrorException, "");
        }
    } catch (const Orvex::InterruptException& e) {
        owner->reportEngineFailure(e);
        return false;
    }
    return true;
}

void TclEventHandler::postRequest() {
    bool quitNow = false;
    std::vector<int> conditionIds;
    {
        std::lock_guard<std::mutex> guard(stateLock);
        if (quitAfterRequest) {
            quitAfterRequest = false;
            quitNow = true;
        } else {
            // Taken before the scripts run: a script that runs the simulation again must not
            // find its own condition still pending after that inner run.
            conditionIds.swap(owner->metConditionIds);
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
    TclCondition*& entry = owner->conditionScripts[conditionId];
    if (entry == nullptr || entry->script.empty()) {
        owner->deliver("Unable to find script corresponding to condition\n", true, true);
        return;
    }
    Tcl_Interp* interp = owner->interp;
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
