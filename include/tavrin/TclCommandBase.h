// The command class tree: every Tcl command is a TclCommand registered with the interpreter;
// every word below it is a TclSubCommand created for one invocation by a TclSubCommandFactory.
#pragma once

#include <tcl.h>

#include <exception>
#include <string>
#include <unordered_map>
#include <vector>

#include "orvex/StringBase.h"
#include "tavrin/TclControlInterface.h"
#include "tavrin/TclExceptions.h"

namespace Tavrin {

class TclCommandBase;
class TclSubCommand;

using SubCommandCreator = TclSubCommand* (*)(const TclCommandBase* parent, TclControlInterface* tcl);

/// Maps subcommand words (exact, whole-word match) to the functions that create them.
class TclSubCommandFactory {
public:
    TclSubCommandFactory();
    void addCommandCreator(const StringBase& word, SubCommandCreator creator);
    /// A new subcommand for the word, or null when the word is empty or unknown.
    TclSubCommand* createCommand(const TclCommandBase* parent, TclControlInterface* tcl,
                                 const StringBase& word) const;
    /// Every registered word, in the table's own order.
    std::vector<StringBase> getSubCommands() const;

    /// The hash of a word: djb2 over the bytes taken as signed chars, 32-bit.
    struct WordHash {
        std::size_t operator()(const StringBase& word) const;
    };

private:
    std::unordered_map<StringBase, SubCommandCreator, WordHash> creators_;
};

/// Base of every command: its place in the command tree, its texts, and parsing and action.
class TclCommandBase {
public:
    TclCommandBase(const TclCommandBase* parent, TclControlInterface* tcl);
    virtual ~TclCommandBase();
    TclCommandBase(const TclCommandBase&) = delete;
    TclCommandBase& operator=(const TclCommandBase&) = delete;

    virtual StringBase usage() const = 0;
    virtual StringBase help() const = 0;
    virtual StringBase getName() const = 0;
    /// Reads the arguments after the command's own word.
    virtual void parse(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]);
    virtual void doCommand();

    TclControlInterface* getTclInterface() const { return tclInterface; }
    void setTclInterface(TclControlInterface* tcl) { tclInterface = tcl; }
    const TclCommandBase* getParent() const { return parent; }
    /// The words of all ancestors and this command, separated by blanks.
    StringBase getFullCommand() const;
    /// The "Incorrect usage of command" block, and printing it.
    std::string usageBlock() const;
    void commandErrorUsage() const;

    void printUsage(bool withPrefix) const;
    void printHelp(int objc, Tcl_Obj* const objv[]) const;
    void printlValidSubCommands() const;
    bool useHelpFromSubCommand(int objc, Tcl_Obj* const objv[]) const;

    TclSubCommandFactory* getSubCommandFactory() const { return subCommandFactory; }

protected:
    void addCommandCreator(const StringBase& word, SubCommandCreator creator) {
        subCommandFactory->addCommandCreator(word, creator);
    }
    TclSubCommand* createSubCommand(const StringBase& word) const {
        return subCommandFactory->createCommand(this, tclInterface, word);
    }
    /// Fails with "Unable to execute live simulation command." unless both the engine control
    /// and the reader exist.
    void requireLiveEngine() const;
    /// Fails the same way unless the engine control exists (the reader is not needed).
    void requireSimulationControl() const;
    /// Fails with "No active gui." unless the host gave a waveform GUI.
    void requireGui() const;

public:
    /// Throws the usage error (empty description) or the action error with `text`.
    [[noreturn]] static void usageError(const StringBase& text = StringBase());
    [[noreturn]] static void actionError(const StringBase& text);

private:
    const TclCommandBase* parent;
    TclControlInterface* tclInterface;
    TclSubCommandFactory* subCommandFactory;
};

