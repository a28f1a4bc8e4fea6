// The scripted engine double: call log, engine state model, reactions and the event thread.
#include "EngineDouble.h"

#include <initializer_list>
#include <limits>
#include <utility>

#include "orvex/Exceptions.h"

namespace Tavrin {
namespace Test {

// ---------------------------------------------------------------------------------------------
// Events and reactions

EngineEvent namedEvent(const std::string& name, std::int64_t time, const std::string& file,
                       int line, int conditionId) {
    EngineEvent event;
    event.kind = NamedSimulationEvent;
    event.name = name;
    event.time = time;
    event.file = file;
    event.line = line;
    event.conditionId = conditionId;
    return event;
}

EngineEvent terminationEvent(bool expected, const std::string& text) {
    EngineEvent event;
    event.kind = EngineTerminatedEvent;
    event.expected = expected;
    event.text = text;
    return event;
}

EngineEvent textEvent(const std::string& text) {
    EngineEvent event;
    event.kind = EngineTextEvent;
    event.text = text;
    return event;
}

EngineEvent plainEvent(EngineEventKind kind) {
    EngineEvent event;
    event.kind = kind;
    return event;
}

Reaction Reaction::deliver(std::vector<EngineEvent> events) {
    Reaction reaction;
    reaction.kind = Kind::Events;
    reaction.events = std::move(events);
    return reaction;
}

Reaction Reaction::die(const std::string& text) { return deliver({terminationEvent(false, text)}); }

Reaction Reaction::throwInterrupt() {
    Reaction reaction;
    reaction.kind = Kind::ThrowInterrupt;
    return reaction;
}

Reaction Reaction::throwError(const std::string& message) {
    Reaction reaction;
    reaction.kind = Kind::ThrowError;
    reaction.message = message;
    return reaction;
}

Reaction Reaction::answer(bool accept) {
    Reaction reaction;
    reaction.kind = Kind::Answer;
    reaction.accept = accept;
    return reaction;
}

// ---------------------------------------------------------------------------------------------
// Call-log formatting

namespace {

std::string textArg(const StringBase& text) { return text.empty() ? "{}" : text.str(); }

std::string pathArg(const IObject* object) {
    return object ? textArg(object->getPath()) : std::string("<null>");
}

std::string flag(bool on) { return on ? "1" : "0"; }

std::string join(std::initializer_list<std::string> words) {
    std::string line;
    for (const std::string& word : words) {
        if (!line.empty())
            line += ' ';
        line += word;
    }
    return line;
}

std::int64_t saturatingAdd(std::int64_t a, std::int64_t b) {
    if (b > 0 && a > std::numeric_limits<std::int64_t>::max() - b)
        return std::numeric_limits<std::int64_t>::max();
    if (b < 0 && a < std::numeric_limits<std::int64_t>::min() - b)
        return std::numeric_limits<std::int64_t>::min();
    return a + b;
}

[[noreturn]] void refuse(const std::string& message) {
    ORVEX_THROW(CommandErrorException, message);
}

void requireObject(const IObject* object) {
    if (!object)
        refuse("Object not found");
}

void requireBlock(const IObject* block) {
    if (!block)
        refuse("Block not found");
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Construction, the event thread

EngineDouble::EngineDouble(IReader* reader, int timeResolution)
    : reader_(reader), resolution_(timeResolution) {
    thread_ = std::thread([this] { eventLoop(); });
}

EngineDouble::~EngineDouble() {
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        stopping_ = true;
    }
    queueChanged_.notify_all();
    if (thread_.joinable()) {
        // A handler that destroys the engine cannot join its own thread.
        if (thread_.get_id() == std::this_thread::get_id())
            thread_.detach();
        else
            thread_.join();
    }
}

void EngineDouble::eventLoop() {
    // Marks the loop as ended however it is left, also when a handler ends the thread itself
    // (a shell ends the engine's thread when the engine hangs), so that waitIdle returns.
    struct EndMark {
        EngineDouble& engine;
        ~EndMark() {
            std::lock_guard<std::mutex> lock(engine.queueMutex_);
            engine.loopEnded_ = true;
            engine.delivering_ = false;
            engine.queueChanged_.notify_all();
        }
    } endMark{*this};

    std::unique_lock<std::mutex> lock(queueMutex_);
    for (;;) {
        queueChanged_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_)
            return;
        const EngineEvent event = queue_.front();
        queue_.pop_front();
        const std::vector<IEventHandler*> handlers = handlers_;
        delivering_ = true;
        lock.unlock();
        for (IEventHandler* handler : handlers) {
            if (stopping_)
                break;
            handler->handleEvent(event);
        }
        lock.lock();
        delivering_ = false;
        queueChanged_.notify_all();
    }
}

void EngineDouble::enqueueLocked(const EngineEvent& event) {
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        queue_.push_back(event);
    }
    queueChanged_.notify_all();
}

void EngineDouble::deliver(const EngineEvent& event) { enqueueLocked(event); }

void EngineDouble::waitIdle() {
    std::unique_lock<std::mutex> lock(queueMutex_);
    queueChanged_.wait(lock, [this] { return loopEnded_ || (queue_.empty() && !delivering_); });
}

void EngineDouble::start() {
    std::lock_guard<std::mutex> lock(mutex_);
    terminated_ = false;
    if (std::optional<Reaction> reaction = takeReaction("start"))
        perform(*reaction, time_);
    else
        enqueueLocked(plainEvent(EngineReadyEvent));
}

// ---------------------------------------------------------------------------------------------
// Scripting and state access

void EngineDouble::script(const std::string& request, const Reaction& reaction) {
    std::lock_guard<std::mutex> lock(mutex_);
    reactions_[request].push_back(reaction);
}

void EngineDouble::setSignalValue(const std::string& path, const std::string& value) {
    std::lock_guard<std::mutex> lock(mutex_);
    values_[path] = value;
}

void EngineDouble::setCurrentTime(std::int64_t time) {
    std::lock_guard<std::mutex> lock(mutex_);
    time_ = time;
}

void EngineDouble::setStatusCode(std::uint32_t code) {
    std::lock_guard<std::mutex> lock(mutex_);
    statusCode_ = code;
}

void EngineDouble::setStepLocation(const std::string& file, int line) {
    std::lock_guard<std::mutex> lock(mutex_);
    stepFile_ = file;
    stepLine_ = line;
}

void EngineDouble::setTimeResolution(int exponent) {
    std::lock_guard<std::mutex> lock(mutex_);
    resolution_ = exponent;
}

std::vector<std::string> EngineDouble::calls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

void EngineDouble::clearCalls() {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.clear();
}

// ---------------------------------------------------------------------------------------------
// Recording and reacting

void EngineDouble::log(const std::string& line) const { calls_.push_back(line); }

std::optional<Reaction> EngineDouble::takeReaction(const std::string& operation) const {
    auto found = reactions_.find(operation);
    if (found == reactions_.end() || found->second.empty())
        return std::nullopt;
    Reaction reaction = std::move(found->second.front());
    found->second.pop_front();
    switch (reaction.kind) {
    case Reaction::Kind::ThrowInterrupt:
        ORVEX_THROW(Orvex::InterruptException, "Simulation engine not responding");
    case Reaction::Kind::ThrowError:
        refuse(reaction.message);
    default:
        return reaction;
    }
}

std::optional<Reaction> EngineDouble::record(const std::string& operation,
                                             const std::string& line) const {
    log(line);
    return takeReaction(operation);
}

void EngineDouble::perform(const Reaction& reaction, std::int64_t endTime) {
    for (EngineEvent event : reaction.events) {
        if (event.kind == NamedSimulationEvent) {
            if (event.time == RequestEndTime)
                event.time = endTime;
            time_ = event.time;
        } else if (event.kind == EngineTerminatedEvent) {
            terminated_ = true;
        }
        enqueueLocked(event);
    }
}

void EngineDouble::simpleCall(const std::string& operation, const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (std::optional<Reaction> reaction = record(operation, line))
        perform(*reaction, time_);
}

void EngineDouble::requireRunning(const std::string& operation) const {
    if (terminated_)
        ORVEX_THROW(Orvex::InterruptException, "Simulation engine has terminated (" + operation + ")");
}

// ---------------------------------------------------------------------------------------------
// ISimulationControl

void EngineDouble::addEventHandler(IEventHandler* handler) {
    simpleCall("addEventHandler", "addEventHandler");
    if (!handler)
        return;
    std::lock_guard<std::mutex> lock(queueMutex_);
    handlers_.push_back(handler);
}

void EngineDouble::addBreakpoint(const BreakpointLocation& location) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::optional<Reaction> reaction =
        record("addBreakpoint",
               join({"addBreakpoint", textArg(location.file), std::to_string(location.line)}));
    BreakpointListEntry entry;
    entry.index = nextBreakpoint_++;
    entry.file = location.file;
    entry.line = location.line;
    breakpoints_.push_back(entry);
    if (reaction)
        perform(*reaction, time_);
}

