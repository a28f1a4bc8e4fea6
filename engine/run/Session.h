// The paused engine: serving requests inside a VPI callback on the simulation thread, and the
// state of the current run that the pause points (run end, statements, conditions, $finish,
// end of simulation) share.
#pragma once

#include <functional>
#include <string>

#include "Mi.h"

namespace OrvexEngine {

/// What a blocking request started.
enum class RunKind { None, Timed, All, Step };

/// Serves requests until one resumes the simulation. No event is sent.
void serveRequests();
/// Stops the running simulation here: sends *stopped with the reason, the current time and
/// `fields`, then serves requests until one resumes it.
void pauseWith(const std::string& reason, Orvex::Mi::Value fields = Orvex::Mi::Value::tuple());

/// Pauses at the end of the current time step (after everything it prints) for the end of the
/// timed run of `generation`; a later run or pause makes it void.
void endRunAfterTimeStep(unsigned generation);
/// Notes a condition that became true in this time step during a run: the run pauses at the end
/// of the time step with condition-met and every id met there, in id order.
void conditionMet(int id);
/// True once the design asked to finish ($finish, $fatal): the rest of the time step runs, then
/// the simulation ends; no pause is taken at the end of that time step.
bool finishPending();
/// The end of simulation: final blocks have run; reports the end and serves requests for good.
[[noreturn]] void simulationEnd();

/// True while a run, run-all or step is in progress (between its ^done and its *stopped).
bool isRunning();
RunKind runKind();
/// Marks the run started by the request being served; the simulation resumes after its ^done.
void beginRun(RunKind kind);
/// Bumped by every run and pause; callbacks of an older run compare it and do nothing.
unsigned runGeneration();

/// Runs `action` after the result of the request being served has been sent.
void afterResult(std::function<void()> action);

/// Runs the routines given to atPause (also before the event that ends a restart).
void runPauseHooks();

/// Serves one request line without sending its result (restoring state after a restart).
void replayRequest(const std::string& line);

/// Set once the design called $finish; finishPlace holds the call's file and line.
extern bool finishCalled;
extern Orvex::Mi::Value finishPlace;
/// Where the design calls $fatal, when it does so in one place only (file, line; else empty).
extern Orvex::Mi::Value fatalPlace;
/// Set once the simulation ended (cbEndOfSimulation); runs are refused afterwards.
extern bool simulationEnded;

/// Ends this engine process cleanly: runs the exit hooks, flushes the design's output.
[[noreturn]] void endEngine(int status);

} // namespace OrvexEngine
