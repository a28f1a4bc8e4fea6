// The command errors: usage errors (the dispatcher adds the usage block), action errors, and
// errors of the time-argument routines.
#pragma once

#include "orvex/Exceptions.h"

namespace Tavrin {

/// Wrong usage: missing or invalid arguments. Usually thrown with an empty description so that
/// only the usage block is printed.
class TclCommandErrorException : public CommandErrorException {
public:
    using CommandErrorException::CommandErrorException;
    ~TclCommandErrorException() override;
};

/// A well-formed command that cannot be carried out.
class TclCommandActionErrorException : public CommandErrorException {
public:
    using CommandErrorException::CommandErrorException;
    ~TclCommandActionErrorException() override;
};

/// A malformed or negative time value.
class TclHelpException : public CommandErrorException {
public:
    using CommandErrorException::CommandErrorException;
    ~TclHelpException() override;
};

} // namespace Tavrin
