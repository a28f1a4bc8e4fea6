// The engine-control library's error type for failed requests.
#include "orvex/Exceptions.h"

namespace Tavrin {
CommandErrorException::~CommandErrorException() = default;
} // namespace Tavrin