void EngineDouble::removeBreakpoint(int index) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::optional<Reaction> reaction =
        record("removeBreakpoint", join({"removeBreakpoint", std::to_string(index)}));
    bool found = false;
    for (auto it = breakpoints_.begin(); it != breakpoints_.end(); ++it) {
        if (it->index == index) {
            breakpoints_.erase(it);
            found = true;
            break;
        }
    }
    if (!found)
        refuse("Invalid breakpoint index " + std::to_string(index));
    if (reaction)
        perform(*reaction, time_);
}

void EngineDouble::clearBreakpoints() {
    simpleCall("clearBreakpoints", "clearBreakpoints");
    std::lock_guard<std::mutex> lock(mutex_);
    breakpoints_.clear();
}

void EngineDouble::getBreakpointList(std::vector<BreakpointListEntry>& list) {
    simpleCall("getBreakpointList", "getBreakpointList");
    std::lock_guard<std::mutex> lock(mutex_);
    list = breakpoints_;
}

IBlock* EngineDouble::getCurrentScope() const {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        record("getCurrentScope", "getCurrentScope");
    }
    return reader_ ? reader_->getCurrentScope() : nullptr;
}

void EngineDouble::setCurrentScope(IBlock* block) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (std::optional<Reaction> reaction =
                record("setCurrentScope", join({"setCurrentScope", pathArg(block)})))
            perform(*reaction, time_);
        requireBlock(block);
    }
    if (reader_)
        reader_->setCurrentScope(block);
}

