// The one grammar of HDL object paths, shared by the shell's design data and the engine: parsing
// a path text into segments and selects, writing it back in the form the engine protocol carries,
// and resolving it against any hierarchy (the reader's tree, or VPI handles in the engine).
//
// Grammar (blanks are not allowed except to end an escaped identifier):
//   path     := "/" | ["/"] segment ("/" segment)*
//   segment  := ".." | "." | name select*
//   name     := identifier | "\" escaped-characters (ended by a blank or the end of the text)
//   select   := "[" item "]" | "(" item ("," item)* ")"
//   item     := integer | integer (":" | " to " | " downto ") integer
// An identifier is a letter or "_" followed by letters, digits, "_" and "$". Integers may carry
// a sign. "(1,3,5)" is three index selects, the same as "[1][3][5]"; "bus(3:0)" and "bus[3:0]"
// are the same part select.
//
// Resolution. Segments walk from the design root (absolute) or from the current scope
// (relative); ".." goes to the parent and "." stays. A segment with exactly one index select also
// names a generate scope such as "g[1]": inner segments must be scopes (a name with one index
// is tried as that generate scope), and the last segment is tried as a data object named so
// whole ("bus[0]", as a waveform file may name one bit), then as a data object with selects (a
// memory word, a bit, a part), and as a scope last.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace Orvex {
namespace HdlPath {

/// One bracket group: an index ("[3]") or a range ("[7:4]"; left and right as written).
struct Select {
    bool range = false;
    std::int64_t left = 0;
    std::int64_t right = 0;
    bool operator==(const Select& other) const {
        return range == other.range && left == other.left && right == other.right;
    }
};

struct Segment {
    enum class Kind { Name, Parent, Here };
    Kind kind = Kind::Name;
    std::string name; // without the escape's backslash and closing blank
    std::vector<Select> selects;
};

struct Path {
    bool absolute = false;
    std::vector<Segment> segments; // empty with absolute: the design root "/"
};

/// A text that is not a path; the message names the text and what is wrong with it.
class PathError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

/// Parses a path text; throws PathError.
Path parse(const std::string& text);

/// True when the text of a name needs no escape in a path.
bool isIdentifier(const std::string& name);
/// A name as a path segment: as it is when `parse` reads it back as that one name (identifiers,
/// and generate scope names such as "g[1]"), else escaped ("\a+b ").
std::string nameText(const std::string& name);
/// The selects written in brackets: "[3][7:4]".
std::string selectText(const std::vector<Select>& selects);
/// The whole path in canonical form: "/" separators, escaped names, bracket selects.
std::string format(const Path& path);
/// The name of the generate scope a segment may stand for ("g[1]"); empty when it has no
/// single index select.
std::string generateScopeName(const Segment& segment);

/// What a path resolved to: a scope, or a data object with the selects left to apply to it.
template <typename Node>
struct Resolved {
    Node scope{};
    Node object{};
    std::vector<Select> selects;
    bool found() const { return static_cast<bool>(scope) || static_cast<bool>(object); }
};

/// Resolves a parsed path. `Tree` provides, for its node type:
///   Node root();                       the design root (above the top blocks)
///   bool isRoot(Node scope);
///   Node parent(Node scope);           null at the root and at a top block
///   Node childScope(Node scope, const std::string& name);   null when none
///   Node dataObject(Node scope, const std::string& name);   null when none (never at the root)
/// `current` is the scope relative paths start from. Nothing found gives an empty result. Node
/// is a pointer or a type with an explicit conversion to bool (false: none).
template <typename Tree, typename Node>
Resolved<Node> resolve(const Path& path, Tree& tree, Node current) {
    Resolved<Node> out;
    Node scope = path.absolute ? tree.root() : current;
    for (std::size_t i = 0; scope && i < path.segments.size(); ++i) {
        const Segment& segment = path.segments[i];
        const bool last = i + 1 == path.segments.size();
        if (segment.kind == Segment::Kind::Parent) {
            scope = tree.parent(scope);
            continue;
        }
        if (segment.kind == Segment::Kind::Here)
            continue;
        const std::string generate = generateScopeName(segment);
        if (last && !tree.isRoot(scope)) {
            // An object whose own name ends in an index (a bit or word a waveform file dumps on
            // its own, an escaped name) is meant before an index into another object.
            if (Node object = generate.empty() ? Node{} : tree.dataObject(scope, generate)) {
                out.object = object;
                return out;
            }
            if (Node object = tree.dataObject(scope, segment.name)) {
                out.object = object;
                out.selects = segment.selects;
                return out;
            }
        }
        if (segment.selects.empty())
            scope = tree.childScope(scope, segment.name);
        else
            scope = generate.empty() ? Node{} : tree.childScope(scope, generate);
    }
    out.scope = scope;
    return out;
}

} // namespace HdlPath
} // namespace Orvex
