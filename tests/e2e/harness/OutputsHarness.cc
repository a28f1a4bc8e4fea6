// A VPI module for end-to-end tests of the engine's output requests without the protocol server:
// the design itself sends requests with $orvex_request("vcd-vars", "/tb", "0") and each result
// is printed to standard output as the server would send it ("^done,..." or "^error,msg=...").
#include <cstdlib>
#include <string>
#include <vector>

#include <vpi_user.h>

#include "EngineCommands.h"
#include "Mi.h"
#include "ValueTaps.h"

namespace {

PLI_INT32 request(PLI_BYTE8*) {
    vpiHandle call = vpi_handle(vpiSysTfCall, nullptr);
    vpiHandle it = vpi_iterate(vpiArgument, call);
    std::vector<std::string> words;
    while (vpiHandle arg = it ? vpi_scan(it) : nullptr) {
        s_vpi_value v;
        v.format = vpiStringVal;
        vpi_get_value(arg, &v);
        words.push_back(v.value.str ? v.value.str : "");
    }
    if (words.empty()) return 0;
    const std::string command = words.front();
    words.erase(words.begin());
    const OrvexEngine::Handler* handler = OrvexEngine::findHandler(command);
    std::string line;
    if (!handler) {
        line = "^error,msg=" + Orvex::Mi::quote("unknown request " + command);
    } else {
        try {
            const Orvex::Mi::Value result = (*handler)(words);
            line = "^done";
            if (!result.fields.empty()) line += "," + Orvex::Mi::encodeFields(result);
        } catch (const std::exception& e) {
            line = "^error,msg=" + Orvex::Mi::quote(e.what());
        }
    }
    vpi_printf("%s %s\n", command.c_str(), line.c_str());
    return 0;
}

PLI_INT32 simulationStarts(p_cb_data) {
    OrvexEngine::startValueTaps();
    // Asked for by the tests that compare the mechanisms; the others keep their exact output.
    if (std::getenv("ORVEX_TEST_SHOW_VALUES")) vpi_printf("values %s\n", OrvexEngine::valueMechanism().c_str());
    return 0;
}

void registerRequest() {
    s_vpi_systf_data tf = {};
    tf.type = vpiSysTask;
    tf.tfname = const_cast<PLI_BYTE8*>("$orvex_request");
    tf.calltf = request;
    vpi_register_systf(&tf);
    s_cb_data cb = {};
    cb.reason = cbStartOfSimulation;
    cb.cb_rtn = simulationStarts;
    if (vpiHandle h = vpi_register_cb(&cb)) vpi_free_object(h);
}

} // namespace

extern "C" {
void (*vlog_startup_routines[])() = {registerRequest, nullptr};
}
