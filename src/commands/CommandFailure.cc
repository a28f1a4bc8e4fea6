// The error boundary every command runs under (see failCommand in TclCommandBase.h).
#include "tavrin/TclCommandBase.h"

namespace Tavrin {

int failCommand(TclControlInterface* tcl, std::exception_ptr error, const FailureContext& context) {
    try {
        std::rethrow_exception(error);
    } catch (const TclCommandErrorException& e) {
        tcl->reportError(e, nullptr);
        if (!e.usageBlock().empty())
            tcl->print(e.usageBlock(), false);
        else if (context.usageOf != nullptr)
            context.usageOf->commandErrorUsage();
    } catch (const ObjectCommandErrorException& e) {
        tcl->reportError(e, e.objectName().c_str());
    } catch (const CommandErrorException& e) {
        const bool named = context.objectName != nullptr && !context.objectName->empty();
        tcl->reportError(e, named ? context.objectName->c_str() : nullptr);
    } catch (const Orvex::InterruptException& e) {
        tcl->reportEngineFailure(e);
        return TCL_ERROR;
    }
    return context.runOnError ? tcl->runOnErrorScript() : TCL_OK;
}

} // namespace Tavrin