void EngineDouble::setArrayDisplayLength(int length) {
    simpleCall("setArrayDisplayLength", join({"setArrayDisplayLength", std::to_string(length)}));
}

void EngineDouble::setMaxTraceableSize(int size) {
    simpleCall("setMaxTraceableSize", join({"setMaxTraceableSize", std::to_string(size)}));
}

void EngineDouble::getValue(const IDataObj* object, StringBase& value, Radix radix) const {
    std::lock_guard<std::mutex> lock(mutex_);
    record("getValue", join({"getValue", pathArg(object), std::to_string(radix)}));
    requireObject(object);
    const std::string path = object->getPath().str();
    auto found = values_.find(path);
    if (found == values_.end())
        refuse("No value for " + path);
    value = found->second;
}

void EngineDouble::getBlockValues(const IBlock* block, ValueMap& values, Radix radix) const {
    std::lock_guard<std::mutex> lock(mutex_);
    record("getBlockValues", join({"getBlockValues", pathArg(block), std::to_string(radix)}));
    requireBlock(block);
    const int count = block->getDataObjCount();
    for (int i = 0; i < count; ++i) {
        const IDataObj* object = block->getDataObj(i);
        if (!object)
            continue;
        auto found = values_.find(object->getPath().str());
        if (found != values_.end())
            values[object] = found->second;
    }
}

void EngineDouble::setValue(const IDataObj* object, const StringBase& value, Radix radix) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::optional<Reaction> reaction = record(
        "setValue", join({"setValue", pathArg(object), textArg(value), std::to_string(radix)}));
    requireObject(object);
    values_[object->getPath().str()] = value.str();
    if (reaction)
        perform(*reaction, time_);
}

void EngineDouble::addForce(const IDataObj* object, const ForceCriteria& criteria) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::string line = join({"addForce", pathArg(object)});
    for (const ForceValue& value : criteria.values)
        line += " " + textArg(value.value) + "@" + std::to_string(value.time) + ":" +
                std::to_string(value.radix);
    line += " repeat=" + std::to_string(criteria.repeat) +
            " cancel=" + std::to_string(criteria.cancel);
    std::optional<Reaction> reaction = record("addForce", line);
    requireObject(object);
    if (reaction)
        perform(*reaction, time_);
}

