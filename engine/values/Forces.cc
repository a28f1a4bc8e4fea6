// Forces: force-add drives a whole signal through a timed sequence of values (vpiForceFlag),
// optionally repeated every `repeat` femtoseconds and released after `cancel` femtoseconds;
// force-remove releases it (vpiReleaseFlag). Times are offsets from the request's time. Forces
// belong to the simulation and end with a restart.
#include <map>
#include <memory>
#include <set>

#include "Callbacks.h"
#include "EngineCommands.h"
#include "EngineCore.h"
#include "Numbers.h"
#include "ObjectValues.h"

namespace OrvexEngine {

namespace {
struct Step {
    std::string text;
    Radix radix;
    std::uint64_t offset; // ticks from the start of a cycle
};

struct Force {
    ValueTarget target;
    std::vector<Step> steps;
    std::uint64_t period = 0; // ticks; 0 for no repetition
    std::set<int> delays;     // pending callbacks, cancelled on removal
};

std::map<std::string, std::unique_ptr<Force>> forces; // by path

void schedule(Force& force, std::uint64_t ticks, std::function<void()> fn) {
    auto holder = std::make_shared<int>(0);
    Force* f = &force;
    *holder = afterDelay(ticks, [f, holder, fn] {
        f->delays.erase(*holder);
        fn();
    });
    force.delays.insert(*holder);
}

void apply(Force& force, std::size_t index) {
    const Step& step = force.steps[index];
    writeValue(force.target, step.text, step.radix, vpiForceFlag);
    if (force.period > 0) schedule(force, force.period, [&force, index] { apply(force, index); });
}

void release(Force& force) {
    for (int id : force.delays) cancelDelay(id);
    force.delays.clear();
    s_vpi_value v{};
    v.format = vpiBinStrVal;
    std::string bits(static_cast<std::size_t>(std::max(1, vpi_get(vpiSize, force.target.object))), '0');
    v.value.str = const_cast<PLI_BYTE8*>(bits.c_str());
    if (isReal(force.target.object)) {
        v.format = vpiRealVal;
        v.value.real = 0;
    }
    vpiHandle object = force.target.object;
    whenWritable([object, v, bits] {
        s_vpi_value released = v;
        if (released.format == vpiBinStrVal) released.value.str = const_cast<PLI_BYTE8*>(bits.c_str());
        vpi_put_value(object, &released, nullptr, vpiReleaseFlag);
    });
}

void removeForce(const std::string& path) {
    auto found = forces.find(path);
    if (found == forces.end()) return;
    release(*found->second);
    forces.erase(found);
}

Orvex::Mi::Value forceAdd(const std::vector<std::string>& args) {
    if (args.size() < 6 || (args.size() - 3) % 3 != 0)
        throw EngineError("force-add: expected path, repeat, cancel and (value, time, radix) triples, got " +
                          std::to_string(args.size()) + " argument(s)");
    ValueTarget target = resolveValuePath(args[0]);
    if (target.sliced || vpi_get(vpiType, target.object) == vpiMemoryWord || isMemory(target.object))
        throw EngineError("force-add: only whole signals can be forced: \"" + args[0] + "\"");
    int type = vpi_get(vpiType, target.object);
    if (type == vpiParameter || type == vpiNamedEvent) throw EngineError("cannot force \"" + args[0] + "\"");
    std::int64_t repeat = parseInteger(args[1], "repeat time");
    std::int64_t cancel = parseInteger(args[2], "cancel time");
    auto force = std::make_unique<Force>();
    force->target = target;
    for (std::size_t i = 3; i < args.size(); i += 3) {
        Step step{args[i], parseRadix(args[i + 2]), 0};
        std::int64_t at = parseInteger(args[i + 1], "time");
        if (at < 0) throw EngineError("bad time \"" + args[i + 1] + "\"");
        step.offset = fsToTicks(at);
        // Check the value text now, so a bad one is refused before anything is forced.
        if (!isReal(target.object)) valueBits(target, step.text, step.radix);
        force->steps.push_back(step);
    }
    if (repeat > 0) {
        force->period = fsToTicks(repeat);
        if (force->period == 0) throw EngineError("bad repeat time \"" + args[1] + "\" (below the time precision)");
    }
    removeForce(args[0]);
    Force& f = *force;
    forces[args[0]] = std::move(force);
    for (std::size_t i = 0; i < f.steps.size(); ++i) {
        if (f.steps[i].offset == 0) {
            std::string path = args[0];
            whenWritable([path, i] {
                auto found = forces.find(path);
                if (found != forces.end()) apply(*found->second, i);
            });
        } else schedule(f, f.steps[i].offset, [&f, i] { apply(f, i); });
    }
    if (cancel >= 0) {
        std::string path = args[0];
        schedule(f, fsToTicks(cancel), [path] { removeForce(path); });
    }
    return Orvex::Mi::Value::tuple();
}

Orvex::Mi::Value forceRemove(const std::vector<std::string>& args) {
    expectArgs(args, 1, "force-remove");
    resolveValuePath(args[0]); // an unknown path is an error even without a force on it
    removeForce(args[0]);
    return Orvex::Mi::Value::tuple();
}

Registrar addRequest(Orvex::Protocol::Request::ForceAdd, forceAdd);
Registrar removeRequest(Orvex::Protocol::Request::ForceRemove, forceRemove);
} // namespace

} // namespace OrvexEngine
