// The engine protocol's wire format, shared by the engine and the engine control: one record per
// line, values as quoted C strings, tuples {name=value,...} and lists [value,...].
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace Orvex {
namespace Mi {

/// A protocol value: a text, a tuple of named values, or a list of values.
struct Value {
    enum class Kind { Text, Tuple, List };
    Kind kind = Kind::Text;
    std::string text;
    std::vector<std::pair<std::string, Value>> fields; // Tuple (names may repeat)
    std::vector<Value> items;                          // List

    // Moves are declared noexcept so that vectors of values move them when they grow: for a
    // type that holds vectors of itself the compiler cannot tell, and copied a hierarchy's whole
    // tree at each growth.
    Value() = default;
    Value(const Value&) = default;
    Value(Value&&) noexcept = default;
    Value& operator=(const Value&) = default;
    Value& operator=(Value&&) noexcept = default;

    static Value ofText(std::string t) { Value v; v.text = std::move(t); return v; }
    static Value tuple() { Value v; v.kind = Kind::Tuple; return v; }
    static Value list() { Value v; v.kind = Kind::List; return v; }

    /// Adds a named field to a tuple; returns the tuple for chaining.
    Value& add(const std::string& name, Value value);
    Value& add(const std::string& name, const std::string& text) { return add(name, ofText(text)); }
    Value& add(const std::string& name, const char* text) { return add(name, ofText(text)); }
    Value& add(const std::string& name, std::int64_t number) { return add(name, std::to_string(number)); }
    Value& add(const std::string& name, int number) { return add(name, std::to_string(number)); }
    Value& push(Value value) { items.push_back(std::move(value)); return *this; }

    /// The first field of that name, or null.
    const Value* find(const std::string& name) const;
    /// The text of a field; `fallback` when it is absent or not a text.
    std::string get(const std::string& name, const std::string& fallback = std::string()) const;
    /// The field read as an integer; `fallback` when absent or malformed.
    std::int64_t getInt(const std::string& name, std::int64_t fallback = 0) const;
};

/// A malformed line; the message says what and where.
class ParseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// A text as a quoted C string: \\ \" \n \r \t and \xHH for other control bytes.
std::string quote(const std::string& text);
/// Writes a value (tuples and lists in their bracketed forms, texts quoted).
std::string encode(const Value& value);
/// The fields of a tuple written without braces: name="v",name2={...}.
std::string encodeFields(const Value& tuple);

/// One record read from the engine.
struct Record {
    enum class Type {
        Result, // <token>^done,... or <token>^error,msg="..."
        Async,  // *class,...
        Stream  // ~"text"
    };
    Type type = Type::Async;
    std::uint64_t token = 0;
    std::string cls;  // "done" / "error" for results, the event class for async records
    Value fields = Value::tuple();
    std::string text; // stream records
};

/// Parses one line (without its line end) from the engine.
Record parseRecord(const std::string& line);

/// One request to the engine: <token>-<command> <arg> ...
struct Request {
    std::uint64_t token = 0;
    std::string command;
    std::vector<std::string> args;
};

/// Writes a request line (without the line end); every argument is quoted.
std::string encodeRequest(const Request& request);
/// Parses a request line (without its line end): arguments are bare words or quoted strings.
Request parseRequest(const std::string& line);

} // namespace Mi
} // namespace Orvex
