// The library's front door: the control object that starts the engine and runs the Tcl shell,
// and the factory that makes it.
#pragma once

#include <tcl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "orvex/ISimulationControl.h"
#include "orvex/IReader.h"
#include "orvex/Radix.h"
#include "tavrin/IConsole.h"

namespace Tavrin {

class IGuiControl;
class LiveSimClient;
class TclControlImpl;
class IEventHandler;

/// What a host holds: starts the engine, runs the shell, and gives access to the engine control
/// and the design data. Leaving the shell throws Orvex::EndOfInputException out of startTcl.
class ITclObject {
public:
    virtual ~ITclObject() = default;
    virtual void startEngineProcess(const char* logFileName, bool noLog) = 0;
    virtual int startTcl(const char* programName, const char* batchFile,
                         int (*appInit)(Tcl_Interp*)) = 0;
    virtual void saveCommandLineToLog(int argc, char* const* argv) = 0;
    virtual ISimulationControl* changeSimControl(ISimulationControl* control) = 0;
    virtual ISimulationControl* getSimulationControl() const = 0;
    virtual void setGuiControl(IGuiControl* gui) = 0;
    virtual IReader* getReader() const = 0;
    virtual void shutDown() = 0;
    virtual void setRadix(Radix radix) = 0;
    virtual void closeLiveSimClient() = 0;
    virtual void setLiveSimClient(LiveSimClient* client) = 0;
    virtual void setReader(IReader* reader) = 0;
    virtual std::int64_t getTimePrecision() const = 0;
};

/// Makes controls: with the host's console, or on standard input and output.
class ITclObjectFactory {
public:
    virtual ITclObject* createTclObject(IConsole& console) const = 0;
    virtual ITclObject* createTclObjectUseStdio() const = 0;
    virtual ~ITclObjectFactory() = default;
};

/// The factory of TclControl objects; it has no state.
class TclControlFactory : public ITclObjectFactory {
public:
    ITclObject* createTclObject(IConsole& console) const override;
    ITclObject* createTclObjectUseStdio() const override;
};

/// The control object: owns the implementation that holds the settings, the log, the event
/// handler and, once handed over, the live simulation client. One control exists at a time.
class TclControl : public ITclObject {
public:
    /// `console` may be null (standard console); `handleEngineHang` enables the hang event.
    TclControl(IConsole* console, bool handleEngineHang);
    ~TclControl() override;
    TclControl(const TclControl&) = delete;
    TclControl& operator=(const TclControl&) = delete;

    void startEngineProcess(const char* logFileName, bool noLog) override;
    int startTcl(const char* programName, const char* batchFile,
                 int (*appInit)(Tcl_Interp*)) override;
    void saveCommandLineToLog(int argc, char* const* argv) override;
    ISimulationControl* changeSimControl(ISimulationControl* control) override;
    ISimulationControl* getSimulationControl() const override;
    void setGuiControl(IGuiControl* gui) override;
    IReader* getReader() const override;
    void shutDown() override;
    void setRadix(Radix radix) override;
    void closeLiveSimClient() override;
    void setLiveSimClient(LiveSimClient* client) override;
    void setReader(IReader* reader) override;
    std::int64_t getTimePrecision() const override;

    /// The status given to Tcl's exit when the shell was left that way (0 otherwise), and
    /// whether the batch file stopped with an error; hosts use them for their exit code.
    int getExitStatus() const;
    bool batchFileFailed() const;
    /// Whether a command read from standard input that is not a terminal failed (its onerror
    /// script, when set, did not turn the failure into success).
    bool commandFailed() const;

    /// Asks the shell to leave before it reads or runs another command, as at the end of its
    /// input. Safe from any thread (a signal watcher); a command already running is not cut
    /// short by this alone.
    void requestLeave();
    /// Lines of earlier sessions for Tcl's history, so that `history` lists them; given before
    /// startTcl.
    void setEarlierHistory(const std::vector<std::string>& lines);
    /// Commands run once the batch file (if any) has run and before standard input is read (a
    /// host's one-liner); given before startTcl. An error in them ends the session as an error
    /// in the batch file does, and batchFileFailed() is then true.
    void setStartupCommands(const std::string& script);

    /// The implementation, for hosts and tests that drive the control interface directly.
    TclControlImpl* getImpl() const { return impl_; }

private:
    TclControlImpl* impl_;
};

} // namespace Tavrin
