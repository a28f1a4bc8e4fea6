// The one object through which every command reaches the engine, the design data, the GUI, the
// console, the simulation log and the shell settings.
#pragma once

#include <cstdint>
#include <map>

#include "orvex/Exceptions.h"
#include "orvex/ISimulationControl.h"
#include "orvex/IReader.h"
#include "orvex/Radix.h"
#include "orvex/StringBase.h"

namespace Tavrin {

class IGuiControl;

/// A condition added with `orvex condition add`: its script and how it was typed.
struct TclCondition {
    StringBase script;
    StringBase expression;
    StringBase label;
    int radix = 0;
    int id = 0;
    bool radixGiven = false;
    bool labelGiven = false;
};

/// What every command holds: output (console and log under one lock), access to the outside
/// components, the settings that live as long as the control, and the blocking engine requests.
class TclControlInterface {
public:
    virtual ~TclControlInterface() = default;
    /// Sends one message to the console and the log; `newline` adds a line end.
    virtual void print(const StringBase& text, bool newline) = 0;
    virtual void printToLog(const StringBase& text, bool newline) = 0;
    /// Prints "prefix: " (when given) and the description with a line end (when non-empty).
    virtual void reportError(const Orvex::Exception& e, const char* prefix) = 0;
    /// Reports an engine that stopped answering, ends it and quits without leaving the GUI.
    virtual void reportEngineFailure(const Orvex::Exception& e) = 0;
    virtual IReader* getReader() = 0;
    virtual ISimulationControl* getSimulationControl() = 0;
    virtual IGuiControl* getGuiControl() = 0;
    /// TCL_ERROR without an onerror script, else the code of evaluating it.
    virtual int runOnErrorScript() = 0;
    virtual void setOnErrorScript(const StringBase& script) = 0;
    virtual StringBase getOnErrorScript() = 0;
    virtual Radix getRadix() = 0;
    virtual void setRadix(Radix radix) = 0;
    virtual int getUserUnit() = 0;
    virtual void setUserUnit(int unit) = 0;
    /// The engine's time resolution as a power of ten of seconds, read when it started (-15
    /// without an engine).
    virtual int getTimeResolution() = 0;
    virtual void runFor(std::int64_t time) = 0;
    virtual void runAll() = 0;
    virtual void restart() = 0;
    virtual void stop() = 0;
    virtual void step() = 0;
    virtual void setArrayDisplayLength(int length) = 0;
    virtual int getArrayDisplayLength() = 0;
    virtual void setMaxTraceableSize(int size) = 0;
    virtual int getMaxTraceableSize() = 0;
    virtual void quit(bool force, bool exitGui) = 0;
    virtual std::map<int, TclCondition*>& getConditionScripts() = 0;
};

} // namespace Tavrin
