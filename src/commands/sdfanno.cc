// sdfanno: asks the engine to back-annotate the minimum, typical or maximum delays of an SDF
// file into the design, below a root block.
#include "tavrin/commands/SdfannoCommands.h"

namespace Tavrin {

namespace {

enum SdfDelayKind { SdfMinimum = 0, SdfTypical = 1, SdfMaximum = 2 };

/// What one sdfanno command asks for.
struct SdfRequest {
    int kind = SdfTypical;
    StringBase file;
    StringBase rootPath; // empty: the current scope
    bool noerror = false;
    bool nowarn = false;
};

/// Reads the words after the command word. Usage errors name no more than their description.
SdfRequest parseSdfArguments(int objc, Tcl_Obj* const objv[]) {
    SdfRequest request;
    for (ArgumentCursor args(objc, objv); !args.atEnd();) {
        std::string word = args.take();
        if (word == "-min" || word == "-typ" || word == "-max") {
            request.kind = word == "-min" ? SdfMinimum : word == "-typ" ? SdfTypical : SdfMaximum;
            request.file = args.value();
        } else if (word == "-nowarn") {
            request.nowarn = true;
        } else if (word == "-noerror") {
            request.noerror = true;
        } else if (word == "-root") {
            request.rootPath = args.value();
        } else {
            TclCommandBase::usageError();
        }
    }
    // Without a file there is nothing to annotate; the engine would only fail to open "".
    if (request.file.empty()) TclCommandBase::usageError("SDF file name is missing");
    return request;
}

} // namespace

sdfannoCommand::sdfannoCommand(TclControlInterface* tcl) : TclCommand(tcl) {}

StringBase sdfannoCommand::usage() const {
    return "sdfanno <-min|-typ|-max> <file_name> [-nowarn] [-noerror] [-root <path_name>]";
}

StringBase sdfannoCommand::help() const {
    return "    Back annotates delays from an SDF file.\n"
           "    '-nowarn' turns off SDF warning messages.\n"
           "    '-noerror' turns SDF error messages into warnings.\n"
           "    '-root' specifies an optional starting block in the design to apply SDF\n"
           "    annotation. If not specified the top level of the design is used as\n"
           "    the root.";
}

int sdfannoCommand::execute(Tcl_Interp*, int objc, Tcl_Obj* const objv[]) {
    // This command prints its usage block before the description of a usage error, and only
    // once: the error then continues as a plain command error, which prints the description.
    auto usageFailure = [this](const std::string& description) {
        commandErrorUsage();
        actionError(description);
    };
    return guarded([&] {
        const int count = objc - 1;
        if (count < 2 || count > 6) usageFailure("Incorret number of arguments");
        requireLiveEngine();
        SdfRequest request;
        try {
            request = parseSdfArguments(count, objv + 1);
        } catch (const TclCommandErrorException& e) {
            usageFailure(e.getDescription());
        }
        TclControlInterface* tcl = getTclInterface();
        ISimulationControl* engine = tcl->getSimulationControl();
        // A root path must name a block: a missing root would reach the engine as "no root".
        IBlock* root = request.rootPath.empty()
                           ? engine->getCurrentScope()
                           : requireBlock(tcl->getReader()->findBlock(request.rootPath),
                                          request.rootPath);
        engine->annotateSdf(request.kind, request.file, root, request.noerror, request.nowarn);
    });
}

} // namespace Tavrin
