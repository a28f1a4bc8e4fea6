// The scripted engine double: call log, engine state model, reactions and the event thread.
#include "EngineDouble.h"

#include <algorithm>
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

Reaction Reaction::deliver(std::vector<EngineEvent> events) {
    Reaction reaction;
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

// ---------------------------------------------------------------------------------------------
// Call-log formatting: one word per argument, by its type (see the header)

namespace {

std::string word(const StringBase& text) { return text.empty() ? "{}" : text.str(); }
std::string word(const IObject* object) { return object ? word(object->getPath()) : "<null>"; }
std::string word(bool on) { return on ? "1" : "0"; }
std::string word(int number) { return std::to_string(number); }
std::string word(std::int64_t number) { return std::to_string(number); }

template <typename... Args>
std::string call(const char* operation, const Args&... args) {
    std::string line = operation;
    ((line += ' ', line += word(args)), ...);
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

void EngineDouble::deliver(const EngineEvent& event) {
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        queue_.push_back(event);
    }
    queueChanged_.notify_all();
}

void EngineDouble::waitIdle() {
    std::unique_lock<std::mutex> lock(queueMutex_);
    queueChanged_.wait(lock, [this] { return loopEnded_ || (queue_.empty() && !delivering_); });
}

void EngineDouble::start() {
    std::lock_guard<std::mutex> lock(mutex_);
    terminated_ = false;
    EngineEvent ready;
    ready.kind = EngineReadyEvent;
    if (std::optional<Reaction> reaction = takeReaction("start"))
        perform(reaction, time_);
    else
        deliver(ready);
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

std::optional<Reaction> EngineDouble::takeReaction(const std::string& operation) const {
    auto found = reactions_.find(operation);
    if (found == reactions_.end() || found->second.empty())
        return std::nullopt;
    Reaction reaction = std::move(found->second.front());
    found->second.pop_front();
    if (reaction.kind == Reaction::Kind::ThrowInterrupt)
        ORVEX_THROW(Orvex::InterruptException, "Simulation engine not responding");
    if (reaction.kind == Reaction::Kind::ThrowError)
        refuse(reaction.message);
    return reaction;
}

std::optional<Reaction> EngineDouble::record(const std::string& line) const {
    calls_.push_back(line);
    return takeReaction(line.substr(0, line.find(' ')));
}

void EngineDouble::perform(const std::optional<Reaction>& reaction, std::int64_t endTime) {
    if (!reaction)
        return;
    for (EngineEvent event : reaction->events) {
        if (event.kind == NamedSimulationEvent) {
            if (event.time == RequestEndTime)
                event.time = endTime;
            time_ = event.time;
        } else if (event.kind == EngineTerminatedEvent) {
            terminated_ = true;
        }
        deliver(event);
    }
}

void EngineDouble::simpleCall(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex_);
    perform(record(line), time_);
}

bool EngineDouble::blockingCall(const std::string& line, std::int64_t endTime) {
    std::optional<Reaction> reaction = record(line);
    if (terminated_)
        ORVEX_THROW(Orvex::InterruptException,
                    "Simulation engine has terminated (" + line.substr(0, line.find(' ')) + ")");
    perform(reaction, endTime);
    return reaction.has_value();
}

void EngineDouble::end() {
    if (!terminated_) {
        terminated_ = true;
        deliver(terminationEvent(true));
    }
}

// ---------------------------------------------------------------------------------------------
// ISimulationControl

void EngineDouble::addEventHandler(IEventHandler* handler) {
    simpleCall(call("addEventHandler"));
    if (!handler)
        return;
    std::lock_guard<std::mutex> lock(queueMutex_);
    handlers_.push_back(handler);
}

void EngineDouble::addBreakpoint(const BreakpointLocation& location) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::optional<Reaction> reaction = record(call("addBreakpoint", location.file, location.line));
    breakpoints_.push_back(BreakpointListEntry{nextBreakpoint_++, location.file, location.line});
    perform(reaction, time_);
}

void EngineDouble::removeBreakpoint(int index) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::optional<Reaction> reaction = record(call("removeBreakpoint", index));
    auto found = std::find_if(breakpoints_.begin(), breakpoints_.end(),
                              [&](const BreakpointListEntry& entry) { return entry.index == index; });
    if (found == breakpoints_.end())
        refuse("Invalid breakpoint index " + std::to_string(index));
    breakpoints_.erase(found);
    perform(reaction, time_);
}

