// Loading the engine into vvp: our $finish and $stop (registered before vvp's own, so ours are
// used), the statement hook, and the start and end of simulation, where the engine serves.
#include <malloc.h>

#include <cstdlib>
#include <string>

#include <vpi_user.h>

#include "DesignInfo.h"
#include "EngineCore.h"
#include "Session.h"
#include "Snapshot.h"
#include "StatementHook.h"
#include "StatementSites.h"
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
    Orvex::Mi::Value place = callPlace();
    finishCalled = true;
    pauseWith("vlog-finish", place);
    return 0;
}

PLI_INT32 stopCalled(PLI_BYTE8*) {
    pauseWith("vlog-stop", callPlace());
    return 0;
}

PLI_INT32 startOfSimulation(p_cb_data) {
    startStatementMechanism();
    ChildStart start = keepSnapshot();
    Wire::startReader(std::move(start.pending), std::move(start.partial));
    if (start.generation == 0) {
        sendEvent("ready", Orvex::Mi::Value::tuple()
                               .add("version", "1")
                               .add("resolution", precisionExponent())
                               .add("statements", statementMechanism()));
    } else {
        for (const auto& line : start.replay) replayRequest(line);
        sendEvent("stopped", Orvex::Mi::Value::tuple().add("reason", "restart-complete").add("time", "0"));
    }
    serveRequests();
    return 0;
}

PLI_INT32 endOfSimulation(p_cb_data) {
    simulationEnded = true;
    pauseWith("run-complete");
    // Nothing resumes an ended simulation; only quit, exit or restart leave the loop above.
    for (;;) serveRequests();
    return 0;
}

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

extern "C" {
void (*vlog_startup_routines[])() = {OrvexEngine::startEngine, nullptr};
}
