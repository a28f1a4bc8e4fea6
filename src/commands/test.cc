// test: compares an object's whole value with an expected value; the result is 1 or 0.
#include <string>

#include "commands/ObjectCommandSupport.h"
#include "tavrin/TclHelper.h"
#include "tavrin/commands/TestCommands.h"

namespace Tavrin {

namespace {

// Reads the object's value with the array display length lifted, so that a long array is
// compared whole; the shell's length is restored whatever the read does.
StringBase readWholeValue(TclControlInterface* tcl, const IDataObj* object, Radix radix) {
    const int saved = tcl->getArrayDisplayLength();
    tcl->setArrayDisplayLength(0);
    StringBase value;
    try {
        tcl->getSimulationControl()->getValue(object, value, radix);
    } catch (...) {
        try {
            tcl->setArrayDisplayLength(saved);
        } catch (const Orvex::Exception&) {
            // The failure of the read is the one to report.
        }
        throw;
    }
    tcl->setArrayDisplayLength(saved);
    return value;
}

} // namespace

testCommand::testCommand(TclControlInterface* tcl) : TclCommand(tcl) {}

StringBase testCommand::usage() const { return "test <hdl_object_name> <value> [-radix <type>]"; }

StringBase testCommand::help() const {
    return StringBase("    Compares the current value of an HDL object with the provided value.\n"
                      "    The result is 1 when they are equal, 0 otherwise.\n"
                      "    '-radix' specifies the radix of the provided value.\n"
                      "    Possible radix values are:\n") +
           radixNamesHelp;
}

int testCommand::execute(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    std::string name; // the error prefix once the name has been read
    return guardedWithName(*this, name, [&] {
        requireLiveEngine();
        TclControlInterface* tcl = getTclInterface();
        Tcl_SetObjResult(interp, Tcl_NewIntObj(1));
        if (objc < 3 || objc > 5)
            usageError();
        const std::string objectName = Tcl_GetString(objv[1]);
        std::string expected = Tcl_GetString(objv[2]);
        Radix radix = tcl->getRadix();
        if (objc >= 4)
            radix = requireRadixOption(interp, objv[3], objc == 5 ? objv[4] : nullptr);
        name = objectName;

        std::string actual =
            readWholeValue(tcl, tcl->getReader()->findDataObj(objectName), radix).str();
        TclHelper::trimQuotes(actual);
        TclHelper::trimQuotes(expected);
        const bool match = valuesMatch(actual, expected);
        if (match)
            tcl->print("HDL object " + objectName + " has same value as " + expected, true);
        else
            tcl->print("HDL object " + objectName + " has value " + actual +
                           ", expected value " + expected,
                       true);
        Tcl_SetObjResult(interp, Tcl_NewIntObj(match ? 1 : 0));
    });
}

} // namespace Tavrin