void EngineDouble::clearBreakpoints() {
    simpleCall(call("clearBreakpoints"));
    std::lock_guard<std::mutex> lock(mutex_);
    breakpoints_.clear();
}

void EngineDouble::getBreakpointList(std::vector<BreakpointListEntry>& list) {
    simpleCall(call("getBreakpointList"));
    std::lock_guard<std::mutex> lock(mutex_);
    list = breakpoints_;
}

IBlock* EngineDouble::getCurrentScope() const {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        record(call("getCurrentScope"));
    }
    return reader_ ? reader_->getCurrentScope() : nullptr;
}

void EngineDouble::setCurrentScope(IBlock* block) {
    simpleCall(call("setCurrentScope", block));
    requireBlock(block);
    if (reader_)
        reader_->setCurrentScope(block);
}

void EngineDouble::setArrayDisplayLength(int length) {
    simpleCall(call("setArrayDisplayLength", length));
}

void EngineDouble::setMaxTraceableSize(int size) { simpleCall(call("setMaxTraceableSize", size)); }

void EngineDouble::getValue(const IDataObj* object, StringBase& value, Radix radix) const {
    std::lock_guard<std::mutex> lock(mutex_);
    record(call("getValue", object, int(radix)));
    requireObject(object);
    const std::string path = object->getPath().str();
    auto found = values_.find(path);
    if (found == values_.end())
        refuse("No value for " + path);
    value = found->second;
}

void EngineDouble::getBlockValues(const IBlock* block, ValueMap& values, Radix radix) const {
    std::lock_guard<std::mutex> lock(mutex_);
    record(call("getBlockValues", block, int(radix)));
    requireBlock(block);
    for (int i = 0; i < block->getDataObjCount(); ++i) {
        const IDataObj* object = block->getDataObj(i);
        auto found = object ? values_.find(object->getPath().str()) : values_.end();
        if (found != values_.end())
            values[object] = found->second;
    }
}

void EngineDouble::setValue(const IDataObj* object, const StringBase& value, Radix radix) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::optional<Reaction> reaction = record(call("setValue", object, value, int(radix)));
    requireObject(object);
    values_[object->getPath().str()] = value.str();
    perform(reaction, time_);
}

void EngineDouble::addForce(const IDataObj* object, const ForceCriteria& criteria) {
    std::string line = call("addForce", object);
    for (const ForceValue& value : criteria.values)
        line += " " + word(value.value) + "@" + word(value.time) + ":" + word(int(value.radix));
    simpleCall(line + " repeat=" + word(criteria.repeat) + " cancel=" + word(criteria.cancel));
    requireObject(object);
}

void EngineDouble::removeForce(const IDataObj* object) {
    simpleCall(call("removeForce", object));
    requireObject(object);
}

void EngineDouble::getDrivers(const IDataObj* object, DriverMap& drivers) const {
    std::lock_guard<std::mutex> lock(mutex_);
    record(call("getDrivers", object));
    requireObject(object);
    auto found = drivers_.find(object->getPath().str());
    if (found != drivers_.end())
        drivers[object] = found->second;
}

void EngineDouble::getLoads(const IDataObj* object, LoadMap& loads) const {
    std::lock_guard<std::mutex> lock(mutex_);
    record(call("getLoads", object));
    requireObject(object);
    auto found = loads_.find(object->getPath().str());
    if (found != loads_.end())
        loads[object] = found->second;
}

void EngineDouble::restart() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (blockingCall(call("restart"), 0))
        return;
    time_ = 0;
    deliver(namedEvent("restart-complete", 0));
}

void EngineDouble::run(std::int64_t time) {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::int64_t end = saturatingAdd(time_, time);
    if (blockingCall(call("run", time), end))
        return;
    time_ = end;
    deliver(namedEvent("run-complete", end));
}

void EngineDouble::step() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!blockingCall(call("step"), time_))
        deliver(namedEvent("end-stepping", time_, stepFile_, stepLine_));
}

void EngineDouble::runAll() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!blockingCall(call("runAll"), time_))
        deliver(namedEvent("run-complete", time_));
}

void EngineDouble::stop() { simpleCall(call("stop")); }

EngineStatus& EngineDouble::getStatus(EngineStatus& status) const {
    std::lock_guard<std::mutex> lock(mutex_);
    record(call("getStatus"));
    status.code = statusCode_;
    status.time = time_;
    return status;
}

void EngineDouble::ntraceStart() { simpleCall(call("ntraceStart")); }
void EngineDouble::ntraceStop() { simpleCall(call("ntraceStop")); }

