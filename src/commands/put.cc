// put: assigns a value to an object of the running simulation.
#include <string>

#include "commands/ObjectCommandSupport.h"
#include "tavrin/commands/PutCommands.h"

namespace Tavrin {

putCommand::putCommand(TclControlInterface* tcl) : TclCommand(tcl) {}

StringBase putCommand::usage() const { return "put <hdl_object_name> <value> [-radix <type>]"; }

StringBase putCommand::help() const {
    return StringBase("    Assigns a value to an HDL signal, reg, or variable.\n"
                      "    '-radix' may be used to specify the radix of the provided value.\n"
                      "    Possible radix values are:\n") +
           radixNamesHelp;
}

int putCommand::execute(Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    TclControlInterface* tcl = getTclInterface();
    if (objc < 3 || objc > 5) {
        commandErrorUsage();
        return tcl->runOnErrorScript();
    }
    const std::string name = Tcl_GetString(objv[1]);
    const StringBase value = Tcl_GetString(objv[2]);
    Radix radix = tcl->getRadix();
    // With four words the fourth is ignored: a radix option needs its name.
    if (objc == 5) {
        switch (readRadixOption(interp, objv[3], objv[4], radix)) {
        case RadixOptionStatus::Read:
            break;
        case RadixOptionStatus::WrongOption:
            commandErrorUsage();
            return tcl->runOnErrorScript();
        case RadixOptionStatus::BadName:
            // Tcl's message naming the radix and the valid names stays in the result.
            return tcl->runOnErrorScript();
        }
    }
    return guardedWithName(*this, name, [&] {
        requireLiveEngine();
        // A name that denotes nothing reaches the engine as a null object, which it refuses.
        tcl->getSimulationControl()->setValue(tcl->getReader()->findDataObj(name), value, radix);
    });
}

} // namespace Tavrin
