// Choosing the value-following mechanism (see ValueTaps.h).
#include "ValueTaps.h"

#include "VvpInternalsSwitch.h"
#include "vvp_internals/FanoutTap.h"

namespace OrvexEngine {

namespace {
std::string mechanism = "vpi";
bool active = false;
} // namespace

void startValueTaps() {
    const std::string refused = vvpInternalsRefusal();
    if (!refused.empty()) {
        mechanism = "vpi: " + refused;
        return;
    }
    std::string why;
    if (!VvpInternals::startTaps(why)) {
        mechanism = "vpi: " + why;
        return;
    }
    mechanism = "fanout";
    active = true;
}

const std::string& valueMechanism() { return mechanism; }
bool valueTapsActive() { return active; }

} // namespace OrvexEngine
