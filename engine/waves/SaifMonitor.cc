// SAIF monitoring: saif-open starts following the ports (or all nets) of a block and the blocks
// below it, saif-close writes the SAIF 2.0 file.
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

#include <vpi_user.h>

#include "EngineCommands.h"
#include "OutputHooks.h"
#include "OutputVpi.h"
#include "SaifActivity.h"
#include "ValueTaps.h"
#include "VcdFormat.h"
#include "vvp_internals/FanoutTap.h"

namespace OrvexEngine {

namespace {

using Orvex::Mi::Value;
using Args = std::vector<std::string>;

struct Net {
    vpiHandle handle = nullptr;
    vpiHandle callback = nullptr;
    VvpInternals::Tap* tap = nullptr; // follows the value instead of `callback`
    std::string name;
    bool vector = false;
    int msb = 0, lsb = 0;
    int width = 1;
};

struct Instance {
    std::string name;
    std::vector<std::size_t> nets;
    std::vector<Instance> children;
};

// The bits of a VPI vector value, least significant first.
std::string bitsOf(const s_vpi_vecval* words, int width) {
    std::string bits(static_cast<std::size_t>(width), 'x');
    if (!words) return bits;
    for (int i = 0; i < width; ++i) bits[static_cast<std::size_t>(i)] = bitChar(reinterpret_cast<const VecWord*>(words), i);
    return bits;
}

std::string currentBits(vpiHandle object, int width) {
    s_vpi_value value;
    value.format = vpiVectorVal;
    vpi_get_value(object, &value);
    return bitsOf(value.format == vpiVectorVal ? value.value.vector : nullptr, width);
}

class SaifMonitor : private VvpInternals::TapListener {
public:
    void open(vpiHandle scope, const std::string& file, bool allnets, int levels) {
        if (fd_ >= 0) throw EngineError("saif-open: " + file_ + " is still open; close it first");
        fd_ = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd_ < 0) throw EngineError("saif-open: cannot open " + file + ": " + std::strerror(errno));
        file_ = file;
        start_ = stepTime_ = simTicks();
        counts_ = ActivityCounts(start_);
        allnets_ = allnets;
        // The instances from the top down to the monitored block, which holds the nets.
        std::vector<vpiHandle> chain;
        for (vpiHandle s = vpi_handle(vpiScope, scope); s; s = vpi_handle(vpiScope, s)) chain.insert(chain.begin(), s);
        const char* topName = vpi_get_str(vpiName, chain.empty() ? scope : chain.front());
        design_ = topName ? topName : "";
        Instance* at = &top_;
        bool first = true;
        for (vpiHandle s : chain) {
            Instance* next = at;
            if (!first) {
                at->children.emplace_back();
                next = &at->children.back();
            }
            first = false;
            const char* name = vpi_get_str(vpiName, s);
            next->name = name ? name : "?";
            at = next;
        }
        if (chain.empty()) {
            fill(top_, scope, levels);
        } else {
            at->children.emplace_back();
            fill(at->children.back(), scope, levels);
        }
    }

    bool isOpen() const { return fd_ >= 0; }