void EngineDouble::removeForce(const IDataObj* object) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::optional<Reaction> reaction =
        record("removeForce", join({"removeForce", pathArg(object)}));
    requireObject(object);
    if (reaction)
        perform(*reaction, time_);
}

void EngineDouble::getDrivers(const IDataObj* object, DriverMap& drivers) const {
    std::lock_guard<std::mutex> lock(mutex_);
    record("getDrivers", join({"getDrivers", pathArg(object)}));
    requireObject(object);
    auto found = drivers_.find(object->getPath().str());
    if (found != drivers_.end())
        drivers[object] = found->second;
}

void EngineDouble::getLoads(const IDataObj* object, LoadMap& loads) const {
    std::lock_guard<std::mutex> lock(mutex_);
    record("getLoads", join({"getLoads", pathArg(object)}));
    requireObject(object);
    auto found = loads_.find(object->getPath().str());
    if (found != loads_.end())
        loads[object] = found->second;
}

void EngineDouble::restart() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::optional<Reaction> reaction = record("restart", "restart");
    requireRunning("restart");
    if (reaction) {
        perform(*reaction, 0);
        return;
    }
    time_ = 0;
    enqueueLocked(namedEvent("restart-complete", 0));
}

void EngineDouble::run(std::int64_t time) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::optional<Reaction> reaction = record("run", join({"run", std::to_string(time)}));
    requireRunning("run");
    const std::int64_t end = saturatingAdd(time_, time);
    if (reaction) {
        perform(*reaction, end);
        return;
    }
    time_ = end;
    enqueueLocked(namedEvent("run-complete", end));
}

void EngineDouble::step() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::optional<Reaction> reaction = record("step", "step");
    requireRunning("step");
    if (reaction) {
        perform(*reaction, time_);
        return;
    }
    enqueueLocked(namedEvent("end-stepping", time_, stepFile_, stepLine_));
}

void EngineDouble::runAll() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::optional<Reaction> reaction = record("runAll", "runAll");
    requireRunning("runAll");
    if (reaction) {
        perform(*reaction, time_);
        return;
    }
    enqueueLocked(namedEvent("run-complete", time_));
}

void EngineDouble::stop() { simpleCall("stop", "stop"); }

EngineStatus& EngineDouble::getStatus(EngineStatus& status) const {
    std::lock_guard<std::mutex> lock(mutex_);
    record("getStatus", "getStatus");
    status.code = statusCode_;
    status.time = time_;
    return status;
}

void EngineDouble::ntraceStart() { simpleCall("ntraceStart", "ntraceStart"); }
void EngineDouble::ntraceStop() { simpleCall("ntraceStop", "ntraceStop"); }

void EngineDouble::ntraceSelectBlock(const IBlock* block, bool all, bool on) {
    simpleCall("ntraceSelectBlock", join({"ntraceSelectBlock", pathArg(block), flag(all), flag(on)}));
    requireBlock(block);
}

void EngineDouble::ntraceSelectObject(const IDataObj* object, bool on) {
    simpleCall("ntraceSelectObject", join({"ntraceSelectObject", pathArg(object), flag(on)}));
    requireObject(object);
}

void EngineDouble::ptraceOn() { simpleCall("ptraceOn", "ptraceOn"); }
void EngineDouble::ptraceOff() { simpleCall("ptraceOff", "ptraceOff"); }
void EngineDouble::ltraceOn() { simpleCall("ltraceOn", "ltraceOn"); }
void EngineDouble::ltraceOff() { simpleCall("ltraceOff", "ltraceOff"); }

void EngineDouble::annotateSdf(int kind, const StringBase& file, const IBlock* root, bool noerror,
                               bool nowarn) {
    // A missing root is allowed: the engine then annotates from the top of the design.
    simpleCall("annotateSdf", join({"annotateSdf", std::to_string(kind), textArg(file),
                                    pathArg(root), flag(noerror), flag(nowarn)}));
}

void EngineDouble::setPathPulse(std::int64_t reject, std::int64_t error) {
    simpleCall("setPathPulse",
               join({"setPathPulse", std::to_string(reject), std::to_string(error)}));
}

