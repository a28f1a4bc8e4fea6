// The Orvex::Exception family; defined here so each type has one home across the libraries.
#include "orvex/Exceptions.h"

namespace Orvex {

Exception::Exception(const char* component, const char* file, const char* revision, int line)
    : component_(component ? component : ""), file_(file ? file : ""),
      revision_(revision ? revision : ""), line_(line) {}

Exception::~Exception() = default;

void Exception::setDescription(const std::string& text) { description_ = text; }

InterruptException::~InterruptException() = default;
EndOfInputException::~EndOfInputException() = default;

OpenException::OpenException(const char* component, const char* file, const char* revision,
                             int line, const std::string& message)
    : Exception(component, file, revision, line) {
    setDescription(message);
}
OpenException::~OpenException() = default;

IOException::IOException(const char* component, const char* file, const char* revision, int line,
                         const std::string& message)
    : Exception(component, file, revision, line) {
    setDescription(message);
}
IOException::~IOException() = default;

} // namespace Orvex
