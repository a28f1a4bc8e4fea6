// The control interface: output to console and log under one lock, settings, engine requests and
// quitting.
#include "TclControlImpl.h"

#include <cstring>

#include "tavrin/TclCommandBase.h"
#include "tavrin/TclExceptions.h"

namespace Tavrin {

namespace {
TclControlImpl* currentControl = nullptr;
// How much of a failed command is repeated in its failure message.
constexpr std::size_t CommandEchoLimit = 200;
} // namespace

TclControlImpl* TclControlImpl::current() { return currentControl; }

TclControlImpl::TclControlImpl(IConsole* hostConsole, bool handleEngineHang)
    : eventHandler(new TclEventHandler(this, handleEngineHang)),
      console(hostConsole ? hostConsole : &StandardConsole::instance()) {
    currentControl = this;
}

TclControlImpl::~TclControlImpl() {
    if (interp != nullptr && commandTrace != nullptr && !Tcl_InterpDeleted(interp))
        Tcl_DeleteTrace(interp, commandTrace);
    delete liveSimClient;
    liveSimClient = nullptr;
    delete eventHandler;
    if (consoleBridge) consoleBridge->pipe.shutDown();
    consoleBridge.reset();
    if (currentControl == this) currentControl = nullptr;
    for (auto& entry : conditionScripts) delete entry.second;
    conditionScripts.clear();
    if (logStream) logStream->flush();
}

bool TclControlImpl::isStandardConsole() const { return console == &StandardConsole::instance(); }

void TclControlImpl::deliver(const std::string& text, bool toConsole, bool toLog) {
    std::lock_guard<std::mutex> guard(outputLock);
    messageBuffer << text;
    std::string message = messageBuffer.str();
    if (toConsole) {
        // Script output still travelling through the console pipe goes first.
        if (consoleBridge) consoleBridge->pipe.waitDelivered(2000);
        console->write(StringBase(message));
    }
    if (toLog && logStream) {
        logStream->write(message);
        const std::string error = logStream->takeError();
        if (!error.empty()) {
            // Told once, on the console only: the log itself cannot take it.
            if (!message.empty() && message.back() != '\n') message = "\n";
            else message.clear();
            console->write(StringBase(message + "Cannot write the log file " + logFileName +
                                      ": " + error + "; the log is incomplete from here on.\n"));
        }
    }
    messageBuffer.str(std::string());
    messageBuffer.clear();
}

void TclControlImpl::print(const StringBase& text, bool newline) {
    deliver(newline ? text.str() + "\n" : text.str(), true, true);
}

void TclControlImpl::printToLog(const StringBase& text, bool newline) {
    deliver(newline ? text.str() + "\n" : text.str(), false, true);
}

void TclControlImpl::writePrompt(const StringBase& text) {
    std::lock_guard<std::mutex> guard(outputLock);
    if (consoleBridge) {
        consoleBridge->pipe.waitDelivered(2000);
        consoleBridge->lineAsked = true;
    }
    console->writePrompt(text);
}

void TclControlImpl::reportError(const Orvex::Exception& e, const char* prefix) {
    // A command that found the engine gone: the engine's end and its cause are told first.
    if (std::strcmp(e.getDescription(), "Simulation engine is not running") == 0)
        eventHandler->awaitEndReport();
    std::string text;
    if (prefix != nullptr && *prefix != '\0') text = std::string(prefix) + ": ";
    if (*e.getDescription() != '\0') text += std::string(e.getDescription()) + "\n";
    deliver(text, true, true);
}

void TclControlImpl::reportEngineFailure(const Orvex::Exception& e) {
    // A failure while this very report is quitting the engine must not start another round.
    if (reportingEngineFailure) return;
    reportingEngineFailure = true;
    // The command is repeated for orientation, not in full: a script may pass a huge value.
    std::string command = currentCommand;
    if (command.size() > CommandEchoLimit)
        command = command.substr(0, CommandEchoLimit) + "... (" +
                  std::to_string(command.size()) + " characters)";
    deliver("Command failed: " + command + " " + e.getDescription() +
                "\nSimulation engine not responding\n",
            true, true);
    endHungEngine();
    quit(true, false);
    reportingEngineFailure = false;
}

void TclControlImpl::endHungEngine() {
    const bool ended = eventHandler->engineEnded();
    if (simulationControl != nullptr) {
        try {
            // Kills the engine's process group: the time-0 keeper and the running child.
            simulationControl->terminate();
            if (!ended) deliver("The simulation engine has been ended.\n", true, true);
        } catch (const Orvex::Exception&) {
            // The engine is already lost; ending it is best effort.
        }
    }
    // From now on quit and exit address the GUI, whether or not the engine's own termination
    // event has arrived yet.
    eventHandler->giveUpEngine();
    engineLost = true;
}

ISimulationControl* TclControlImpl::swapSimulationControl(ISimulationControl* control) {
    ISimulationControl* previous = simulationControl;
    simulationControl = control;
    return previous;
}

int TclControlImpl::hostExitStatus() const {
    if (exitStatus == 0 && (engineLost || outputFailed())) return 1;
    return exitStatus;
}

void TclControlImpl::traceCommand(const std::string& line) {
    currentCommand = line;
    printToLog(line, true);
}

IReader* TclControlImpl::getReader() {
    if (liveSimClient != nullptr) return liveSimClient->getReader();
    return reader;
}

int TclControlImpl::runOnErrorScript() {
    if (onErrorScript.empty() || interp == nullptr) return TCL_ERROR;
    return Tcl_Eval(interp, onErrorScript.c_str());
}

// After an engine failure has been reported the simulation is over: the post-request
// processing would only report the same end a second time.
void TclControlImpl::runFor(std::int64_t time) {
    if (eventHandler->request(TclEventHandler::RunForTime, time)) eventHandler->postRequest();
}

void TclControlImpl::runAll() {
    if (eventHandler->request(TclEventHandler::RunAll, 0)) eventHandler->postRequest();
}

void TclControlImpl::step() {
    if (eventHandler->request(TclEventHandler::Step, 0)) eventHandler->postRequest();
}

void TclControlImpl::restart() {
    if (!eventHandler->request(TclEventHandler::Restart, 0)) return;
    onErrorScript = StringBase();
    IReader* designReader = getReader();
    if (designReader != nullptr && simulationControl != nullptr) {
        IBlock* root = designReader->getDesignRoot();
        if (root != nullptr && root->getChildCount() > 0)
            simulationControl->setCurrentScope(root->getChild(0));
    }
    eventHandler->postRequest();
}

void TclControlImpl::stop() {
    if (simulationControl != nullptr) simulationControl->stop();
}

void TclControlImpl::setArrayDisplayLength(int length) {
    if (simulationControl != nullptr) simulationControl->setArrayDisplayLength(length);
    arrayDisplayLength = length;
}

void TclControlImpl::setMaxTraceableSize(int size) {
    if (simulationControl != nullptr) simulationControl->setMaxTraceableSize(size);
    maxTraceableSize = size;
}

void TclControlImpl::quit(bool force, bool exitGui) {
    const bool engineGone = eventHandler->engineEnded();
    bool accepted = false;
    if (engineGone) {
        if (!exitGui) return;
        // Without a GUI there is nobody to ask: a console-only shell simply ends.
        accepted = true;
        if (guiControl != nullptr) {
            try {
                accepted = guiControl->quit(force, exitGui);
            } catch (const CommandErrorException&) {
                failCommand(this, std::current_exception(), FailureContext{nullptr, nullptr, false});
                accepted = true;
            } catch (const Orvex::InterruptException&) {
                // A window that does not answer is left behind; the shell still quits.
                accepted = true;
            }
        }
    } else if (simulationControl != nullptr) {
        try {
            accepted = simulationControl->quit(force, exitGui);
        } catch (const Orvex::Exception&) {
            // Quitting goes on whatever the engine answered; what failed is told as usual.
            failCommand(this, std::current_exception(), FailureContext{nullptr, nullptr, false});
            accepted = true;
        }
    } else {
        accepted = true;
    }
    if (accepted && exitGui) leaveShell();
}

} // namespace Tavrin
