// ValueOnlyControl: a simulation control that only answers value requests, for tests of the
// routines that print object values.
#pragma once

#include <map>

#include "orvex/ISimulationControl.h"

namespace Tavrin {

/// Answers getValue and getBlockValues from values set by the test; every other operation does
/// nothing and reports nothing.
class ValueOnlyControl : public ISimulationControl {
public:
    void setValue(const IDataObj* object, const StringBase& value, Radix) override {
        if (object)
            values_[object->getParent()][object] = value;
    }
    void getValue(const IDataObj* object, StringBase& value, Radix radix) const override {
        lastRadix = radix;
        value = StringBase();
        if (!object)
            return;
        auto block = values_.find(object->getParent());
        if (block == values_.end())
            return;
        auto found = block->second.find(object);
        if (found != block->second.end())
            value = found->second;
    }
    void getBlockValues(const IBlock* block, ValueMap& values, Radix radix) const override {
        lastRadix = radix;
        auto found = values_.find(block);
        if (found != values_.end())
            values = found->second;
    }

    /// The radix of the last value request.
    mutable Radix lastRadix = NoRadix;

    void addEventHandler(IEventHandler*) override {}
    void addBreakpoint(const BreakpointLocation&) override {}
    void removeBreakpoint(int) override {}
    void clearBreakpoints() override {}
    void getBreakpointList(std::vector<BreakpointListEntry>&) override {}
    IBlock* getCurrentScope() const override { return nullptr; }
    void setCurrentScope(IBlock*) override {}
    void setArrayDisplayLength(int) override {}
    void setMaxTraceableSize(int) override {}
    void addForce(const IDataObj*, const ForceCriteria&) override {}
    void removeForce(const IDataObj*) override {}
    void getDrivers(const IDataObj*, DriverMap&) const override {}
    void getLoads(const IDataObj*, LoadMap&) const override {}
    void restart() override {}
    void run(std::int64_t) override {}
    void step() override {}
    void runAll() override {}
    void stop() override {}
    EngineStatus& getStatus(EngineStatus& status) const override { return status; }
    void ntraceStart() override {}
    void ntraceStop() override {}
    void ntraceSelectBlock(const IBlock*, bool, bool) override {}
    void ntraceSelectObject(const IDataObj*, bool) override {}
    void ptraceOn() override {}
    void ptraceOff() override {}
    void ltraceOn() override {}
    void ltraceOff() override {}
    void annotateSdf(int, const StringBase&, const IBlock*, bool, bool) override {}
    void setPathPulse(std::int64_t, std::int64_t) override {}
    void setPulseStyle(int) override {}
    void setShowCancelled(bool) override {}
    void vcdDumpFile(const StringBase&) override {}
    void vcdDumpFlush() override {}
    void vcdDumpOn() override {}
    void vcdDumpOff() override {}
    void vcdDumpVars(const IBlock*, int) override {}
    void vcdDumpLimit(std::int64_t) override {}
    void saifOpen(const IBlock*, const StringBase&, bool, int) override {}
    void saifClose() override {}
    int addCondition(const Condition&) override { return 0; }
    void removeConditionByLabel(const StringBase&) override {}
    void removeConditionById(int) override {}
    void removeAllConditions() override {}
    void getConditionList(std::vector<ConditionListEntry>&) override {}
    bool quit(bool, bool) override { return true; }
    void exitSimulation() override {}
    void terminate() override {}
    int getTimeResolution() const override { return -15; }

private:
    std::map<const IBlock*, ValueMap> values_;
};

} // namespace Tavrin
