// Key functions of the command errors, so their type information lives in this library.
#include "tavrin/TclExceptions.h"

namespace Tavrin {
TclCommandErrorException::~TclCommandErrorException() = default;
TclCommandActionErrorException::~TclCommandActionErrorException() = default;
TclHelpException::~TclHelpException() = default;
} // namespace Tavrin