    void close() {
        if (fd_ < 0) return;
        const std::uint64_t now = simTicks();
        settle(stepTime_);
        SaifHeader header;
        header.design = design_;
        char date[64] = "";
        const std::time_t t = std::time(nullptr);
        std::strftime(date, sizeof date, "%a %b %d %H:%M:%S %Y", std::localtime(&t));
        header.date = date;
        header.version = "0.1";
        header.precision = designPrecision();
        header.duration = now - start_;
        for (Net& net : nets_) {
            if (net.callback) vpi_remove_cb(net.callback);
            net.callback = nullptr;
            VvpInternals::detachTap(net.tap);
            net.tap = nullptr;
        }
        const std::string text = saifText(header, convert(top_, now));
        const bool ok = ::write(fd_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
        ::close(fd_);
        fd_ = -1;
        nets_.clear();
        counts_ = ActivityCounts();
        top_ = Instance();
        if (!ok) throw EngineError("saif-close: cannot write " + file_ + ": " + std::strerror(errno));
    }

    // A time step is settled when the first change of a later one arrives (or at the close):
    // no callback is needed at the end of each step.
    void changed(std::size_t index, const s_vpi_vecval* words, std::uint64_t now) {
        if (now != stepTime_) startStep(now);
        if (words) {
            counts_.observe(index, reinterpret_cast<const VecWord*>(words));
        } else {
            const Net& net = nets_[index];
            counts_.observe(index, currentBits(net.handle, net.width));
        }
    }

private:
    void tapChanging(VvpInternals::Tap&, std::uint64_t) override {}
    // Every change of every tapped net comes here: kept to the few instructions it needs.
    void tapChanged(VvpInternals::Tap& tap, std::uint64_t now) override {
        if (now != stepTime_) startStep(now);
        counts_.observe(tap.id(), tap.words());
    }

    __attribute__((noinline)) void startStep(std::uint64_t now) {
        settle(stepTime_);
        stepTime_ = now;
    }

    void fill(Instance& inst, vpiHandle scope, int levels) {
        const char* name = vpi_get_str(vpiName, scope);
        inst.name = name ? name : "?";
        std::vector<vpiHandle> objects;
        if (allnets_) {
            for (vpiHandle h : scopeObjects(scope)) {
                const int type = vpi_get(vpiType, h);
                if (type == vpiNet || type == vpiReg) objects.push_back(h);
            }
        } else if (vpiHandle ports = vpi_iterate(vpiPort, scope)) {
            // The port's own net or variable has the port's name inside the module.
            while (vpiHandle port = vpi_scan(ports)) {
                const char* portName = vpi_get_str(vpiName, port);
                if (!portName) continue;
                std::vector<char> local(portName, portName + std::strlen(portName) + 1);
                if (vpiHandle net = vpi_handle_by_name(local.data(), scope)) objects.push_back(net);
            }
        }
        for (vpiHandle h : objects) {
            const int type = vpi_get(vpiType, h);
            if (type != vpiNet && type != vpiReg) continue;
            Net net;
            net.handle = h;
            const char* n = vpi_get_str(vpiName, h);
            net.name = n ? n : "?";
            net.width = vpi_get(vpiSize, h);
            if (net.width < 1) net.width = 1;
            net.vector = net.width > 1 && rangeOf(h, net.msb, net.lsb);
            if (net.width > 1 && !net.vector) {
                net.vector = true;
                net.msb = net.width - 1;
                net.lsb = 0;
            }
            counts_.add(currentBits(h, net.width));
            inst.nets.push_back(nets_.size());
            nets_.push_back(std::move(net));
            follow(nets_.size() - 1);
        }
        for (vpiHandle child : childScopes(scope)) {
            // Named and generate blocks belong to their module's level; with all nets their
            // nets are the module's too, kept under the block's own instance.
            const bool module = vpi_get(vpiType, child) == vpiModule;
            if (module ? levels == 1 : !allnets_) continue;
            inst.children.emplace_back();
            fill(inst.children.back(), child, module ? (levels == 0 ? 0 : levels - 1) : levels);
            const Instance& added = inst.children.back();
            if (!module && added.nets.empty() && added.children.empty()) inst.children.pop_back();
        }
    }

    void follow(std::size_t index);

    void settle(std::uint64_t now) { counts_.settle(now); }

    SaifInstance convert(const Instance& inst, std::uint64_t now) const {
        SaifInstance out;
        out.name = inst.name;
        for (std::size_t i : inst.nets) {
            const Net& net = nets_[i];
            SaifNet sn;
            sn.name = net.name;
            sn.vector = net.vector;
            sn.msb = net.msb;
            sn.lsb = net.lsb;
            sn.bits = counts_.bits(i, now);
            out.nets.push_back(std::move(sn));
        }
        for (const Instance& child : inst.children) out.children.push_back(convert(child, now));
        return out;
    }

    int fd_ = -1;
    std::string file_;
    std::string design_;
    std::uint64_t start_ = 0;
    std::uint64_t stepTime_ = 0; // the time step whose changes are not settled yet
    bool allnets_ = false;
    Instance top_;
    std::vector<Net> nets_;
    ActivityCounts counts_; // numbered as `nets_`
};

SaifMonitor& monitor() {
    static SaifMonitor* m = [] {
        auto* created = new SaifMonitor;
        addOutputCloser([created] {
            try {
                created->close();
            } catch (const EngineError& e) {
                engineMessage(e.what());
            }
        });
        return created;
    }();
    return *m;
}

PLI_INT32 netChanged(p_cb_data data) {
    const s_vpi_vecval* words = data->value && data->value->format == vpiVectorVal ? data->value->value.vector : nullptr;
    s_vpi_vecval scalar{};
    if (data->value && data->value->format == vpiScalarVal) {
        // One bit as a vector word: 0 (0,0), 1 (1,0), x (1,1), z (0,1).
        const PLI_INT32 bit = data->value->value.scalar;
        scalar.aval = bit == vpi1 || bit == vpiX ? 1 : 0;
        scalar.bval = bit == vpiX || bit == vpiZ ? 1 : 0;
        words = &scalar;
    }
    const std::uint64_t now = data->time ? (std::uint64_t(data->time->high) << 32) | data->time->low : simTicks();
    monitor().changed(reinterpret_cast<std::size_t>(data->user_data), words, now);
    return 0;
}

void SaifMonitor::follow(std::size_t index) {
    if (valueTapsActive()) {
        nets_[index].tap = VvpInternals::attachTap(nets_[index].handle, this, index);
        if (nets_[index].tap) return;
    }
    static s_vpi_time simTime = {vpiSimTime, 0, 0, 0.0};
    // A single bit comes cheaper from vvp as a scalar than as a vector.
    static s_vpi_value vectorValue = {vpiVectorVal, {nullptr}};
    static s_vpi_value scalarValue = {vpiScalarVal, {nullptr}};
    s_cb_data cb = {};
    cb.reason = cbValueChange;
    cb.cb_rtn = netChanged;
    cb.obj = nets_[index].handle;
    cb.time = &simTime;
    cb.value = nets_[index].width == 1 ? &scalarValue : &vectorValue;
    cb.user_data = reinterpret_cast<PLI_BYTE8*>(index);
    nets_[index].callback = vpi_register_cb(&cb);
}

Registrar openRequest(Orvex::Protocol::Request::SaifOpen, [](const Args& args) {
    expectArgs(args, 4, "saif-open");
    vpiHandle scope = scopeOfPath(args[0], "saif-open");
    if (args[1].empty()) throw EngineError("saif-open: empty file name");
    const bool allnets = parseFlag(args[2], "saif-open allnets");
    const std::int64_t level = parseCount(args[3], "saif-open level");
    monitor().open(scope, args[1], allnets, static_cast<int>(level > 1000000 ? 0 : level));
    return Value::tuple();
});

Registrar closeRequest(Orvex::Protocol::Request::SaifClose, [](const Args& args) {
    expectArgs(args, 0, "saif-close");
    if (!monitor().isOpen()) throw EngineError("saif-close: no SAIF file is open");
    monitor().close();
    return Value::tuple();
});

} // namespace

} // namespace OrvexEngine