/// How a failing command is told (see failCommand).
struct FailureContext {
    /// Whose usage block a usage error prints when the error carries none of its own.
    const TclCommandBase* usageOf = nullptr;
    /// The object a command error is told under ("name: text"), read when the error is told;
    /// null or empty: no prefix. An ObjectCommandErrorException names its own object.
    const std::string* objectName = nullptr;
    /// False (quit, stop): the result is TCL_OK after the report, and no onerror script runs.
    bool runOnError = true;
};

/// The shell's one error boundary: turns the exception `error` into the console and log text,
/// the Tcl result and the onerror handling. A usage error prints its description (when any)
/// and a usage block; any other command error prints its description (under the object's name
/// when there is one); both give the onerror script's result. An engine that stopped answering
/// is reported and ended; TCL_ERROR. Anything else (leaving the shell) is rethrown.
int failCommand(TclControlInterface* tcl, std::exception_ptr error, const FailureContext& context);

/// Runs `body` under the error boundary: TCL_OK, or what failCommand makes of its failure.
template <typename Body>
int runGuarded(TclControlInterface* tcl, Body body, const FailureContext& context) {
    try {
        body();
        return TCL_OK;
    } catch (...) {
        return failCommand(tcl, std::current_exception(), context);
    }
}

/// A top-level command registered with the interpreter.
class TclCommand : public TclCommandBase {
public:
    explicit TclCommand(TclControlInterface* tcl);
    /// parse (without the command word) and doCommand under the standard error handling.
    int parseAndDoCommand(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]);
    /// Dispatch to the subcommand named by objv[1].
    int parseAndDoSubCommand(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]);
    /// Runs `body` under the error boundary; a usage error prints the usage block of `usageOf`
    /// (this command when null) unless it carries a deeper one.
    template <typename Body>
    int guarded(Body body, const TclCommandBase* usageOf = nullptr, bool runOnError = true) {
        return runGuarded(getTclInterface(), body, FailureContext{usageOf ? usageOf : this, nullptr, runOnError});
    }
};

/// A word below a top-level command. The default parse and doCommand dispatch to the next level.
class TclSubCommand : public TclCommandBase {
public:
    TclSubCommand(const TclCommandBase* parent, TclControlInterface* tcl);
    ~TclSubCommand() override;
    void parse(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) override;
    void doCommand() override;

protected:
    void deleteSubCommand();
    TclSubCommand* activeSubCommand = nullptr;
};

/// The per-class pattern of a top-level command: the Tcl command procedure, registration,
/// deletion and the help registry. `Derived` supplies getCommandName() and
/// execute(interp, objc, objv).
template <typename Derived>
struct TclCommandRegistration {
    static int commandFunc(ClientData clientData, Tcl_Interp* interp, int objc,
                           Tcl_Obj* const objv[]) {
        if (clientData == nullptr) return TCL_ERROR;
        return static_cast<Derived*>(clientData)->execute(interp, objc, objv);
    }
    /// Called by Tcl when the command is deleted: leaves the help registry and frees the object.
    static void deleteFunc(ClientData clientData);
    static TclCommand* registerCommand(Tcl_Interp* interp, TclControlInterface* tcl);
};

/// Per-class pattern of a subcommand: its creator.
template <typename Derived>
TclSubCommand* createSubCommandOf(const TclCommandBase* parent, TclControlInterface* tcl) {
    return new Derived(parent, tcl);
}

} // namespace Tavrin

#include "tavrin/HelpInstance.h"

namespace Tavrin {
template <typename Derived>
void TclCommandRegistration<Derived>::deleteFunc(ClientData clientData) {
    if (clientData == nullptr) return;
    Derived* command = static_cast<Derived*>(clientData);
    HelpInstance::getInstance().remove(command);
    delete command;
}

template <typename Derived>
TclCommand* TclCommandRegistration<Derived>::registerCommand(Tcl_Interp* interp,
                                                             TclControlInterface* tcl) {
    Derived* command = new Derived(tcl);
    Tcl_CreateObjCommand(interp, Derived::getCommandName(), &Derived::commandFunc, command,
                         &TclCommandRegistration<Derived>::deleteFunc);
    HelpInstance::getInstance().add(command);
    return command;
}
} // namespace Tavrin
