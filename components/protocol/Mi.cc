// Encoding and parsing of protocol lines. Parsing never trusts its input: every malformed line
// gives a ParseError naming the position.
#include "Mi.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace Orvex {
namespace Mi {

Value& Value::add(const std::string& name, Value value) {
    fields.emplace_back(name, std::move(value));
    return *this;
}

const Value* Value::find(const std::string& name) const {
    for (const auto& field : fields)
        if (field.first == name) return &field.second;
    return nullptr;
}

std::string Value::get(const std::string& name, const std::string& fallback) const {
    const Value* v = find(name);
    return v && v->kind == Kind::Text ? v->text : fallback;
}

std::int64_t Value::getInt(const std::string& name, std::int64_t fallback) const {
    const Value* v = find(name);
    if (!v || v->kind != Kind::Text || v->text.empty()) return fallback;
    char* end = nullptr;
    errno = 0;
    long long n = std::strtoll(v->text.c_str(), &end, 10);
    // A number out of range is as unusable as a malformed one: strtoll would clamp it.
    return *end == '\0' && errno != ERANGE ? n : fallback;
}

namespace {

void appendQuoted(std::string& out, const std::string& text) {
    out += '"';
    std::size_t plain = 0; // start of the run of bytes copied as they are
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c != 0x7f && c != '\\' && c != '"') continue;
        out.append(text, plain, i - plain);
        plain = i + 1;
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default: {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        }
        }
    }
    out.append(text, plain, std::string::npos);
    out += '"';
}

void appendValue(std::string& out, const Value& value);

void appendFields(std::string& out, const Value& tuple) {
    for (std::size_t i = 0; i < tuple.fields.size(); ++i) {
        if (i > 0) out += ',';
        out += tuple.fields[i].first;
        out += '=';
        appendValue(out, tuple.fields[i].second);
    }
}

// One output string for the whole value: a design's hierarchy is one deep value of many
// thousand texts, and building each level's text apart copied it once per level.
void appendValue(std::string& out, const Value& value) {
    switch (value.kind) {
    case Value::Kind::Text: appendQuoted(out, value.text); return;
    case Value::Kind::Tuple:
        out += '{';
        appendFields(out, value);
        out += '}';
        return;
    case Value::Kind::List:
        out += '[';
        for (std::size_t i = 0; i < value.items.size(); ++i) {
            if (i > 0) out += ',';
            appendValue(out, value.items[i]);
        }
        out += ']';
        return;
    }
}

} // namespace

std::string quote(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 2);
    appendQuoted(out, text);
    return out;
}

std::string encodeFields(const Value& tuple) {
    std::string out;
    appendFields(out, tuple);
    return out;
}

std::string encode(const Value& value) {
    std::string out;
    appendValue(out, value);
    return out;
}

namespace {

class Parser {
public:
    explicit Parser(const std::string& line) : s(line) {}

    [[noreturn]] void fail(const std::string& what) const {
        throw ParseError(what + " at column " + std::to_string(pos + 1) + " of: " + s);
    }
    bool atEnd() const { return pos >= s.size(); }
    char peek() const { return atEnd() ? '\0' : s[pos]; }
    void expect(char c) {
        if (peek() != c) fail(std::string("expected '") + c + "'");
        ++pos;
    }

    std::string cstring() {
        expect('"');
        std::string out;
        while (true) {
            // Plain characters are taken a run at a time: a line trace brings millions of lines.
            const std::size_t special = s.find_first_of("\"\\", pos);
            if (special == std::string::npos) {
                pos = s.size();
                fail("unterminated string");
            }
            out.append(s, pos, special - pos);
            pos = special;
            char c = s[pos++];
            if (c == '"') return out;
            if (atEnd()) fail("unterminated escape");
            char e = s[pos++];
            switch (e) {
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case '\\': out += '\\'; break;
            case '"': out += '"'; break;
            case 'x': {
                if (pos + 2 > s.size() || !std::isxdigit(static_cast<unsigned char>(s[pos])) ||
                    !std::isxdigit(static_cast<unsigned char>(s[pos + 1])))
                    fail("bad \\x escape");
                out += static_cast<char>(std::strtol(s.substr(pos, 2).c_str(), nullptr, 16));
                pos += 2;
                break;
            }
            default: fail("unknown escape");
            }
        }
    }

