// StringBase: the length-carrying narrow string that every interface of the system and of the
// outside components passes. It wraps std::string so routines can use the standard library inside.
#pragma once

#include <cstddef>
#include <functional>
#include <ostream>
#include <string>

namespace Tavrin {

/// Narrow, length-carrying text used at every interface boundary. A null `const char*` is taken
/// as the empty text, so callers never have to guard C strings coming from Tcl or the engine.
class StringBase {
public:
    StringBase() = default;
    StringBase(const char* text) : text_(text ? text : "") {}
    StringBase(const char* text, std::size_t length) : text_(text ? std::string(text, length) : std::string()) {}
    StringBase(const std::string& text) : text_(text) {}
    StringBase(std::string&& text) : text_(std::move(text)) {}

    const char* c_str() const { return text_.c_str(); }
    std::size_t length() const { return text_.size(); }
    bool empty() const { return text_.empty(); }
    const std::string& str() const { return text_; }
    operator const std::string&() const { return text_; }

    StringBase& operator+=(const StringBase& other) { text_ += other.text_; return *this; }
    friend StringBase operator+(const StringBase& a, const StringBase& b) { return StringBase(a.text_ + b.text_); }
    friend bool operator==(const StringBase& a, const StringBase& b) { return a.text_ == b.text_; }
    friend bool operator!=(const StringBase& a, const StringBase& b) { return a.text_ != b.text_; }
    friend bool operator<(const StringBase& a, const StringBase& b) { return a.text_ < b.text_; }
    friend std::ostream& operator<<(std::ostream& out, const StringBase& s) { return out << s.text_; }

private:
    std::string text_;
};

} // namespace Tavrin

namespace std {
template <> struct hash<Tavrin::StringBase> {
    size_t operator()(const Tavrin::StringBase& s) const noexcept { return hash<string>()(s.str()); }
};
} // namespace std
