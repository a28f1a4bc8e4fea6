// Key functions of the command errors, so their type information lives in this library.
#include "tavrin/TclExceptions.h"

namespace Tavrin {
TclCommandErrorException::~TclCommandErrorException() = default;
TclCommandActionErrorException::~TclCommandActionErrorException() = default;
TclHelpException::~TclHelpException() = default;

ObjectCommandErrorException::ObjectCommandErrorException(const std::string& name,
                                                         const CommandErrorException& cause)
    : TclCommandActionErrorException(cause.getComponent(), cause.getFile(), ORVEX_REVISION, cause.getLine()),
      objectName_(name) {
    setDescription(cause.getDescription());
}
ObjectCommandErrorException::~ObjectCommandErrorException() = default;
} // namespace Tavrin
