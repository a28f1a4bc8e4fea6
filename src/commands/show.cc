// show: lists the blocks and objects of the current scope, the drivers and loads of a signal,
// one object's value, the simulation time and the engine status.
#include <cstring>
#include <initializer_list>
#include <sstream>
#include <string>

#include "commands/ObjectCommandSupport.h"
#include "tavrin/TclHelper.h"
#include "tavrin/commands/ShowCommands.h"

namespace Tavrin {

namespace {

const char* const listSignalsHelp = "    Lists all the signals and ports within the current block.";

// The subcommands that take no argument refuse any.
void acceptNoArguments(int objc) {
    if (objc > 0)
        TclCommandBase::usageError();
}

// One line, followed by an empty line, per data object of the current scope whose class is one
// of `classes`; objects of the hidden type class are never listed.
void listObjectsOfClasses(TclControlInterface* tcl, std::initializer_list<int> classes) {
    const IBlock* scope = tcl->getSimulationControl()->getCurrentScope();
    if (scope == nullptr)
        return;
    const int count = scope->getDataObjCount();
    for (int i = 0; i < count; ++i) {
        const IDataObj* object = scope->getDataObj(i);
        if (object == nullptr)
            continue;
        const IType* type = object->getType();
        if (type != nullptr && type->isInstanceOf(HiddenTypeClass))
            continue;
        const IObjectClass* objectClass = object->getObjectClass();
        const int classId = objectClass ? objectClass->getClassId() : 0;
        bool listed = false;
        for (int wanted : classes)
            listed = listed || classId == wanted;
        if (!listed)
            continue;
        std::ostringstream line;
        TclHelper::printObject(line, object, StringBase(), 4, nullptr, false);
        tcl->print(line.str(), true);
    }
}

// Resolves the object name and hands the object, found or not, to `request`; the engine refuses
// a missing object with its own message, which is reported under the name.
template <typename Request>
void requestForObject(TclControlInterface* tcl, const StringBase& name, Request request) {
    reportUnderObjectName(name.str(), [&] {
        request(tcl->getReader()->findDataObj(name), tcl->getSimulationControl());
    });
}

void setResultText(Tcl_Interp* interp, const std::string& text) {
    Tcl_SetObjResult(interp, Tcl_NewStringObj(text.c_str(), static_cast<int>(text.size())));
}

} // namespace

// ---- show ----

showCommand::showCommand(TclControlInterface* tcl) : TclCommand(tcl) {
    addCommandCreator(showChildCommand::getSubCommandName(), createSubCommandOf<showChildCommand>);
    addCommandCreator(showDriverCommand::getSubCommandName(), createSubCommandOf<showDriverCommand>);
    addCommandCreator(showLoadCommand::getSubCommandName(), createSubCommandOf<showLoadCommand>);
    addCommandCreator(showScopeCommand::getSubCommandName(), createSubCommandOf<showScopeCommand>);
    addCommandCreator(showTimeCommand::getSubCommandName(), createSubCommandOf<showTimeCommand>);
    addCommandCreator(showValueCommand::getSubCommandName(), createSubCommandOf<showValueCommand>);
    addCommandCreator(showSignalCommand::getSubCommandName(), createSubCommandOf<showSignalCommand>);
    addCommandCreator(showVariableCommand::getSubCommandName(),
                      createSubCommandOf<showVariableCommand>);
    addCommandCreator(showConstantCommand::getSubCommandName(),
                      createSubCommandOf<showConstantCommand>);
    addCommandCreator(showPortCommand::getSubCommandName(), createSubCommandOf<showPortCommand>);
    addCommandCreator(showStatusCommand::getSubCommandName(), createSubCommandOf<showStatusCommand>);
}

StringBase showCommand::usage() const {
    return "show < time | port | scope | signal | variable | constant | <child [-r]> | "
           "<<driver|load|value> <hdl_object_name>> >";
}

StringBase showCommand::help() const { return "    Shows information about the current simulation."; }

int showCommand::execute(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    return parseAndDoSubCommand(interp, objc, objv);
}

// ---- show child ----

showChildCommand::showChildCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : TclSubCommand(parent, tcl) {}

StringBase showChildCommand::usage() const { return "show child [-r]"; }

StringBase showChildCommand::help() const {
    return "    Lists the child blocks of the current block.\n"
           "    show child\n"
           "       Lists the immediate child blocks of the current block.\n"
           "    show child -r\n"
           "       Lists the current block and all its child blocks, recursively.";
}

void showChildCommand::parse(Tcl_Interp*, int objc, Tcl_Obj* const objv[]) {
    if (objc == 0)
        recursive = false;
    else if (objc == 1 && std::strcmp(Tcl_GetString(objv[0]), "-r") == 0)
        recursive = true;
    else
        usageError();
}

void showChildCommand::doCommand() {
    requireLiveEngine();
    TclControlInterface* tcl = getTclInterface();
    const IBlock* scope = tcl->getSimulationControl()->getCurrentScope();
    if (scope == nullptr)
        return;
    std::ostringstream out;
    if (recursive) {
        TclHelper::printAllChildren(out, scope, 4);
    } else {
        const int count = scope->getChildCount();
        for (int i = 0; i < count; ++i)
            TclHelper::printBlock(out, scope->getChild(i), 4, nullptr, false);
    }
    tcl->print(out.str(), true);
}

// ---- show driver ----

showDriverCommand::showDriverCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : TclSubCommand(parent, tcl) {}

StringBase showDriverCommand::usage() const { return "show driver <signal_name>"; }

StringBase showDriverCommand::help() const {
    return "List all the drivers that are driving the specified signal.";
}

void showDriverCommand::parse(Tcl_Interp*, int objc, Tcl_Obj* const objv[]) {
    if (objc != 1)
        usageError();
    objectName = Tcl_GetString(objv[0]);
}

void showDriverCommand::doCommand() {
    requireLiveEngine();
    TclControlInterface* tcl = getTclInterface();
    DriverMap drivers;
    requestForObject(tcl, objectName, [&](const IDataObj* object, ISimulationControl* engine) {
        engine->getDrivers(object, drivers);
    });
    if (drivers.empty()) {
        tcl->print(objectName + " has no drivers.", true);
        return;
    }
    const IReader* reader = tcl->getReader();
    for (const auto& net : groupByPath(drivers)) {
        tcl->print("Driver for " + net.first, true);
        std::ostringstream text;
        for (const DriverRecord& record : net.second) {
            // Only objects drive nets here; a driving block (a process) is not listed.
            if (record.driver == nullptr)
                continue;
            const int kind = record.driver->getObjectKind();
            if (kind < ScalarObjectKind || kind > ElementObjectKind)
                continue;
            text << '\t' << record.text << "\t: " << record.driver->getPath() << '\n';
            const StringBase file = reader->getFileName(record.driver);
            if (!file.empty())
                text << "\t\t  in File \"" << file << "\" Line "
                     << reader->getLineNumber(record.driver) << '\n';
        }
        tcl->print(text.str(), true);
    }
}

// ---- show load ----

showLoadCommand::showLoadCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : TclSubCommand(parent, tcl) {}

StringBase showLoadCommand::usage() const { return "show load <signal_name>"; }

StringBase showLoadCommand::help() const {
    return "    Lists all the nets which are being driven by <signal_name>.";
}

void showLoadCommand::parse(Tcl_Interp*, int objc, Tcl_Obj* const objv[]) {
    if (objc != 1)
        usageError();
    objectName = Tcl_GetString(objv[0]);
}

void showLoadCommand::doCommand() {
    requireLiveEngine();
    TclControlInterface* tcl = getTclInterface();
    LoadMap loads;
    requestForObject(tcl, objectName, [&](const IDataObj* object, ISimulationControl* engine) {
        engine->getLoads(object, loads);
    });
    if (loads.empty()) {
        tcl->print(objectName + " has no load.", true);
        return;
    }
    for (const auto& net : groupByPath(loads)) {
        tcl->print("\tLoad for " + net.first, true);
        for (const LoadRecord& record : net.second) {
            if (record.load == nullptr)
                continue;
            tcl->print("\t\t" + record.load->getPath() + " Index:" + std::to_string(record.index),
                       true);
        }
    }
}

// ---- show scope ----

showScopeCommand::showScopeCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : TclSubCommand(parent, tcl) {}

StringBase showScopeCommand::usage() const { return "show scope"; }

StringBase showScopeCommand::help() const {
    return "    Shows the current block in the design hierarchy.";
}

void showScopeCommand::parse(Tcl_Interp*, int objc, Tcl_Obj* const[]) { acceptNoArguments(objc); }

void showScopeCommand::doCommand() {
    requireLiveEngine();
    TclControlInterface* tcl = getTclInterface();
    std::ostringstream out;
    TclHelper::printBlock(out, tcl->getSimulationControl()->getCurrentScope(), 4, nullptr, false);
    tcl->print(out.str(), true);
}

// ---- show time ----

showTimeCommand::showTimeCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : TclSubCommand(parent, tcl) {}

StringBase showTimeCommand::usage() const { return "show time"; }

StringBase showTimeCommand::help() const { return "    Displays the current simulation time."; }

void showTimeCommand::parse(Tcl_Interp* interp, int objc, Tcl_Obj* const[]) {
    resultInterp = interp;
    Tcl_ResetResult(interp);
    acceptNoArguments(objc);
}

void showTimeCommand::doCommand() {
    requireLiveEngine();
    TclControlInterface* tcl = getTclInterface();
    EngineStatus status;
    tcl->getSimulationControl()->getStatus(status);
    std::string text;
    TclHelper::cvtRawTimeToDisplayableTime(status.time, text);
    setResultText(resultInterp, text);
    tcl->printToLog(text, true);
}

// ---- show value ----

showValueCommand::showValueCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : TclSubCommand(parent, tcl) {}

StringBase showValueCommand::usage() const {
    return "show value <hdl_object_name> [-radix <type>]";
}

StringBase showValueCommand::help() const {
    return StringBase("    Displays the value of a signal, generic, parameter, Verilog variable or\n"
                      "    VHDL variable in the current block. The object may be indexed or\n"
                      "    sliced.\n"
                      "    '-radix' may be used to specify the radix of the displayed value.\n"
                      "    Possible radix values are:\n") +
           radixNamesHelp +
           "\n"
           "    Examples:\n"
           "       show value clk -radix bin\n"
           "       show value multdimvar(1,3,5)(1:10)\n"
           "       show value multdimvar(1,3,5)(1)";
}

void showValueCommand::parse(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    resultInterp = interp;
    Tcl_ResetResult(interp);
    if (objc < 1 || objc > 3)
        usageError();
    objectName = Tcl_GetString(objv[0]);
    radix = getTclInterface()->getRadix();
    // With two arguments the second is ignored: a radix option needs its name.
    if (objc == 3)
        radix = requireRadixOption(interp, objv[1], objv[2]);
}

void showValueCommand::doCommand() {
    requireLiveEngine();
    TclControlInterface* tcl = getTclInterface();
    StringBase value;
    requestForObject(tcl, objectName, [&](const IDataObj* object, ISimulationControl* engine) {
        engine->getValue(object, value, radix);
    });
    setResultText(resultInterp, value.str());
    tcl->printToLog(value, true);
}

// ---- show signal, variable, constant ----

showSignalCommand::showSignalCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : TclSubCommand(parent, tcl) {}
StringBase showSignalCommand::usage() const { return "show signal"; }
StringBase showSignalCommand::help() const { return listSignalsHelp; }
void showSignalCommand::parse(Tcl_Interp*, int objc, Tcl_Obj* const[]) { acceptNoArguments(objc); }
void showSignalCommand::doCommand() {
    requireLiveEngine();
    listObjectsOfClasses(getTclInterface(), {SignalClass});
}

showVariableCommand::showVariableCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : TclSubCommand(parent, tcl) {}
StringBase showVariableCommand::usage() const { return "show variable"; }
StringBase showVariableCommand::help() const { return listSignalsHelp; }
void showVariableCommand::parse(Tcl_Interp*, int objc, Tcl_Obj* const[]) {
    acceptNoArguments(objc);
}
void showVariableCommand::doCommand() {
    requireLiveEngine();
    listObjectsOfClasses(getTclInterface(), {VariableClass});
}

showConstantCommand::showConstantCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : TclSubCommand(parent, tcl) {}
StringBase showConstantCommand::usage() const { return "show constant"; }
StringBase showConstantCommand::help() const {
    return "    Lists all the constants, generics and parameters within the current block.";
}
void showConstantCommand::parse(Tcl_Interp*, int objc, Tcl_Obj* const[]) {
    acceptNoArguments(objc);
}
void showConstantCommand::doCommand() {
    requireLiveEngine();
    listObjectsOfClasses(getTclInterface(), {ConstantClass, ParameterClass});
}

// ---- show port ----

showPortCommand::showPortCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : TclSubCommand(parent, tcl) {}

StringBase showPortCommand::usage() const { return "show port"; }

StringBase showPortCommand::help() const {
    return "    Lists all the ports within the current block.";
}

void showPortCommand::parse(Tcl_Interp*, int objc, Tcl_Obj* const[]) { acceptNoArguments(objc); }

void showPortCommand::doCommand() {
    requireSimulationControl();
    TclControlInterface* tcl = getTclInterface();
    const IBlock* scope = tcl->getSimulationControl()->getCurrentScope();
    if (scope == nullptr)
        return;
    const int count = scope->getDataObjCount();
    for (int i = 0; i < count; ++i) {
        std::ostringstream line;
        if (TclHelper::printPort(line, scope->getDataObj(i), 4))
            tcl->print(line.str(), false);
    }
}

// ---- show status ----

showStatusCommand::showStatusCommand(const TclCommandBase* parent, TclControlInterface* tcl)
    : TclSubCommand(parent, tcl) {}

StringBase showStatusCommand::usage() const { return "show status"; }

StringBase showStatusCommand::help() const { return "    Displays the status of the simulation."; }

void showStatusCommand::parse(Tcl_Interp*, int objc, Tcl_Obj* const[]) { acceptNoArguments(objc); }

void showStatusCommand::doCommand() {
    requireSimulationControl();
    TclControlInterface* tcl = getTclInterface();
    EngineStatus status;
    tcl->getSimulationControl()->getStatus(status);
    switch (status.code) {
    case 0: tcl->print("<BUSY>", true); break;
    case 1: tcl->print("<READY>", true); break;
    default: tcl->print("Unknown or unimplemented status", true); break;
    }
}

} // namespace Tavrin
