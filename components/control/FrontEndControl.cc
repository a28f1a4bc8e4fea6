// The engine-control operations, each as its protocol request, and the mapping of the paths in
// the engine's answers back to the reader's objects.
#include "orvex/FrontEndControl.h"

#include <cstdlib>

#include "EngineConnection.h"

namespace Tavrin {

namespace {

using Orvex::Mi::Value;
using Args = std::vector<std::string>;

const char* const radixNames[] = {"noradix", "default", "bin",   "unsigned",
                                  "hex",     "dec",     "ascii", "oct"};
constexpr int radixCount = sizeof radixNames / sizeof radixNames[0];

std::string radixName(int radix) {
    return radix >= 0 && radix < radixCount ? radixNames[radix] : "default";
}

// A radix as the engine lists it: a name, or its number.
int radixNumber(const std::string& text) {
    for (int i = 0; i < radixCount; ++i)
        if (text == radixNames[i])
            return i;
    char* end = nullptr;
    const long number = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0' && number >= 0 && number < radixCount
               ? static_cast<int>(number)
               : DefaultRadix;
}

std::string flag(bool on) { return on ? "1" : "0"; }

// How long `quit` and `exit` wait for an answer: leaving must not hang on a hung engine, which
// is then ended by the caller.
constexpr std::chrono::milliseconds QuitWait(5000);

const IDataObj* needObject(const IDataObj* object) {
    if (!object)
        ORVEX_THROW(CommandErrorException, "Object not found");
    return object;
}

std::string objectPath(const IDataObj* object) { return needObject(object)->getPath().str(); }

// The path of a block argument; the design root and null stand for the whole design.
std::string blockPath(const IBlock* block) { return block ? block->getPath().str() : ""; }

const std::vector<Value>& listOf(const Value& result, const char* name) {
    static const std::vector<Value> none;
    const Value* list = result.find(name);
    return list && list->kind == Value::Kind::List ? list->items : none;
}

} // namespace

FrontEndControl::FrontEndControl(BoostProcessTransport& transport, DataReader& reader,
                                 bool handleEngineHang)
    : reader_(reader),
      connection_(std::make_unique<EngineConnection>(transport, reader, handleEngineHang)) {}

FrontEndControl::~FrontEndControl() = default;

void FrontEndControl::setRequestTimeout(std::chrono::milliseconds timeout) {
    connection_->setRequestTimeout(timeout);
}

void FrontEndControl::addEventHandler(IEventHandler* handler) {
    connection_->addEventHandler(handler);
}

void FrontEndControl::addBreakpoint(const BreakpointLocation& location) {
    connection_->request("bp-add", {location.file.str(), std::to_string(location.line)});
}

void FrontEndControl::removeBreakpoint(int index) {
    connection_->request("bp-remove", {std::to_string(index)});
}

void FrontEndControl::clearBreakpoints() { connection_->request("bp-clear", {}); }

void FrontEndControl::getBreakpointList(std::vector<BreakpointListEntry>& list) {
    const Value result = connection_->request("bp-list", {});
    list.clear();
    for (const Value& entry : listOf(result, "breakpoints")) {
        BreakpointListEntry breakpoint;
        breakpoint.index = static_cast<int>(entry.getInt("index"));
        breakpoint.file = entry.get("file");
        breakpoint.line = static_cast<int>(entry.getInt("line"));
        list.push_back(breakpoint);
    }
}

IBlock* FrontEndControl::getCurrentScope() const { return reader_.getCurrentScope(); }

void FrontEndControl::setCurrentScope(IBlock* block) {
    if (!block || !reader_.contains(block))
        ORVEX_THROW(CommandErrorException, "No such HDL block.");
    reader_.setCurrentScope(block);
}

void FrontEndControl::setArrayDisplayLength(int length) {
    connection_->request("array-display-length", {std::to_string(length)});
}

void FrontEndControl::setMaxTraceableSize(int size) {
    connection_->request("max-traceable-size", {std::to_string(size)});
}

void FrontEndControl::getValue(const IDataObj* object, StringBase& value, Radix radix) const {
    value = connection_->request("value", {objectPath(object), radixName(radix)}).get("value");
}

void FrontEndControl::getBlockValues(const IBlock* block, ValueMap& values, Radix radix) const {
    if (!block)
        ORVEX_THROW(CommandErrorException, "No such HDL block.");
    const Value result = connection_->request("values", {blockPath(block), radixName(radix)});
    for (const Value& entry : listOf(result, "values"))
        if (auto* object = dynamic_cast<const IDataObj*>(reader_.findObject(entry.get("path"))))
            values[object] = entry.get("value");
}

void FrontEndControl::setValue(const IDataObj* object, const StringBase& value, Radix radix) {
    connection_->request("set-value", {objectPath(object), value.str(), radixName(radix)});
}

void FrontEndControl::addForce(const IDataObj* object, const ForceCriteria& criteria) {
    Args args{objectPath(object), std::to_string(criteria.repeat),
              std::to_string(criteria.cancel)};
    for (const ForceValue& value : criteria.values) {
        args.push_back(value.value.str());
        args.push_back(std::to_string(value.time));
        args.push_back(radixName(value.radix));
    }
    connection_->request("force-add", args);
}

void FrontEndControl::removeForce(const IDataObj* object) {
    connection_->request("force-remove", {objectPath(object)});
}

void FrontEndControl::getDrivers(const IDataObj* object, DriverMap& drivers) const {
    const Value result = connection_->request("drivers", {objectPath(object)});
    for (const Value& entry : listOf(result, "drivers")) {
        const IObject* net = reader_.findObject(entry.get("object"));
        const IObject* driver = reader_.findObject(entry.get("driver"));
        if (!net || !driver)
            continue;
        std::string text = entry.get("text");
        drivers[net].push_back(DriverRecord{driver, text.empty() ? entry.get("kind") : text});
    }
}

void FrontEndControl::getLoads(const IDataObj* object, LoadMap& loads) const {
    const Value result = connection_->request("loads", {objectPath(object)});
    for (const Value& entry : listOf(result, "loads")) {
        const IObject* net = reader_.findObject(entry.get("object"));
        const IObject* load = reader_.findObject(entry.get("load"));
        if (net && load)
            loads[net].push_back(LoadRecord{load, static_cast<int>(entry.getInt("index"))});
    }
}

void FrontEndControl::restart() { connection_->request("restart", {}); }

void FrontEndControl::run(std::int64_t time) {
    connection_->request("run", {std::to_string(time)});
}

void FrontEndControl::step() { connection_->request("step", {}); }

void FrontEndControl::runAll() { connection_->request("run-all", {}); }

void FrontEndControl::stop() { connection_->request("stop", {}); }

EngineStatus& FrontEndControl::getStatus(EngineStatus& status) const {
    const Value result = connection_->request("status", {});
    status.code = static_cast<std::uint32_t>(result.getInt("code"));
    status.time = result.getInt("time");
    status.text = result.get("text");
    status.detail = result.get("detail");
    return status;
}

void FrontEndControl::ntraceStart() {
    if (!databaseNamed_ && !reader_.getDatabaseFile().empty()) {
        connection_->request("wdb", {reader_.getDatabaseFile().str()});
        databaseNamed_ = true;
    }
    connection_->request("ntrace-start", {});
}

void FrontEndControl::ntraceStop() { connection_->request("ntrace-stop", {}); }

void FrontEndControl::ntraceSelectBlock(const IBlock* block, bool all, bool on) {
    connection_->request("ntrace-select-block", {blockPath(block), flag(all), flag(on)});
}

void FrontEndControl::ntraceSelectObject(const IDataObj* object, bool on) {
    connection_->request("ntrace-select-object", {objectPath(object), flag(on)});
}

void FrontEndControl::ptraceOn() { connection_->request("ptrace", {"1"}); }
void FrontEndControl::ptraceOff() { connection_->request("ptrace", {"0"}); }
void FrontEndControl::ltraceOn() { connection_->request("ltrace", {"1"}); }
void FrontEndControl::ltraceOff() { connection_->request("ltrace", {"0"}); }

void FrontEndControl::annotateSdf(int kind, const StringBase& file, const IBlock* root,
                                  bool noerror, bool nowarn) {
    connection_->request("sdf-annotate", {std::to_string(kind), file.str(), blockPath(root),
                                          flag(noerror), flag(nowarn)});
}

void FrontEndControl::setPathPulse(std::int64_t reject, std::int64_t error) {
    connection_->request("path-pulse", {std::to_string(reject), std::to_string(error)});
}

void FrontEndControl::setPulseStyle(int style) {
    connection_->request("pulse-style", {std::to_string(style)});
}

void FrontEndControl::setShowCancelled(bool on) {
    connection_->request("show-cancelled", {flag(on)});
}

void FrontEndControl::vcdDumpFile(const StringBase& name) {
    connection_->request("vcd-file", {name.str()});
}

void FrontEndControl::vcdDumpFlush() { connection_->request("vcd-flush", {}); }
void FrontEndControl::vcdDumpOn() { connection_->request("vcd-on", {}); }
void FrontEndControl::vcdDumpOff() { connection_->request("vcd-off", {}); }

void FrontEndControl::vcdDumpVars(const IBlock* block, int level) {
    connection_->request("vcd-vars", {blockPath(block), std::to_string(level)});
}

void FrontEndControl::vcdDumpLimit(std::int64_t bytes) {
    connection_->request("vcd-limit", {std::to_string(bytes)});
}

void FrontEndControl::saifOpen(const IBlock* block, const StringBase& file, bool allnets,
                               int level) {
    connection_->request("saif-open",
                         {blockPath(block), file.str(), flag(allnets), std::to_string(level)});
}

void FrontEndControl::saifClose() { connection_->request("saif-close", {}); }

int FrontEndControl::addCondition(const Condition& condition) {
    const Value result = connection_->request(
        "cond-add", {condition.expression.str(), radixName(condition.radix), condition.label.str()});
    return static_cast<int>(result.getInt("id"));
}

void FrontEndControl::removeConditionByLabel(const StringBase& label) {
    connection_->request("cond-remove-label", {label.str()});
}

void FrontEndControl::removeConditionById(int id) {
    connection_->request("cond-remove-id", {std::to_string(id)});
}

void FrontEndControl::removeAllConditions() { connection_->request("cond-clear", {}); }

void FrontEndControl::getConditionList(std::vector<ConditionListEntry>& list) {
    const Value result = connection_->request("cond-list", {});
    list.clear();
    for (const Value& entry : listOf(result, "conditions")) {
        ConditionListEntry condition;
        condition.id = static_cast<int>(entry.getInt("id"));
        condition.expression = entry.get("expression");
        condition.radix = radixNumber(entry.get("radix"));
        condition.label = entry.get("label");
        list.push_back(condition);
    }
}

bool FrontEndControl::quit(bool force, bool exit) {
    using Policy = EngineConnection::EndPolicy;
    const Value result =
        connection_->request("quit", {flag(force), flag(exit)}, Policy::Accepted, QuitWait);
    // An engine that has ended (before or instead of answering) has quit.
    return result.fields.empty() || result.get("accepted") == "1";
}

void FrontEndControl::exitSimulation() {
    if (!connection_->isRunning())
        return;
    connection_->expectEnd();
    connection_->request("exit", {}, EngineConnection::EndPolicy::Accepted, QuitWait);
}

void FrontEndControl::terminate() { connection_->terminate(); }

int FrontEndControl::getTimeResolution() const { return connection_->getResolution(); }

} // namespace Tavrin