void EngineDouble::setPulseStyle(int style) {
    simpleCall("setPulseStyle", join({"setPulseStyle", std::to_string(style)}));
}

void EngineDouble::setShowCancelled(bool on) {
    simpleCall("setShowCancelled", join({"setShowCancelled", flag(on)}));
}

void EngineDouble::vcdDumpFile(const StringBase& name) {
    simpleCall("vcdDumpFile", join({"vcdDumpFile", textArg(name)}));
}
void EngineDouble::vcdDumpFlush() { simpleCall("vcdDumpFlush", "vcdDumpFlush"); }
void EngineDouble::vcdDumpOn() { simpleCall("vcdDumpOn", "vcdDumpOn"); }
void EngineDouble::vcdDumpOff() { simpleCall("vcdDumpOff", "vcdDumpOff"); }

void EngineDouble::vcdDumpVars(const IBlock* block, int level) {
    simpleCall("vcdDumpVars", join({"vcdDumpVars", pathArg(block), std::to_string(level)}));
    requireBlock(block);
}

void EngineDouble::vcdDumpLimit(std::int64_t bytes) {
    simpleCall("vcdDumpLimit", join({"vcdDumpLimit", std::to_string(bytes)}));
}

void EngineDouble::saifOpen(const IBlock* block, const StringBase& file, bool allnets, int level) {
    simpleCall("saifOpen", join({"saifOpen", pathArg(block), textArg(file), flag(allnets),
                                 std::to_string(level)}));
    requireBlock(block);
}

void EngineDouble::saifClose() { simpleCall("saifClose", "saifClose"); }

int EngineDouble::addCondition(const Condition& condition) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::optional<Reaction> reaction =
        record("addCondition", join({"addCondition", textArg(condition.expression),
                                     std::to_string(condition.radix), textArg(condition.label)}));
    ConditionListEntry entry;
    entry.id = nextCondition_++;
    entry.expression = condition.expression;
    entry.radix = condition.radix;
    entry.label = condition.label;
    conditions_.push_back(entry);
    if (reaction)
        perform(*reaction, time_);
    return entry.id;
}

void EngineDouble::removeConditionByLabel(const StringBase& label) {
    simpleCall("removeConditionByLabel", join({"removeConditionByLabel", textArg(label)}));
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<ConditionListEntry> kept;
    for (const ConditionListEntry& entry : conditions_)
        if (entry.label != label)
            kept.push_back(entry);
    conditions_.swap(kept);
}

void EngineDouble::removeConditionById(int id) {
    simpleCall("removeConditionById", join({"removeConditionById", std::to_string(id)}));
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = conditions_.begin(); it != conditions_.end(); ++it) {
        if (it->id == id) {
            conditions_.erase(it);
            break;
        }
    }
}

void EngineDouble::removeAllConditions() {
    simpleCall("removeAllConditions", "removeAllConditions");
    std::lock_guard<std::mutex> lock(mutex_);
    conditions_.clear();
}

void EngineDouble::getConditionList(std::vector<ConditionListEntry>& list) {
    simpleCall("getConditionList", "getConditionList");
    std::lock_guard<std::mutex> lock(mutex_);
    list = conditions_;
}

bool EngineDouble::quit(bool force, bool exit) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::optional<Reaction> reaction = record("quit", join({"quit", flag(force), flag(exit)}));
    if (reaction && reaction->kind == Reaction::Kind::Events) {
        perform(*reaction, time_);
        return true;
    }
    const bool accept = reaction ? reaction->accept : true;
    if (accept && !terminated_) {
        terminated_ = true;
        enqueueLocked(terminationEvent(true));
    }
    return accept;
}

void EngineDouble::exitSimulation() { simpleCall("exitSimulation", "exitSimulation"); }

void EngineDouble::terminate() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (std::optional<Reaction> reaction = record("terminate", "terminate")) {
        perform(*reaction, time_);
        return;
    }
    if (!terminated_) {
        terminated_ = true;
        enqueueLocked(terminationEvent(true));
    }
}

int EngineDouble::getTimeResolution() const {
    std::lock_guard<std::mutex> lock(mutex_);
    record("getTimeResolution", "getTimeResolution");
    return resolution_;
}

} // namespace Test
} // namespace Tavrin
