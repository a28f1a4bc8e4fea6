// Closing the outputs at the end of the simulation and of the engine.
#include "OutputHooks.h"

#include <vector>

#include <vpi_user.h>

namespace OrvexEngine {

namespace {

std::vector<std::function<void()>>& closers() {
    static std::vector<std::function<void()>> list;
    return list;
}

PLI_INT32 simulationEnded(p_cb_data) {
    flushOutputs();
    return 0;
}

} // namespace

void addOutputCloser(std::function<void()> closer) {
    if (closers().empty()) {
        s_cb_data cb = {};
        cb.reason = cbEndOfSimulation;
        cb.cb_rtn = simulationEnded;
        if (vpiHandle h = vpi_register_cb(&cb)) vpi_free_object(h);
        atEngineExit(flushOutputs);
    }
    closers().push_back(std::move(closer));
}

void flushOutputs() {
    for (auto& closer : closers()) closer();
}

} // namespace OrvexEngine
