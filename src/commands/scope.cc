// scope: describes the current block of the design hierarchy, or moves it to another block.
#include <sstream>
#include <string>

#include "commands/ObjectCommandSupport.h"
#include "tavrin/TclHelper.h"
#include "tavrin/commands/ScopeCommands.h"

namespace Tavrin {

scopeCommand::scopeCommand(TclControlInterface* tcl) : TclCommand(tcl) {}

StringBase scopeCommand::usage() const { return "scope [.. | <path_name>]"; }

StringBase scopeCommand::help() const {
    return "    Shows or sets the current block in the design hierarchy (the scope).\n"
           "\n"
           "    scope\n"
           "       Displays the current block, with more information than 'show scope'.\n"
           "    scope ..\n"
           "       Changes the current block to the parent of the current block.\n"
           "    scope <path_name>\n"
           "       Changes the current block to the block at <path_name>, an absolute path\n"
           "       or a path relative to the current block.";
}

int scopeCommand::execute(Tcl_Interp*, int objc, Tcl_Obj* const objv[]) {
    std::string path; // the error prefix once the path has been read
    return guardedWithName(*this, path, [&] {
        requireLiveEngine();
        TclControlInterface* tcl = getTclInterface();
        ISimulationControl* engine = tcl->getSimulationControl();
        IReader* reader = tcl->getReader();
        if (objc == 1) {
            std::ostringstream out;
            TclHelper::printBlock(out, engine->getCurrentScope(), 4, reader, true);
            tcl->print(out.str(), true);
        } else if (objc == 2) {
            path = Tcl_GetString(objv[1]);
            // A path that names no block reaches the engine as a null block, which it refuses.
            engine->setCurrentScope(reader->findBlock(path));
        } else {
            usageError();
        }
    });
}

} // namespace Tavrin
