// describe: the kind, path and places of a design block, or the class, value, path and place of
// a data object.
#include <sstream>
#include <string>

#include "commands/ObjectCommandSupport.h"
#include "tavrin/TclHelper.h"
#include "tavrin/commands/DescribeCommands.h"

namespace Tavrin {

describeCommand::describeCommand(TclControlInterface* tcl) : TclCommand(tcl) {}

StringBase describeCommand::usage() const { return "describe <object_name>"; }

StringBase describeCommand::help() const {
    return "    Displays information about the given HDL data or block object.\n"
           "    <object_name> is either an HDL object or an HDL block in the current\n"
           "    simulation scope.";
}

int describeCommand::execute(Tcl_Interp*, int objc, Tcl_Obj* const objv[]) {
    std::string name; // the error prefix once the name has been read
    return guardedWithName(*this, name, [&] {
        if (objc != 2) {
            // The usage comes first, then the message, and no second usage block.
            commandErrorUsage();
            actionError("Incorret number of arguments");
        }
        requireLiveEngine();
        TclControlInterface* tcl = getTclInterface();
        ISimulationControl* engine = tcl->getSimulationControl();
        IReader* reader = tcl->getReader();
        name = Tcl_GetString(objv[1]);
        std::ostringstream out;
        if (const IBlock* block = reader->findBlock(name)) {
            TclHelper::printBlock(out, block, 4, reader, true);
        } else {
            const IDataObj* object = reader->findDataObj(name);
            const IType* type = object ? object->getType() : nullptr;
            if (object == nullptr || (type != nullptr && type->isInstanceOf(HiddenTypeClass)))
                actionError("No such HDL object or HDL block");
            StringBase value;
            engine->getValue(object, value, tcl->getRadix());
            TclHelper::printObject(out, object, value, 4, reader, true);
        }
        tcl->print(out.str(), true);
    });
}

} // namespace Tavrin
