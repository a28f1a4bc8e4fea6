// VPI callbacks carrying C++ functions: delays, end-of-time-step runs and value-change watches.
#include "Callbacks.h"

#include <map>
#include <memory>
#include <vector>

#include "EngineCommands.h"
#include "EngineCore.h"

namespace OrvexEngine {

namespace {
struct Pending {
    int id;
    vpiHandle callback = nullptr;
    std::function<void()> fn;
};
std::map<int, std::unique_ptr<Pending>> delays;
std::map<int, std::unique_ptr<Pending>> watches;
int nextId = 1;

std::vector<std::function<void()>> endOfStep;
bool endOfStepScheduled = false;

// The very end of a time step: a read-only synch callback that registers itself once more, so
// its second run comes after every read-only callback the time step queued ($strobe, $monitor).
std::vector<std::function<void()>> afterStep;
bool afterStepScheduled = false;

PLI_INT32 delayFired(p_cb_data data) {
    int id = static_cast<int>(reinterpret_cast<std::intptr_t>(data->user_data));
    auto found = delays.find(id);
    if (found == delays.end()) return 0;
    std::function<void()> fn = std::move(found->second->fn);
    delays.erase(found); // vvp frees a fired delay callback itself
    fn();
    return 0;
}

PLI_INT32 endOfStepFired(p_cb_data) {
    endOfStepScheduled = false;
    auto due = std::move(endOfStep);
    endOfStep.clear();
    for (auto& fn : due) fn();
    return 0;
}

PLI_INT32 afterStepFired(p_cb_data data);

PLI_INT32 valueChanged(p_cb_data data) {
    int id = static_cast<int>(reinterpret_cast<std::intptr_t>(data->user_data));
    auto found = watches.find(id);
    if (found != watches.end()) {
        auto fn = found->second->fn; // a copy: the watch may be removed by its own function
        fn();
    }
    return 0;
}

vpiHandle registerCallback(int reason, vpiHandle object, std::uint64_t ticks, PLI_INT32 (*routine)(p_cb_data),
                           int id) {
    static s_vpi_time time;
    static s_vpi_value value;
    time = s_vpi_time{};
    time.type = reason == cbValueChange ? vpiSuppressTime : vpiSimTime;
    time.high = static_cast<PLI_UINT32>(ticks >> 32);
    time.low = static_cast<PLI_UINT32>(ticks & 0xffffffffu);
    value = s_vpi_value{};
    value.format = vpiSuppressVal;
    s_cb_data cb{};
    cb.reason = reason;
    cb.cb_rtn = routine;
    cb.obj = object;
    cb.time = &time;
    cb.value = &value;
    cb.user_data = reinterpret_cast<PLI_BYTE8*>(static_cast<std::intptr_t>(id));
    return vpi_register_cb(&cb);
}

PLI_INT32 afterStepFired(p_cb_data data) {
    if (data->user_data == nullptr) {
        registerCallback(cbReadOnlySynch, nullptr, 0, afterStepFired, 1);
        return 0;
    }
    afterStepScheduled = false;
    auto due = std::move(afterStep);
    afterStep.clear();
    for (auto& fn : due) fn();
    return 0;
}
} // namespace

int afterDelay(std::uint64_t ticks, std::function<void()> fn) {
    int id = nextId++;
    auto pending = std::make_unique<Pending>();
    pending->id = id;
    pending->fn = std::move(fn);
    Pending* raw = pending.get();
    delays[id] = std::move(pending);
    raw->callback = registerCallback(cbAfterDelay, nullptr, ticks, delayFired, id);
    return id;
}

void cancelDelay(int id) {
    auto found = delays.find(id);
    if (found == delays.end()) return;
    if (found->second->callback) vpi_remove_cb(found->second->callback);
    delays.erase(found);
}

bool atCurrentTime(int reason, PLI_INT32 (*routine)(p_cb_data), void* userData) {
    s_vpi_time now{};
    now.type = vpiSimTime;
    s_cb_data cb{};
    cb.reason = reason;
    cb.cb_rtn = routine;
    cb.time = &now;
    cb.user_data = static_cast<PLI_BYTE8*>(userData);
    vpiHandle handle = vpi_register_cb(&cb);
    if (!handle) return false;
    vpi_free_object(handle); // vvp keeps the callback until it has run
    return true;
}

void atEndOfTimeStep(std::function<void()> fn) {
    endOfStep.push_back(std::move(fn));
    if (endOfStepScheduled) return;
    endOfStepScheduled = true;
    registerCallback(cbReadWriteSynch, nullptr, 0, endOfStepFired, 0);
}

void afterTimeStep(std::function<void()> fn) {
    afterStep.push_back(std::move(fn));
    if (afterStepScheduled) return;
    afterStepScheduled = true;
    registerCallback(cbReadOnlySynch, nullptr, 0, afterStepFired, 0);
}

int watchValueChange(vpiHandle object, std::function<void()> fn) {
    int id = nextId++;
    auto watch = std::make_unique<Pending>();
    watch->id = id;
    watch->fn = std::move(fn);
    Pending* raw = watch.get();
    watches[id] = std::move(watch);
    raw->callback = registerCallback(cbValueChange, object, 0, valueChanged, id);
    if (!raw->callback) {
        watches.erase(id);
        throw EngineError("cannot watch value changes of \"" + pathOf(object) + "\"");
    }
    return id;
}

void unwatch(int id) {
    auto found = watches.find(id);
    if (found == watches.end()) return;
    if (found->second->callback) vpi_remove_cb(found->second->callback);
    watches.erase(found);
}

} // namespace OrvexEngine
