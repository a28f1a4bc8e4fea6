// The error family shared by the system and its outside components. Every error carries the
// component, source file, revision and line of the throw and a readable description.
#pragma once

#include <string>

namespace Orvex {

/// Base of every error raised by the system and its outside components.
class Exception {
public:
    Exception(const char* component = "Orvex", const char* file = "", const char* revision = "",
              int line = 0);
    virtual ~Exception();

    /// Replaces the description (taken as plain text: no format directives are interpreted).
    void setDescription(const std::string& text);
    const char* getDescription() const { return description_.c_str(); }
    const char* getComponent() const { return component_.c_str(); }
    const char* getFile() const { return file_.c_str(); }
    int getLine() const { return line_; }

private:
    std::string component_;
    std::string file_;
    std::string revision_;
    int line_;
    std::string description_;
};

/// The engine stopped answering a request.
class InterruptException : public Exception {
public:
    using Exception::Exception;
    ~InterruptException() override;
};

/// Console input has ended; used to leave the shell.
class EndOfInputException : public Exception {
public:
    using Exception::Exception;
    ~EndOfInputException() override;
};

/// A file or the engine could not be opened or started; the message is the description.
class OpenException : public Exception {
public:
    OpenException(const char* component, const char* file, const char* revision, int line,
                  const std::string& message);
    ~OpenException() override;
};

/// An input/output channel failed; the message is the description.
class IOException : public Exception {
public:
    IOException(const char* component, const char* file, const char* revision, int line,
                const std::string& message);
    ~IOException() override;
};

} // namespace Orvex

namespace Tavrin {

/// A command or engine request failed; the description says why.
class CommandErrorException : public Orvex::Exception {
public:
    using Orvex::Exception::Exception;
    ~CommandErrorException() override;
};

} // namespace Tavrin

/// Revision identifier recorded in every thrown error.
#define ORVEX_REVISION "orvex-1"

/// Throws an error of the given type with the caller's file and line and the given description.
#define ORVEX_THROW(Type, text)                                       \
    do {                                                              \
        Type orvexError_("Orvex", __FILE__, ORVEX_REVISION, __LINE__); \
        orvexError_.setDescription(text);                             \
        throw orvexError_;                                            \
    } while (0)
