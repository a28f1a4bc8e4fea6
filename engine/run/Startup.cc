// Loading the engine into vvp: our $finish and $stop (registered before vvp's own, so ours are
// used), the statement hook, and the start and end of simulation, where the engine serves.
//
// $finish ends the simulation as vvp's own does: the rest of the time step runs, final blocks
// run, and the end is reported from the end-of-simulation callback. vvp's $fatal (which the
// engine cannot replace without redoing its message formatting) asks vvp to finish directly;
// for a design that calls it the engine looks at every time step's end whether a finish is
// pending, so the end can say it was a $fatal.
#include <malloc.h>

#include <cstdlib>
#include <string>

#include <vpi_user.h>

#include "CompiledDesign.h"
#include "DesignInfo.h"
#include "Callbacks.h"
#include "EngineCore.h"
#include "Session.h"
#include "Snapshot.h"
#include "StatementHook.h"
#include "StatementSites.h"
#include "ValueTaps.h"
#include "Wire.h"

namespace OrvexEngine {

namespace {
Orvex::Mi::Value callPlace() {
    Orvex::Mi::Value place = Orvex::Mi::Value::tuple();
    vpiHandle call = vpi_handle(vpiSysTfCall, nullptr);
    if (!call) return place;
    const char* file = vpi_get_str(vpiFile, call);
    std::string fileName = file ? file : "";
    place.add("file", fileName).add("line", static_cast<int>(vpi_get(vpiLineNo, call)));
    return place;
}

PLI_INT32 finishCalled_(PLI_BYTE8*) {
    if (!finishCalled) finishPlace = callPlace();
    finishCalled = true;
    vpi_control(vpiFinish, 0);
    return 0;
}

// ---- $fatal ----------------------------------------------------------------------------------

// After each time step: is a finish pending? Then, at the next time advance, ask again for that
// time step. (A callback for the next advance registered from inside one would run at once:
// vvp runs that list until it is empty.)
PLI_INT32 timeStepDone(p_cb_data);

PLI_INT32 nextTimeStep(p_cb_data) {
    atCurrentTime(cbReadOnlySynch, timeStepDone);
    return 0;
}

PLI_INT32 timeStepDone(p_cb_data) {
    if (!finishPending()) atCurrentTime(cbNextSimTime, nextTimeStep);
    return 0;
}

void watchForFatal() {
    const CompiledDesign& design = compiledDesign();
    const auto& calls = design.fatalCalls;
    if (calls.empty()) return;
    if (calls.size() == 1 && calls[0].first >= 0 && calls[0].first < static_cast<int>(design.files.size()))
        fatalPlace = Orvex::Mi::Value::tuple().add("file", design.files[calls[0].first]).add("line", calls[0].second);
    atCurrentTime(cbReadOnlySynch, timeStepDone);
}

PLI_INT32 stopCalled(PLI_BYTE8*) {
    pauseWith("vlog-stop", callPlace());
    return 0;
}

PLI_INT32 startOfSimulation(p_cb_data) {
    startStatementMechanism();
    startValueTaps();
    ChildStart start = keepSnapshot();
    Wire::startReader(std::move(start.pending), std::move(start.partial));
    watchForFatal();
    if (start.generation == 0) {
        sendEvent("ready", Orvex::Mi::Value::tuple()
                               .add("version", "1")
                               .add("resolution", precisionExponent())
                               .add("statements", statementMechanism())
                               .add("values", valueMechanism()));
    } else {
        for (const auto& line : start.replay) replayRequest(line);
        runPauseHooks();
        sendEvent("stopped", Orvex::Mi::Value::tuple().add("reason", "restart-complete").add("time", "0"));
    }
    serveRequests();
    return 0;
}

PLI_INT32 endOfSimulation(p_cb_data) { simulationEnd(); }

void registerTask(const char* name, PLI_INT32 (*calltf)(PLI_BYTE8*)) {
    s_vpi_systf_data task{};
    task.type = vpiSysTask;
    task.tfname = const_cast<PLI_BYTE8*>(name);
    task.calltf = calltf;
    vpi_register_systf(&task);
}

void registerSimulationCallback(int reason, PLI_INT32 (*routine)(p_cb_data)) {
    s_cb_data cb{};
    cb.reason = reason;
    cb.cb_rtn = routine;
    vpi_register_cb(&cb);
}

void startEngine() {
    // Without the protocol descriptors the module stays out of the way: vvp runs as usual.
    if (!Wire::openFromEnvironment()) return;
    // Threads switching at every pause made glibc trim the heap top and grow it again each
    // time; a high trim threshold and a padded top keep the heap where it is.
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    mallopt(M_TOP_PAD, 1 << 20);
    registerTask("$finish", finishCalled_);
    registerTask("$stop", stopCalled);
    installStatementHook();
    if (const char* info = std::getenv("ORVEX_DESIGN_INFO")) loadDesignInfo(info);
    registerSimulationCallback(cbStartOfSimulation, startOfSimulation);
    registerSimulationCallback(cbEndOfSimulation, endOfSimulation);
}
} // namespace

} // namespace OrvexEngine

// The module's one entry point: everything else in it is hidden (see CMakeLists.txt).
extern "C" {
__attribute__((visibility("default"))) void (*vlog_startup_routines[])() = {OrvexEngine::startEngine, nullptr};
}
