// The command errors: usage errors (the dispatcher adds the usage block), action errors, and
// errors of the time-argument routines.
#pragma once

#include "orvex/Exceptions.h"

namespace Tavrin {

/// Wrong usage: missing or invalid arguments. Usually thrown with an empty description so that
/// only the usage block is printed. The deepest subcommand that parsed puts its usage block on
/// the error as it passes, so that the error boundary prints that one.
class TclCommandErrorException : public CommandErrorException {
public:
    using CommandErrorException::CommandErrorException;
    ~TclCommandErrorException() override;
    const std::string& usageBlock() const { return usageBlock_; }
    void setUsageBlock(const std::string& block) { usageBlock_ = block; }

private:
    std::string usageBlock_;
};

/// A well-formed command that cannot be carried out.
class TclCommandActionErrorException : public CommandErrorException {
public:
    using CommandErrorException::CommandErrorException;
    ~TclCommandActionErrorException() override;
};

/// A command error about one named object, told as "name: text" (the description is the
/// cause's, so that the boundary still recognises an engine that is not running).
class ObjectCommandErrorException : public TclCommandActionErrorException {
public:
    ObjectCommandErrorException(const std::string& name, const CommandErrorException& cause);
    ~ObjectCommandErrorException() override;
    const std::string& objectName() const { return objectName_; }

private:
    std::string objectName_;
};

/// A malformed or negative time value.
class TclHelpException : public CommandErrorException {
public:
    using CommandErrorException::CommandErrorException;
    ~TclHelpException() override;
};

} // namespace Tavrin
