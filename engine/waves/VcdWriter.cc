// Value Change Dump writer: selection, callbacks, header and value sections.
#include "VcdWriter.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

#include "Callbacks.h"
#include "EngineCommands.h"
#include "OutputHooks.h"
#include "OutputVpi.h"
#include "ValueTaps.h"
#include "VcdFormat.h"

namespace OrvexEngine {

static_assert(sizeof(VecWord) == sizeof(s_vpi_vecval), "VecWord must match s_vpi_vecval");

namespace {

constexpr std::size_t DrainSize = 1 << 18;

// vvp's own property (not in vpi_user.h): the identity of the net a signal handle reads. Signals
// joined through ports share it and then share one identifier code and one callback.
constexpr PLI_INT32 NexusIdProperty = 0x1000000;

enum class VarKind { Scalar, Vector, Real, Event, Constant };

const char* netTypeName(vpiHandle net) {
    switch (vpi_get(vpiNetType, net)) {
    case vpiWand: return "wand";
    case vpiWor: return "wor";
    case vpiTri: return "tri";
    case vpiTri0: return "tri0";
    case vpiTri1: return "tri1";
    case vpiTriAnd: return "triand";
    case vpiTriOr: return "trior";
    case vpiTriReg: return "trireg";
    case vpiSupply0: return "supply0";
    case vpiSupply1: return "supply1";
    default: return "wire";
    }
}

PLI_INT32 valueChanged(p_cb_data data);
PLI_INT32 stepEnded(p_cb_data data);

} // namespace

struct VcdWriter::Var {
    VcdWriter* owner = nullptr;
    std::size_t index = 0;
    vpiHandle handle = nullptr;
    vpiHandle callback = nullptr;
    VvpInternals::Tap* tap = nullptr; // follows the value instead of `callback`
    std::vector<std::pair<std::string, const char*>> scopes; // from the top down
    std::string reference;
    const char* type = "wire";
    int width = 1;
    VarKind kind = VarKind::Scalar;
    bool realConstant = false;
    std::string code;
    bool alias = false; // shares the code and value changes of an earlier variable
    std::string initial; // value when selected (streaming, before the header is written)
    bool dirty = false;
    bool active = true;
};

struct VcdWriter::ScopeNode {
    std::string name;
    const char* kind = "module";
    std::vector<const Var*> vars;
    std::vector<std::unique_ptr<ScopeNode>> children;
};

namespace {

PLI_INT32 valueChanged(p_cb_data data) {
    const auto* var = reinterpret_cast<const VcdWriter::Var*>(data->user_data);
    var->owner->markChanged(var->index);
    return 0;
}

PLI_INT32 stepEnded(p_cb_data data) {
    reinterpret_cast<VcdWriter*>(data->user_data)->endOfTimeStep();
    return 0;
}

} // namespace

VcdWriter::VcdWriter(const char* what, Mode mode, std::string fileName)
    : what_(what), mode_(mode), fileName_(std::move(fileName)) {
    buffer_.reserve(DrainSize + 4096);
}

VcdWriter::~VcdWriter() {
    // No VPI here: the simulator may already be gone. Only what is buffered is saved.
    for (auto& var : vars_) VvpInternals::detachTap(var->tap);
    if (fd_ >= 0) {
        drain();
        ::close(fd_);
    }
}

void VcdWriter::fail(const std::string& message) const { throw EngineError(std::string(what_) + ": " + message); }

void VcdWriter::setFileName(const std::string& name) {
    if (name.empty()) fail("empty file name");
    if (committed_ || outputOpen()) fail("cannot change the file to " + name + " while " + fileName_ + " is being written");
    fileName_ = name;
}

void VcdWriter::addVar(vpiHandle object) {
    // A copy: vvp returns every string in one buffer, which the scope names below overwrite.
    const char* fullText = vpi_get_str(vpiFullName, object);
    if (!fullText) return;
    const std::string full = fullText;
    auto found = byName_.find(full);
    if (found != byName_.end()) {
        Var& old = *vars_[found->second];
        if (!old.active) {
            old.active = true;
            follow(old);
            if (committed_ && enabled_) {
                settleBefore(simTicks());
                writeTime(simTicks());
                writeValue(old);
            }
            if (mode_ == Mode::Assembled) headerStale_ = true;
        }
        return;
    }
    if (mode_ == Mode::Streaming && committed_)
        fail("cannot add " + pathOf(object) + ": the header of " + fileName_ + " is already written");

    auto var = std::make_unique<Var>();
    var->owner = this;
    var->index = vars_.size();
    var->handle = object;
    var->code = vcdIdentifier(codes_++);
    const char* name = vpi_get_str(vpiName, object);
    var->reference = name ? name : "?";
    var->width = vpi_get(vpiSize, object);
    if (var->width < 1) var->width = 1;
    const int type = vpi_get(vpiType, object);
    bool ranged = false;
    switch (type) {
    case vpiNet: var->type = netTypeName(object); ranged = true; break;
    case vpiReg: case vpiMemoryWord: var->type = "reg"; ranged = true; break;
    case vpiIntegerVar: var->type = "integer"; break;
    case vpiTimeVar: var->type = "time"; break;
    case vpiRealVar: var->type = "real"; var->kind = VarKind::Real; break;
    case vpiNamedEvent: var->type = "event"; var->kind = VarKind::Event; break;
    case vpiParameter:
        var->type = "parameter";
        var->kind = VarKind::Constant;
        var->realConstant = vpi_get(vpiConstType, object) == vpiRealConst;
        break;
    default: var->type = "reg"; break;
    }
    if (var->kind == VarKind::Scalar && (var->width > 1 || type == vpiIntegerVar || type == vpiTimeVar))
        var->kind = VarKind::Vector;
    if (var->kind == VarKind::Real || var->kind == VarKind::Event) var->width = var->kind == VarKind::Real ? 64 : 1;
    int left = 0, right = 0;
    if (ranged && var->width > 1 && rangeOf(object, left, right))
        var->reference += " [" + std::to_string(left) + ":" + std::to_string(right) + "]";

    vpiHandle scope = vpi_handle(vpiScope, object);
    if (!scope) {
        vpiHandle parent = vpi_handle(vpiParent, object);
        if (parent) scope = vpi_handle(vpiScope, parent);
    }
    for (; scope; scope = vpi_handle(vpiScope, scope)) {
        const char* sname = vpi_get_str(vpiName, scope);
        var->scopes.insert(var->scopes.begin(), {sname ? sname : "?", vcdScopeKind(scope)});
    }

    if (mode_ == Mode::Streaming && (type == vpiNet || type == vpiReg)) {
        const int nexus = vpi_get(NexusIdProperty, object);
        if (nexus != 0 && nexus != vpiUndefined) {
            auto shared = byNexus_.find(nexus);
            if (shared != byNexus_.end() && vars_[shared->second]->width == var->width &&
                vars_[shared->second]->kind == var->kind) {
                --codes_;
                var->code = vars_[shared->second]->code;
                var->alias = true;
            } else {
                byNexus_[nexus] = vars_.size();
            }
        }
    }

    Var& added = *var;
    if (mode_ == Mode::Assembled) headerStale_ = true;
    byName_.emplace(full, vars_.size());
    vars_.push_back(std::move(var));
    if (added.alias) return;
    if (mode_ == Mode::Streaming && added.kind != VarKind::Event) {
        const std::string saved = std::move(buffer_);
        buffer_.clear();
        writeValue(added);
        added.initial = std::move(buffer_);
        buffer_ = saved;
    } else if (committed_ && enabled_) {
        settleBefore(simTicks());
        writeTime(simTicks());
        writeValue(added);
    }
    follow(added);
}

void VcdWriter::follow(Var& var) {
    if (var.callback || var.tap || var.alias || var.kind == VarKind::Constant) return;
    if (valueTapsActive() && var.kind != VarKind::Event) {
        var.tap = VvpInternals::attachTap(var.handle, this, var.index);
        if (var.tap) return;
    }
    static s_vpi_time noTime = {vpiSuppressTime, 0, 0, 0.0};
    static s_vpi_value noValue = {vpiSuppressVal, {nullptr}};
    s_cb_data cb = {};
    cb.reason = cbValueChange;
    cb.cb_rtn = valueChanged;
    cb.obj = var.handle;
    cb.time = &noTime;
    cb.value = &noValue;
    cb.user_data = reinterpret_cast<PLI_BYTE8*>(&var);
    var.callback = vpi_register_cb(&cb);
}

void VcdWriter::unfollow(Var& var) {
    VvpInternals::detachTap(var.tap);
    var.tap = nullptr;
    if (!var.callback) return;
    vpi_remove_cb(var.callback);
    var.callback = nullptr;
}

void VcdWriter::selectRecursive(vpiHandle scope, int levels, std::int64_t arrayLimit,
                                std::vector<std::string>* refused) {
    if (vpi_get(vpiAutomatic, scope) == 1) return; // automatic scopes have no static objects
    for (vpiHandle object : scopeObjects(scope)) {
        if (isArray(object)) {
            if (arrayLimit < 0) continue;
            const std::int64_t size = vpi_get(vpiSize, object);
            if (size > arrayLimit) {
                if (refused) refused->push_back(pathOf(object) + " (" + std::to_string(size) + " elements)");
                continue;
            }
            for (vpiHandle word : arrayWords(object)) addVar(word);
            continue;
        }
        addVar(object);
    }
    if (levels == 1) return;
    for (vpiHandle child : childScopes(scope))
        selectRecursive(child, levels == 0 ? 0 : levels - 1, arrayLimit, refused);
}

void VcdWriter::selectScope(vpiHandle scope, int levels, std::int64_t arrayLimit, std::vector<std::string>* refused) {
    if (mode_ == Mode::Streaming && committed_)
        fail("cannot add variables: the header of " + fileName_ + " is already written");
    if (byName_.empty()) selectedAt_ = simTicks();
    selectRecursive(scope, levels, arrayLimit, refused);
}

void VcdWriter::selectObject(vpiHandle object) {
    if (isBlockScope(object)) fail(pathOf(object) + " is a block, not an object");
    if (byName_.empty()) selectedAt_ = simTicks();
    if (isArray(object)) {
        for (vpiHandle word : arrayWords(object)) addVar(word);
        return;
    }
    addVar(object);
}

void VcdWriter::deselectObject(vpiHandle object) {
    std::vector<vpiHandle> objects = isArray(object) ? arrayWords(object) : std::vector<vpiHandle>{object};
    for (vpiHandle h : objects) {
        const char* full = vpi_get_str(vpiFullName, h);
        auto found = full ? byName_.find(full) : byName_.end();
        if (found == byName_.end()) continue;
        Var& var = *vars_[found->second];
        if (!var.active) continue;
        if (committed_ && enabled_) settleBefore(simTicks());
        unfollow(var);
        var.active = false;
        if (committed_ && enabled_) {
            writeTime(simTicks());
            writeX(var);
        }
    }
}

void VcdWriter::deselectScope(vpiHandle scope, bool all) {
    for (vpiHandle object : scopeObjects(scope)) deselectObject(object);
    if (all)
        for (vpiHandle child : childScopes(scope)) deselectScope(child, true);
}

void VcdWriter::openOutput() {
    if (outputOpen()) return;
    bytes_ = 0;
    if (mode_ == Mode::Assembled) {
        std::string header;
        writeHeader(header);
        const std::string failure = database_.create(fileName_, header);
        if (!failure.empty()) fail(failure);
        headerStale_ = false;
        return;
    }
    fd_ = ::open(fileName_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd_ < 0) fail("cannot open " + fileName_ + ": " + std::strerror(errno));
}

std::vector<std::string> VcdWriter::selectedPaths() const {
    std::vector<std::string> paths;
    for (const auto& var : vars_)
        if (var->active) paths.push_back(pathOf(var->handle));
    return paths;
}

void VcdWriter::databaseFailed(const std::string& reason) {
    engineMessage(std::string(what_) + ": " + reason + "; recording into the waveform database stopped "
                  "(the simulation goes on)\n");
    database_.close();
    buffer_.clear();
}

void VcdWriter::start() {
    if (mode_ == Mode::Streaming) {
        if (byName_.empty()) fail("nothing selected");
        openOutput();
        scheduleEndOfStep();
        return;
    }
    if (!committed_) {
        openOutput();
        enabled_ = true;
        commit();
    } else {
        on();
    }
}

void VcdWriter::commit() {
    if (committed_) return;
    committed_ = true;
    timeWritten_ = false;
    limitReached_ = false;
    if (mode_ == Mode::Assembled) {
        // Changes seen before the start are covered by the $dumpvars values.
        clearDirty();
    }
    if (mode_ == Mode::Streaming) {
        std::string values;
        values.swap(buffer_);
        writeHeader(buffer_);
        writeTime(selectedAt_);
        buffer_ += "$dumpvars\n";
        for (auto& var : vars_) buffer_ += var->initial;
        buffer_ += "$end\n";
        buffer_ += values;
        if (!enabled_) {
            enabled_ = true;
            off();
        }
        return;
    }
    writeTime(simTicks());
    writeAllValues("$dumpvars");
}

void VcdWriter::writeHeader(std::string& out) const {
    char date[64] = "";
    const std::time_t now = std::time(nullptr);
    std::strftime(date, sizeof date, "%a %b %d %H:%M:%S %Y", std::localtime(&now));
    out += "$date\n\t";
    out += date;
    out += "\n$end\n$version\n\tOrvex engine\n$end\n$timescale\n\t";
    out += timescaleText(designPrecision());
    out += "\n$end\n";

    ScopeNode root;
    for (const auto& var : vars_) {
        ScopeNode* node = &root;
        for (const auto& scope : var->scopes) {
            ScopeNode* next = nullptr;
            for (auto& child : node->children)
                if (child->name == scope.first) { next = child.get(); break; }
            if (!next) {
                node->children.push_back(std::make_unique<ScopeNode>());
                next = node->children.back().get();
                next->name = scope.first;
                next->kind = scope.second;
            }
            node = next;
        }
        node->vars.push_back(var.get());
    }
    struct Emit {
        static void scope(std::string& out, const ScopeNode& node) {
            out += "$scope ";
            out += node.kind;
            out += ' ';
            out += node.name;
            out += " $end\n";
            for (const Var* v : node.vars) {
                out += "$var ";
                out += v->type;
                out += ' ';
                appendDecimal(out, static_cast<std::uint64_t>(v->width));
                out += ' ';
                out += v->code;
                out += ' ';
                out += v->reference;
                out += " $end\n";
            }
            for (const auto& child : node.children) scope(out, *child);
            out += "$upscope $end\n";
        }
    };
    for (const auto& child : root.children) Emit::scope(out, *child);
    out += "$enddefinitions $end\n";
}

void VcdWriter::writeTime(std::uint64_t ticks) {
    if (timeWritten_ && ticks == lastTime_) return;
    buffer_ += '#';
    appendDecimal(buffer_, ticks);
    buffer_ += '\n';
    lastTime_ = ticks;
    timeWritten_ = true;
}

void VcdWriter::writeValue(const Var& var) {
    if (VvpInternals::Tap* tap = var.tap) {
        if (var.kind == VarKind::Real) appendReal(buffer_, tap->realValue());
        else if (var.kind == VarKind::Scalar) buffer_ += bitChar(tap->words(), 0);
        else appendVectorBits(buffer_, tap->words(), var.width);
        buffer_ += var.code;
        buffer_ += '\n';
        return;
    }
    s_vpi_value value;
    switch (var.kind) {
    case VarKind::Event:
        buffer_ += '1';
        break;
    case VarKind::Real:
        value.format = vpiRealVal;
        vpi_get_value(var.handle, &value);
        appendReal(buffer_, value.value.real);
        break;
    case VarKind::Scalar: {
        value.format = vpiScalarVal;
        vpi_get_value(var.handle, &value);
        static const char chars[] = {'0', '1', 'z', 'x', '1', '0'}; // vpi0 vpi1 vpiZ vpiX vpiH vpiL
        const int s = value.value.scalar;
        buffer_ += s >= 0 && s < 6 ? chars[s] : 'x';
        break;
    }
    case VarKind::Constant:
        if (var.realConstant) {
            value.format = vpiRealVal;
            vpi_get_value(var.handle, &value);
            appendReal(buffer_, value.value.real);
            break;
        }
        // fall through
    case VarKind::Vector:
        value.format = vpiVectorVal;
        vpi_get_value(var.handle, &value);
        if (value.format != vpiVectorVal || !value.value.vector) {
            buffer_ += "bx ";
            break;
        }
        if (var.width == 1 && var.kind == VarKind::Constant) {
            buffer_ += bitChar(reinterpret_cast<const VecWord*>(value.value.vector), 0);
            break;
        }
        appendVectorBits(buffer_, reinterpret_cast<const VecWord*>(value.value.vector), var.width);
        break;
    }
    buffer_ += var.code;
    buffer_ += '\n';
}

void VcdWriter::writeX(const Var& var) {
    if (var.kind == VarKind::Real || var.kind == VarKind::Event) return;
    buffer_ += (var.kind == VarKind::Scalar || var.width == 1) ? "x" : "bx ";
    buffer_ += var.code;
    buffer_ += '\n';
}

void VcdWriter::writeAllValues(const char* section) {
    buffer_ += section;
    buffer_ += '\n';
    for (const auto& var : vars_)
        if (var->active && !var->alias && var->kind != VarKind::Event) writeValue(*var);
    buffer_ += "$end\n";
}

void VcdWriter::markChanged(std::size_t index) {
    if (!enabled_ || limitReached_) return;
    noteChange(index, simTicks());
    if (!stepScheduled_) scheduleEndOfStep();
}

void VcdWriter::tapChanging(VvpInternals::Tap& tap, std::uint64_t now) {
    // Only the first change of a variable in a time step comes here (firstChangeOnly).
    if (!enabled_ || limitReached_) return;
    noteChange(tap.id(), now);
}

void VcdWriter::noteChange(std::size_t index, std::uint64_t now) {
    // The first change of a new time step: the last one is settled, and the values of its
    // tapped variables are still in their taps.
    settleBefore(now);
    if (dirty_.empty() || !committed_) dirtyTime_ = now;
    Var& var = *vars_[index];
    if (!var.dirty) {
        var.dirty = true;
        dirty_.push_back(index);
    }
}

void VcdWriter::settleBefore(std::uint64_t now) {
    if (dirty_.empty() || now == dirtyTime_ || !committed_ || !outputOpen()) return;
    writeChanges();
    if (buffer_.size() >= DrainSize) drain();
}

void VcdWriter::scheduleEndOfStep() {
    if (stepScheduled_) return;
    stepScheduled_ = atCurrentTime(cbReadOnlySynch, stepEnded, this);
}

void VcdWriter::endOfTimeStep() {
    stepScheduled_ = false;
    if (!outputOpen()) return;
    if (!committed_) commit();
    writeChanges();
    if (buffer_.size() >= DrainSize) drain();
}

void VcdWriter::writeChanges() {
    if (dirty_.empty()) return;
    if (!limitReached_ && limit_ > 0 && bytes_ + buffer_.size() >= limit_) {
        limitReached_ = true;
        buffer_ += "$comment Dump limit reached $end\n";
    }
    if (limitReached_) {
        clearDirty();
        return;
    }
    writeTime(timeWritten_ && dirtyTime_ < lastTime_ ? lastTime_ : dirtyTime_);
    for (std::size_t i : dirty_) {
        const Var& var = *vars_[i];
        if (var.active) writeValue(var);
    }
    clearDirty();
}

void VcdWriter::clearDirty() {
    for (std::size_t i : dirty_) {
        Var& var = *vars_[i];
        var.dirty = false;
        if (var.tap) var.tap->renotify();
    }
    dirty_.clear();
}

void VcdWriter::drain() {
    if (mode_ == Mode::Assembled) {
        if (!database_.isOpen()) {
            buffer_.clear();
            return;
        }
        std::string failure;
        if (headerStale_) {
            std::string header;
            writeHeader(header);
            failure = database_.setHeader(header);
            headerStale_ = false;
        }
        if (failure.empty()) failure = database_.append(buffer_);
        if (!failure.empty()) return databaseFailed(failure);
        bytes_ += buffer_.size();
        buffer_.clear();
        return;
    }
    std::size_t done = 0;
    while (done < buffer_.size() && fd_ >= 0) {
        const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            // Reported once: the file is closed, so nothing more is written or reported.
            const char* reason = n < 0 ? std::strerror(errno) : "nothing could be written";
            engineMessage(std::string(what_) + ": cannot write " + fileName_ + ": " + reason +
                          "; recording stopped, the file is incomplete");
            ::close(fd_);
            fd_ = -1;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    bytes_ += done;
    buffer_.clear();
}

void VcdWriter::off() {
    if (!outputOpen()) {
        enabled_ = false;
        return;
    }
    if (!committed_) commit();
    if (!enabled_) return;
    writeChanges();
    writeTime(simTicks());
    buffer_ += "$dumpoff\n";
    for (const auto& var : vars_)
        if (var->active && !var->alias) writeX(*var);
    buffer_ += "$end\n";
    enabled_ = false;
    // Nothing is recorded until on(): the taps and callbacks go, so the run does not pay for them.
    for (auto& var : vars_) unfollow(*var);
    if (mode_ == Mode::Assembled) drain();
}

void VcdWriter::on() {
    if (enabled_) return;
    enabled_ = true;
    for (auto& var : vars_)
        if (var->active) follow(*var);
    if (!outputOpen()) return;
    if (!committed_) {
        commit();
        return;
    }
    clearDirty();
    writeTime(simTicks());
    writeAllValues("$dumpon");
}

void VcdWriter::flush() {
    if (!outputOpen()) return;
    if (!committed_ && mode_ == Mode::Streaming) commit();
    writeChanges();
    // A reader takes the last time written for the end of the data.
    if (mode_ == Mode::Assembled && committed_) writeTime(simTicks());
    drain();
}

void VcdWriter::close() {
    if (outputOpen()) {
        if (!committed_ && mode_ == Mode::Streaming) commit();
        if (committed_) {
            writeChanges();
            if (enabled_) writeTime(simTicks());
        }
        if (mode_ == Mode::Assembled) {
            drain();
            database_.close();
        } else {
            drain();
            if (fd_ >= 0) ::close(fd_);
            fd_ = -1;
        }
    }
    for (auto& var : vars_) unfollow(*var);
    vars_.clear();
    byName_.clear();
    byNexus_.clear();
    codes_ = 0;
    dirty_.clear();
    buffer_.clear();
    committed_ = false;
    enabled_ = true;
    limitReached_ = false;
    timeWritten_ = false;
}

} // namespace OrvexEngine