    std::string name() {
        std::size_t start = pos;
        while (!atEnd() && (std::isalnum(static_cast<unsigned char>(s[pos])) || s[pos] == '-' ||
                            s[pos] == '_'))
            ++pos;
        if (pos == start) fail("expected a name");
        return s.substr(start, pos - start);
    }

    Value value(int depth) {
        if (depth > 64) fail("nesting too deep");
        char c = peek();
        if (c == '"') return Value::ofText(cstring());
        if (c == '{') {
            ++pos;
            Value t = Value::tuple();
            if (peek() == '}') {
                ++pos;
                return t;
            }
            fields(t, depth + 1);
            expect('}');
            return t;
        }
        if (c == '[') {
            ++pos;
            Value l = Value::list();
            if (peek() == ']') {
                ++pos;
                return l;
            }
            while (true) {
                // A list holds values, or name=value results which are kept as one-field tuples.
                if (peek() == '"' || peek() == '{' || peek() == '[') {
                    l.push(value(depth + 1));
                } else {
                    std::string n = name();
                    expect('=');
                    Value t = Value::tuple();
                    t.add(n, value(depth + 1));
                    l.push(std::move(t));
                }
                if (peek() == ',') {
                    ++pos;
                    continue;
                }
                expect(']');
                return l;
            }
        }
        fail("expected a value");
    }

    void fields(Value& tuple, int depth) {
        while (true) {
            std::string n = name();
            expect('=');
            tuple.add(n, value(depth));
            if (peek() != ',') return;
            ++pos;
        }
    }

    const std::string& s;
    std::size_t pos = 0;
};

} // namespace

Record parseRecord(const std::string& line) {
    Parser p(line);
    Record r;
    char c = p.peek();
    if (c == '~') {
        ++p.pos;
        r.type = Record::Type::Stream;
        r.text = p.cstring();
    } else if (c == '*') {
        ++p.pos;
        r.type = Record::Type::Async;
        r.cls = p.name();
        if (p.peek() == ',') {
            ++p.pos;
            p.fields(r.fields, 0);
        }
    } else if (std::isdigit(static_cast<unsigned char>(c))) {
        std::size_t start = p.pos;
        while (std::isdigit(static_cast<unsigned char>(p.peek()))) ++p.pos;
        if (p.pos - start > 19) p.fail("token too long");
        r.token = std::strtoull(line.substr(start, p.pos - start).c_str(), nullptr, 10);
        p.expect('^');
        r.type = Record::Type::Result;
        r.cls = p.name();
        if (p.peek() == ',') {
            ++p.pos;
            p.fields(r.fields, 0);
        }
    } else {
        p.fail("unknown record type");
    }
    if (!p.atEnd()) p.fail("unexpected text after the record");
    return r;
}

std::string encodeRequest(const Request& request) {
    std::string out = std::to_string(request.token) + "-" + request.command;
    for (const std::string& arg : request.args) {
        out += ' ';
        out += quote(arg);
    }
    return out;
}

Request parseRequest(const std::string& line) {
    Parser p(line);
    Request r;
    std::size_t start = p.pos;
    while (std::isdigit(static_cast<unsigned char>(p.peek()))) ++p.pos;
    if (p.pos == start || p.pos - start > 19) p.fail("expected a token");
    r.token = std::strtoull(line.substr(start, p.pos - start).c_str(), nullptr, 10);
    p.expect('-');
    r.command = p.name();
    while (!p.atEnd()) {
        p.expect(' ');
        while (p.peek() == ' ') ++p.pos;
        if (p.atEnd()) break;
        if (p.peek() == '"') {
            r.args.push_back(p.cstring());
        } else {
            std::size_t wordStart = p.pos;
            while (!p.atEnd() && p.peek() != ' ') ++p.pos;
            r.args.push_back(line.substr(wordStart, p.pos - wordStart));
        }
    }
    return r;
}

} // namespace Mi
} // namespace Orvex
