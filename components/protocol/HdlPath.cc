// Parsing and writing HDL object paths (the grammar is described in HdlPath.h).
#include "HdlPath.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

namespace Orvex {
namespace HdlPath {

namespace {

bool isIdentifierStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}

bool isIdentifierChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$';
}

class Reader {
public:
    explicit Reader(const std::string& text) : text_(text) {}

    Path path() {
        Path out;
        if (text_.empty())
            fail("the path is empty");
        if (peek() == '/') {
            out.absolute = true;
            ++pos_;
            if (atEnd())
                return out;
        }
        for (;;) {
            out.segments.push_back(segment());
            if (atEnd())
                return out;
            if (peek() != '/')
                fail("unexpected \"" + std::string(1, peek()) + "\" at position " +
                     std::to_string(pos_ + 1));
            ++pos_;
            if (atEnd())
                return out; // a closing "/" adds nothing
        }
    }

private:
    bool atEnd() const { return pos_ >= text_.size(); }
    char peek() const { return text_[pos_]; }

    [[noreturn]] void fail(const std::string& why) const {
        throw PathError("bad path \"" + text_ + "\": " + why);
    }

    Segment segment() {
        Segment out;
        if (text_.compare(pos_, 2, "..") == 0 && (pos_ + 2 == text_.size() || text_[pos_ + 2] == '/')) {
            out.kind = Segment::Kind::Parent;
            pos_ += 2;
            return out;
        }
        if (peek() == '.' && (pos_ + 1 == text_.size() || text_[pos_ + 1] == '/')) {
            out.kind = Segment::Kind::Here;
            ++pos_;
            return out;
        }
        if (peek() == '\\') {
            ++pos_;
            const std::size_t begin = pos_;
            while (!atEnd() && !std::isspace(static_cast<unsigned char>(peek())))
                ++pos_;
            out.name = text_.substr(begin, pos_ - begin);
            if (out.name.empty())
                fail("an escaped name (\"\\\") needs at least one character");
            if (!atEnd())
                ++pos_; // the blank that ends the escaped name
        } else {
            if (!isIdentifierStart(peek()))
                fail("a name cannot begin with \"" + std::string(1, peek()) +
                     "\" (names begin with a letter or \"_\"; write other names as \\name followed by a blank)");
            const std::size_t begin = pos_;
            while (!atEnd() && isIdentifierChar(peek()))
                ++pos_;
            out.name = text_.substr(begin, pos_ - begin);
        }
        while (!atEnd() && (peek() == '[' || peek() == '('))
            selectGroup(out.selects);
        return out;
    }

    void selectGroup(std::vector<Select>& selects) {
        const char open = text_[pos_++];
        const char close = open == '[' ? ']' : ')';
        for (;;) {
            Select select;
            select.left = select.right = integer();
            if (rangeSeparator()) {
                select.range = true;
                select.right = integer();
            }
            selects.push_back(select);
            if (atEnd())
                fail(std::string("missing \"") + close + "\"");
            if (peek() == close) {
                ++pos_;
                return;
            }
            if (peek() != ',' || open != '(')
                fail("unexpected \"" + std::string(1, peek()) + "\" in a select at position " +
                     std::to_string(pos_ + 1) + " (a select is an index or a range such as 7:4)");
            ++pos_;
        }
    }

    // ":" or, in the VHDL form, " to " and " downto ".
    bool rangeSeparator() {
        if (!atEnd() && peek() == ':') {
            ++pos_;
            return true;
        }
        for (const char* word : {" to ", " downto "}) {
            const std::string separator(word);
            if (text_.compare(pos_, separator.size(), separator) == 0) {
                pos_ += separator.size();
                return true;
            }
        }
        return false;
    }

    std::int64_t integer() {
        const std::size_t begin = pos_;
        if (!atEnd() && (peek() == '-' || peek() == '+'))
            ++pos_;
        while (!atEnd() && std::isdigit(static_cast<unsigned char>(peek())))
            ++pos_;
        const std::string digits = text_.substr(begin, pos_ - begin);
        errno = 0;
        char* end = nullptr;
        const long long value = std::strtoll(digits.c_str(), &end, 10);
        if (digits.empty() || *end != '\0' || errno != 0 ||
            !std::isdigit(static_cast<unsigned char>(digits.back())))
            fail(atEnd() ? "a select is not closed"
                         : "an index must be a decimal integer, not \"" +
                               text_.substr(begin, text_.find_first_of(":,])", begin) - begin) + "\"");
        return value;
    }

    const std::string& text_;
    std::size_t pos_ = 0;
};

} // namespace

Path parse(const std::string& text) { return Reader(text).path(); }

bool isIdentifier(const std::string& name) {
    if (name.empty() || !isIdentifierStart(name[0]))
        return false;
    for (char c : name)
        if (!isIdentifierChar(c))
            return false;
    return true;
}

std::string selectText(const std::vector<Select>& selects) {
    std::string out;
    for (const Select& select : selects) {
        out += "[" + std::to_string(select.left);
        if (select.range)
            out += ":" + std::to_string(select.right);
        out += "]";
    }
    return out;
}

std::string nameText(const std::string& name) {
    if (isIdentifier(name))
        return name;
    // A generate scope's name reads back as a name with one index select.
    const std::size_t open = name.find('[');
    if (open != std::string::npos && isIdentifier(name.substr(0, open))) {
        try {
            const Path path = parse(name);
            if (path.segments.size() == 1 && generateScopeName(path.segments[0]) == name)
                return name;
        } catch (const PathError&) {
        }
    }
    return "\\" + name + " ";
}

std::string format(const Path& path) {
    std::string out = path.absolute ? "/" : "";
    for (std::size_t i = 0; i < path.segments.size(); ++i) {
        const Segment& segment = path.segments[i];
        if (i > 0)
            out += "/";
        switch (segment.kind) {
        case Segment::Kind::Parent: out += ".."; break;
        case Segment::Kind::Here: out += "."; break;
        case Segment::Kind::Name:
            // A name that is not an identifier keeps its escape before selects, or the selects
            // would read as part of it.
            out += segment.selects.empty() || isIdentifier(segment.name) ? nameText(segment.name)
                                                                         : "\\" + segment.name + " ";
            out += selectText(segment.selects);
            break;
        }
    }
    return out;
}

std::string generateScopeName(const Segment& segment) {
    if (segment.selects.size() != 1 || segment.selects[0].range)
        return std::string();
    return segment.name + "[" + std::to_string(segment.selects[0].left) + "]";
}

} // namespace HdlPath
} // namespace Orvex
