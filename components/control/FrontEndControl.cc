// The engine-control operations, each as its protocol request, and the mapping of the paths in
// the engine's answers back to the reader's objects.
#include "orvex/FrontEndControl.h"

#include <cstdlib>

#include "EngineConnection.h"
#include "ProtocolWords.h"

namespace Tavrin {

namespace {

using Orvex::Mi::Value;
using Args = std::vector<std::string>;

using Orvex::Protocol::RadixCount;
using Orvex::Protocol::RadixNames;
namespace Request = Orvex::Protocol::Request;
namespace Field = Orvex::Protocol::Field;

std::string radixName(int radix) {
    return radix >= 0 && radix < RadixCount ? RadixNames[radix] : "default";
}

// A radix as the engine lists it: a name, or its number.
int radixNumber(const std::string& text) {
    for (int i = 0; i < RadixCount; ++i)
        if (text == RadixNames[i])
            return i;
    char* end = nullptr;
    const long number = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0' && number >= 0 && number < RadixCount
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
    connection_->request(Request::BpAdd, {location.file.str(), std::to_string(location.line)});
}

void FrontEndControl::removeBreakpoint(int index) {
    connection_->request(Request::BpRemove, {std::to_string(index)});
}

void FrontEndControl::clearBreakpoints() { connection_->request(Request::BpClear, {}); }

void FrontEndControl::getBreakpointList(std::vector<BreakpointListEntry>& list) {
    const Value result = connection_->request(Request::BpList, {});
    list.clear();
    for (const Value& entry : listOf(result, Field::Breakpoints)) {
        BreakpointListEntry breakpoint;
        breakpoint.index = static_cast<int>(entry.getInt(Field::Index));
        breakpoint.file = entry.get(Field::File);
        breakpoint.line = static_cast<int>(entry.getInt(Field::Line));
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
    connection_->request(Request::ArrayDisplayLength, {std::to_string(length)});
}

void FrontEndControl::setMaxTraceableSize(int size) {
    connection_->request(Request::MaxTraceableSize, {std::to_string(size)});
}

void FrontEndControl::getValue(const IDataObj* object, StringBase& value, Radix radix) const {
    value = connection_->request(Request::Value, {objectPath(object), radixName(radix)}).get(Field::Value);
}

void FrontEndControl::getBlockValues(const IBlock* block, ValueMap& values, Radix radix) const {
    if (!block)
        ORVEX_THROW(CommandErrorException, "No such HDL block.");
    const Value result = connection_->request(Request::Values, {blockPath(block), radixName(radix)});
    for (const Value& entry : listOf(result, Field::Values))
        if (auto* object = dynamic_cast<const IDataObj*>(reader_.findObject(entry.get(Field::Path))))
            values[object] = entry.get(Field::Value);
}

void FrontEndControl::setValue(const IDataObj* object, const StringBase& value, Radix radix) {
    connection_->request(Request::SetValue, {objectPath(object), value.str(), radixName(radix)});
}

void FrontEndControl::addForce(const IDataObj* object, const ForceCriteria& criteria) {
    Args args{objectPath(object), std::to_string(criteria.repeat),
              std::to_string(criteria.cancel)};
    for (const ForceValue& value : criteria.values) {
        args.push_back(value.value.str());
        args.push_back(std::to_string(value.time));
        args.push_back(radixName(value.radix));
    }
    connection_->request(Request::ForceAdd, args);
}

void FrontEndControl::removeForce(const IDataObj* object) {
    connection_->request(Request::ForceRemove, {objectPath(object)});
}

void FrontEndControl::getDrivers(const IDataObj* object, DriverMap& drivers) const {
    const Value result = connection_->request(Request::Drivers, {objectPath(object)});
    for (const Value& entry : listOf(result, Field::Drivers)) {
        const IObject* net = reader_.findObject(entry.get(Field::Object));
        const IObject* driver = reader_.findObject(entry.get(Field::Driver));
        if (!net || !driver)
            continue;
        std::string text = entry.get(Field::Text);
        drivers[net].push_back(DriverRecord{driver, text.empty() ? entry.get(Field::Kind) : text});
    }
}

void FrontEndControl::getLoads(const IDataObj* object, LoadMap& loads) const {
    const Value result = connection_->request(Request::Loads, {objectPath(object)});
    for (const Value& entry : listOf(result, Field::Loads)) {
        const IObject* net = reader_.findObject(entry.get(Field::Object));
        const IObject* load = reader_.findObject(entry.get(Field::Load));
        if (net && load)
            loads[net].push_back(LoadRecord{load, static_cast<int>(entry.getInt(Field::Index))});
    }
}

void FrontEndControl::restart() { connection_->request(Request::Restart, {}); }

void FrontEndControl::run(std::int64_t time) {
    connection_->request(Request::Run, {std::to_string(time)});
}

void FrontEndControl::step() { connection_->request(Request::Step, {}); }

void FrontEndControl::runAll() { connection_->request(Request::RunAll, {}); }

void FrontEndControl::stop() { connection_->request(Request::Stop, {}); }

EngineStatus& FrontEndControl::getStatus(EngineStatus& status) const {
    const Value result = connection_->request(Request::Status, {});
    status.code = static_cast<std::uint32_t>(result.getInt(Field::Code));
    status.time = result.getInt(Field::Time);
    status.text = result.get(Field::Text);
    status.detail = result.get(Field::Detail);
    return status;
}

void FrontEndControl::ntraceStart() {
    if (!databaseNamed_ && !reader_.getDatabaseFile().empty()) {
        connection_->request(Request::Wdb, {reader_.getDatabaseFile().str()});
        databaseNamed_ = true;
    }
    connection_->request(Request::NtraceStart, {});
}

void FrontEndControl::ntraceStop() { connection_->request(Request::NtraceStop, {}); }

void FrontEndControl::ntraceSelectBlock(const IBlock* block, bool all, bool on) {
    connection_->request(Request::NtraceSelectBlock, {blockPath(block), flag(all), flag(on)});
}

void FrontEndControl::ntraceSelectObject(const IDataObj* object, bool on) {
    connection_->request(Request::NtraceSelectObject, {objectPath(object), flag(on)});
}

void FrontEndControl::ptraceOn() { connection_->request(Request::Ptrace, {"1"}); }
void FrontEndControl::ptraceOff() { connection_->request(Request::Ptrace, {"0"}); }
void FrontEndControl::ltraceOn() { connection_->request(Request::Ltrace, {"1"}); }
void FrontEndControl::ltraceOff() { connection_->request(Request::Ltrace, {"0"}); }

void FrontEndControl::annotateSdf(int kind, const StringBase& file, const IBlock* root,
                                  bool noerror, bool nowarn) {
    connection_->request(Request::SdfAnnotate, {std::to_string(kind), file.str(), blockPath(root),
                                          flag(noerror), flag(nowarn)});
}

void FrontEndControl::setPathPulse(std::int64_t reject, std::int64_t error) {
    connection_->request(Request::PathPulse, {std::to_string(reject), std::to_string(error)});
}

void FrontEndControl::setPulseStyle(int style) {
    connection_->request(Request::PulseStyle, {std::to_string(style)});
}

void FrontEndControl::setShowCancelled(bool on) {
    connection_->request(Request::ShowCancelled, {flag(on)});
}

void FrontEndControl::vcdDumpFile(const StringBase& name) {
    connection_->request(Request::VcdFile, {name.str()});
}

void FrontEndControl::vcdDumpFlush() { connection_->request(Request::VcdFlush, {}); }
void FrontEndControl::vcdDumpOn() { connection_->request(Request::VcdOn, {}); }
void FrontEndControl::vcdDumpOff() { connection_->request(Request::VcdOff, {}); }

void FrontEndControl::vcdDumpVars(const IBlock* block, int level) {
    connection_->request(Request::VcdVars, {blockPath(block), std::to_string(level)});
}

void FrontEndControl::vcdDumpLimit(std::int64_t bytes) {
    connection_->request(Request::VcdLimit, {std::to_string(bytes)});
}

void FrontEndControl::saifOpen(const IBlock* block, const StringBase& file, bool allnets,
                               int level) {
    connection_->request(Request::SaifOpen,
                         {blockPath(block), file.str(), flag(allnets), std::to_string(level)});
}

void FrontEndControl::saifClose() { connection_->request(Request::SaifClose, {}); }

int FrontEndControl::addCondition(const Condition& condition) {
    // Names in the expression resolve against the current scope, as every command's do.
    const Value result = connection_->request(Request::CondAdd, {condition.expression.str(), radixName(condition.radix), condition.label.str(),
                     blockPath(reader_.getCurrentScope())});
    return static_cast<int>(result.getInt(Field::Id));
}

void FrontEndControl::removeConditionByLabel(const StringBase& label) {
    connection_->request(Request::CondRemoveLabel, {label.str()});
}

void FrontEndControl::removeConditionById(int id) {
    connection_->request(Request::CondRemoveId, {std::to_string(id)});
}

void FrontEndControl::removeAllConditions() { connection_->request(Request::CondClear, {}); }

void FrontEndControl::getConditionList(std::vector<ConditionListEntry>& list) {
    const Value result = connection_->request(Request::CondList, {});
    list.clear();
    for (const Value& entry : listOf(result, Field::Conditions)) {
        ConditionListEntry condition;
        condition.id = static_cast<int>(entry.getInt(Field::Id));
        condition.expression = entry.get(Field::Expression);
        condition.radix = radixNumber(entry.get(Field::Radix));
        condition.label = entry.get(Field::Label);
        list.push_back(condition);
    }
}

bool FrontEndControl::quit(bool force, bool exit) {
    using Policy = EngineConnection::EndPolicy;
    const Value result =
        connection_->request(Request::Quit, {flag(force), flag(exit)}, Policy::Accepted, QuitWait);
    // An engine that has ended (before or instead of answering) has quit.
    return result.fields.empty() || result.get(Field::Accepted) == "1";
}

void FrontEndControl::exitSimulation() {
    if (!connection_->isRunning())
        return;
    connection_->expectEnd();
    connection_->request(Request::Exit, {}, EngineConnection::EndPolicy::Accepted, QuitWait);
}

void FrontEndControl::terminate() { connection_->terminate(); }

int FrontEndControl::getTimeResolution() const { return connection_->getResolution(); }

} // namespace Tavrin
