// dump: the values of the objects visible from the current scope, the processes of the scope,
// or the values of the objects of one child block of the scope.
#include <cstring>
#include <sstream>

#include "tavrin/TclHelper.h"
#include "tavrin/commands/DumpCommands.h"

namespace Tavrin {

namespace {

bool isProcessOption(Tcl_Obj* word) {
    const char* text = Tcl_GetString(word);
    return std::strcmp(text, "-p") == 0 || std::strcmp(text, "-P") == 0;
}

} // namespace

dumpCommand::dumpCommand(TclControlInterface* tcl) : TclCommand(tcl) {}

StringBase dumpCommand::usage() const { return "dump [-p [<process_name>]]"; }

StringBase dumpCommand::help() const {
    return "    Displays the values of all HDL objects or processes of the specified scope.\n"
           "\n"
           "    dump\n"
           "       Displays all HDL objects visible from the current scope.\n"
           "    dump -p\n"
           "       Displays all processes in the current scope.\n"
           "    dump -p <process_name>\n"
           "       Displays all HDL objects defined in the process <process_name> of the\n"
           "       current scope.";
}

int dumpCommand::execute(Tcl_Interp*, int objc, Tcl_Obj* const objv[]) {
    return guarded([&] {
        requireLiveEngine();
        TclControlInterface* tcl = getTclInterface();
        ISimulationControl* engine = tcl->getSimulationControl();
        const IBlock* scope = engine->getCurrentScope();
        const Radix radix = tcl->getRadix();
        if (objc > 3 || (objc > 1 && !isProcessOption(objv[1])))
            usageError();
        if (scope == nullptr)
            return;

        std::ostringstream out;
        if (objc == 1) {
            // Enclosing blocks print first; the headers tell the blocks apart, so a scope that
            // sees only its own objects needs none.
            if (TclHelper::printBlockValues(out, scope, engine, radix, 4, true,
                                            !scope->isVisibilityRoot()))
                tcl->print(out.str(), true);
            return;
        }

        const int count = scope->getChildCount();
        if (objc == 2) {
            for (int i = 0; i < count; ++i) {
                const IBlock* child = scope->getChild(i);
                if (child == nullptr || !child->isProcess())
                    continue;
                std::ostringstream line;
                TclHelper::printProcess(line, child, 4, nullptr, false);
                tcl->print(line.str(), true);
            }
            return;
        }

        const StringBase name = Tcl_GetString(objv[2]);
        for (int i = 0; i < count; ++i) {
            const IBlock* child = scope->getChild(i);
            if (child == nullptr || child->getName() != name)
                continue;
            if (TclHelper::printBlockValues(out, child, engine, radix, 4, false, false))
                tcl->print(out.str(), true);
            return;
        }
    });
}

} // namespace Tavrin