void EngineDouble::ntraceSelectBlock(const IBlock* block, bool all, bool on) {
    simpleCall(call("ntraceSelectBlock", block, all, on));
    requireBlock(block);
}

void EngineDouble::ntraceSelectObject(const IDataObj* object, bool on) {
    simpleCall(call("ntraceSelectObject", object, on));
    requireObject(object);
}

void EngineDouble::ptraceOn() { simpleCall(call("ptraceOn")); }
void EngineDouble::ptraceOff() { simpleCall(call("ptraceOff")); }
void EngineDouble::ltraceOn() { simpleCall(call("ltraceOn")); }
void EngineDouble::ltraceOff() { simpleCall(call("ltraceOff")); }

void EngineDouble::annotateSdf(int kind, const StringBase& file, const IBlock* root, bool noerror,
                               bool nowarn) {
    // A missing root is allowed: the engine then annotates from the top of the design.
    simpleCall(call("annotateSdf", kind, file, root, noerror, nowarn));
}

void EngineDouble::setPathPulse(std::int64_t reject, std::int64_t error) {
    simpleCall(call("setPathPulse", reject, error));
}

void EngineDouble::setPulseStyle(int style) { simpleCall(call("setPulseStyle", style)); }
void EngineDouble::setShowCancelled(bool on) { simpleCall(call("setShowCancelled", on)); }
void EngineDouble::vcdDumpFile(const StringBase& name) { simpleCall(call("vcdDumpFile", name)); }
void EngineDouble::vcdDumpFlush() { simpleCall(call("vcdDumpFlush")); }
void EngineDouble::vcdDumpOn() { simpleCall(call("vcdDumpOn")); }
void EngineDouble::vcdDumpOff() { simpleCall(call("vcdDumpOff")); }

void EngineDouble::vcdDumpVars(const IBlock* block, int level) {
    simpleCall(call("vcdDumpVars", block, level));
    requireBlock(block);
}

void EngineDouble::vcdDumpLimit(std::int64_t bytes) { simpleCall(call("vcdDumpLimit", bytes)); }

void EngineDouble::saifOpen(const IBlock* block, const StringBase& file, bool allnets, int level) {
    simpleCall(call("saifOpen", block, file, allnets, level));
    requireBlock(block);
}

void EngineDouble::saifClose() { simpleCall(call("saifClose")); }

int EngineDouble::addCondition(const Condition& condition) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::optional<Reaction> reaction =
        record(call("addCondition", condition.expression, int(condition.radix), condition.label));
    conditions_.push_back(
        ConditionListEntry{nextCondition_++, condition.expression, condition.radix, condition.label});
    perform(reaction, time_);
    return conditions_.back().id;
}

void EngineDouble::removeConditionByLabel(const StringBase& label) {
    simpleCall(call("removeConditionByLabel", label));
    std::lock_guard<std::mutex> lock(mutex_);
    conditions_.erase(std::remove_if(conditions_.begin(), conditions_.end(),
                                     [&](const ConditionListEntry& entry) { return entry.label == label; }),
                      conditions_.end());
}

void EngineDouble::removeConditionById(int id) {
    simpleCall(call("removeConditionById", id));
    std::lock_guard<std::mutex> lock(mutex_);
    conditions_.erase(std::remove_if(conditions_.begin(), conditions_.end(),
                                     [&](const ConditionListEntry& entry) { return entry.id == id; }),
                      conditions_.end());
}

void EngineDouble::removeAllConditions() {
    simpleCall(call("removeAllConditions"));
    std::lock_guard<std::mutex> lock(mutex_);
    conditions_.clear();
}

void EngineDouble::getConditionList(std::vector<ConditionListEntry>& list) {
    simpleCall(call("getConditionList"));
    std::lock_guard<std::mutex> lock(mutex_);
    list = conditions_;
}

bool EngineDouble::quit(bool force, bool exit) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (std::optional<Reaction> reaction = record(call("quit", force, exit)))
        perform(reaction, time_);
    else
        end();
    return true;
}

void EngineDouble::exitSimulation() { simpleCall(call("exitSimulation")); }

void EngineDouble::terminate() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (std::optional<Reaction> reaction = record(call("terminate")))
        perform(reaction, time_);
    else
        end();
}

int EngineDouble::getTimeResolution() const {
    std::lock_guard<std::mutex> lock(mutex_);
    record(call("getTimeResolution"));
    return resolution_;
}

} // namespace Test
} // namespace Tavrin
