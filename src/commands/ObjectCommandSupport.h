// Routines shared by the commands that act on one named HDL object (show value, show driver,
// show load, describe, put, test): the "-radix <name>" option, error reporting under the
// object's name, regrouping of driver and load maps by path, and the value comparison of `test`.
#pragma once

#include <tcl.h>

#include <map>
#include <string>
#include <vector>

#include "orvex/ISimulationControl.h"
#include "tavrin/TclCommandBase.h"

namespace Tavrin {

/// The radix names as the help texts of value commands list them.
extern const char* const radixNamesHelp;

/// What reading a "-radix <name>" option found.
enum class RadixOptionStatus {
    Read,        // the option word was "-radix" and the name a radix: `radix` is set
    WrongOption, // the option word was not exactly "-radix"
    BadName      // the name was missing (null) or no radix name; Tcl's message is in the result
};

/// Reads the option word `option` (exactly "-radix") and the radix name `name` (may be null when
/// the command line ends after the option). `radix` is changed only when the status is Read.
RadixOptionStatus readRadixOption(Tcl_Interp* interp, Tcl_Obj* option, Tcl_Obj* name,
                                  Radix& radix);

/// The strict form used by `show value` and `test`: a wrong option word fails with the usage
/// error "Invalid command option: " and the word; a missing or unknown radix name is a usage
/// error without text.
Radix requireRadixOption(Tcl_Interp* interp, Tcl_Obj* option, Tcl_Obj* name);

/// Runs `body`; a command error from it (usage errors too) is told under the object's name
/// ("name: " and the message), without a usage block. Used by the subcommands of `show` that act
/// on one object.
template <typename Body>
void reportUnderObjectName(const std::string& name, Body body) {
    try {
        body();
    } catch (const CommandErrorException& e) {
        throw ObjectCommandErrorException(name, e);
    }
}

/// The error boundary of the plain commands that name an object or path (scope, describe, put,
/// test): a usage error prints the usage block of `command`; any other command error is told
/// under `name` when it is not empty. `name` is read when the error is told, so the body sets
/// it once the name has been read.
template <typename Body>
int guardedWithName(const TclCommand& command, const std::string& name, Body body) {
    return runGuarded(command.getTclInterface(), body, FailureContext{&command, &name, true});
}

/// Regroups the records of an engine map by the path of the keyed object, in ascending byte
/// order of the path. A path that repeats an earlier one replaces that one's records; null keys
/// are dropped.
template <typename Record>
std::map<std::string, std::vector<Record>>
groupByPath(const std::map<const IObject*, std::vector<Record>>& entries) {
    std::map<std::string, std::vector<Record>> grouped;
    for (const auto& entry : entries)
        if (entry.first != nullptr)
            grouped[entry.first->getPath().str()] = entry.second;
    return grouped;
}

/// The comparison of `test`: one pair of enclosing quotes is stripped from both texts first
/// (the caller keeps the stripped texts for its message), then the texts are compared without
/// regard to case; an actual "true" matches an expected "1" and "false" matches "0"; and a
/// Verilog bit with a drive strength matches the plain bit.
bool valuesMatch(const std::string& strippedActual, const std::string& strippedExpected);

} // namespace Tavrin
