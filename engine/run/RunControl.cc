// The flow requests: run, run-all, step, stop, status, restart, quit and exit.
//
// A timed run ends after the whole time step at its end (see afterTimeStep): everything the
// design prints for that time is out before *stopped. Once the simulation has ended ($finish,
// $fatal, no more events), runs are refused until a restart.
#include <vpi_user.h>

#include "Callbacks.h"
#include "EngineCommands.h"
#include "EngineCore.h"
#include "Numbers.h"
#include "RunProgress.h"
#include "Session.h"
#include "Snapshot.h"
#include "StatementHook.h"
#include "Wire.h"

namespace OrvexEngine {

namespace {
int runDelay = 0;

void startRun(RunKind kind) {
    if (simulationEnded) throw EngineError("the simulation has ended; restart to run it again");
    cancelDelay(runDelay);
    runDelay = 0;
    beginRun(kind);
}

Orvex::Mi::Value run(const std::vector<std::string>& args) {
    expectArgs(args, 1, "run");
    std::int64_t fs = parseInteger(args[0], "time");
    if (fs < 0) throw EngineError("bad time \"" + args[0] + "\" (negative)");
    startRun(RunKind::Timed);
    setRunTarget(currentTimeFs() + fs);
    unsigned generation = runGeneration();
    std::uint64_t ticks = fsToTicks(fs);
    if (ticks == 0) endRunAfterTimeStep(generation);
    else runDelay = afterDelay(ticks, [generation] {
        runDelay = 0;
        endRunAfterTimeStep(generation);
    });
    return Orvex::Mi::Value::tuple();
}

Orvex::Mi::Value runAll(const std::vector<std::string>& args) {
    expectArgs(args, 0, "run-all");
    startRun(RunKind::All);
    return Orvex::Mi::Value::tuple();
}

Orvex::Mi::Value step(const std::vector<std::string>& args) {
    expectArgs(args, 0, "step");
    requireStatementHook("step");
    startRun(RunKind::Step);
    return Orvex::Mi::Value::tuple();
}

Orvex::Mi::Value stop(const std::vector<std::string>& args) {
    expectArgs(args, 0, "stop");
    if (Wire::stopsPending > 0) --Wire::stopsPending;
    refreshStatementHook();
    return Orvex::Mi::Value::tuple();
}

Orvex::Mi::Value status(const std::vector<std::string>& args) {
    expectArgs(args, 0, "status");
    // Requests are served only while the simulation is paused, so the engine is always ready.
    return Orvex::Mi::Value::tuple().add("code", 1).add("time", currentTimeFs());
}

Orvex::Mi::Value restart(const std::vector<std::string>& args) {
    expectArgs(args, 0, "restart");
    afterResult([] { restartFromSnapshot(); });
    return Orvex::Mi::Value::tuple();
}

Orvex::Mi::Value quit(const std::vector<std::string>& args) {
    expectArgs(args, 2, "quit");
    parseBoolean(args[0], "force");
    parseBoolean(args[1], "exit");
    afterResult([] { endEngine(0); });
    return Orvex::Mi::Value::tuple().add("accepted", 1);
}

Orvex::Mi::Value exitEngine(const std::vector<std::string>& args) {
    expectArgs(args, 0, "exit");
    afterResult([] { endEngine(0); });
    return Orvex::Mi::Value::tuple();
}

Registrar runRequest("run", run);
Registrar runAllRequest("run-all", runAll);
Registrar stepRequest("step", step);
Registrar stopRequest("stop", stop);
Registrar statusRequest("status", status);
Registrar restartRequest("restart", restart);
Registrar quitRequest("quit", quit);
Registrar exitRequest("exit", exitEngine);
} // namespace

} // namespace OrvexEngine
