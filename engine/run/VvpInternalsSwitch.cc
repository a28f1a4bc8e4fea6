// The switch and version check in front of every use of vvp's internals.
#include "VvpInternalsSwitch.h"

#include <cstdlib>
#include <cstring>

#include <vpi_user.h>

namespace OrvexEngine {

namespace {
bool knownVvp() {
    s_vpi_vlog_info info{};
    if (!vpi_get_vlog_info(&info) || !info.product || !info.version) return false;
    return std::strcmp(info.product, "Icarus Verilog") == 0 && std::strncmp(info.version, "11.0 ", 5) == 0;
}
} // namespace

std::string vvpInternalsRefusal() {
    const char* setting = std::getenv("ORVEX_VVP_INTERNALS");
    if (setting && std::strcmp(setting, "off") == 0) return "internals switched off";
    if (!knownVvp()) return "not vvp 11.0";
    return "";
}

} // namespace OrvexEngine
