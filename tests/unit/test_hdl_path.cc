// The one path grammar: what each written form parses to, what it is written back as, what is
// refused with which reason, and how a parsed path resolves in a small hierarchy.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "HdlPath.h"

using namespace Orvex::HdlPath;

TEST(HdlPath, ParsesEveryFormToOneCanonicalText) {
    struct Case {
        const char* text;
        const char* canonical;
    };
    const Case cases[] = {
        {"/", "/"},
        {"/top/u1/q", "/top/u1/q"},
        {"q", "q"},
        {"../u2/q", "../u2/q"},
        {"./q", "./q"},
        {"bus(3:0)", "bus[3:0]"},
        {"bus[3:0]", "bus[3:0]"},
        {"bus(7 downto 0)", "bus[7:0]"},
        {"bus(0 to 7)", "bus[0:7]"},
        {"mem(2)", "mem[2]"},
        {"/top/mem[2][7:4]", "/top/mem[2][7:4]"},
        {"mem(1,3,5)(1:10)", "mem[1][3][5][1:10]"},
        {"/top/g[1]/x", "/top/g[1]/x"},
        {"/top/g[-1]/x", "/top/g[-1]/x"},
        {"/top/\\a+b /q", "/top/\\a+b /q"},
        {"/top/\\a/b ", "/top/\\a/b "},
        {"\\bus[0] [3]", "\\bus[0] [3]"},
        {"sig$1", "sig$1"},
        {"/top/u1/", "/top/u1"},
    };
    for (const Case& c : cases) {
        Path path;
        ASSERT_NO_THROW(path = parse(c.text)) << c.text;
        EXPECT_EQ(format(path), c.canonical) << c.text;
        EXPECT_EQ(format(parse(format(path))), c.canonical) << c.text; // the canonical form is stable
    }

    const Path path = parse("../\\a+b (3)/g[2]/mem(4)[7:0]");
    ASSERT_EQ(path.segments.size(), 4u);
    EXPECT_FALSE(path.absolute);
    EXPECT_EQ(path.segments[0].kind, Segment::Kind::Parent);
    EXPECT_EQ(path.segments[1].name, "a+b");
    EXPECT_EQ(path.segments[1].selects, (std::vector<Select>{{false, 3, 3}}));
    EXPECT_EQ(generateScopeName(path.segments[2]), "g[2]");
    EXPECT_EQ(path.segments[3].selects, (std::vector<Select>{{false, 4, 4}, {true, 7, 0}}));

    // Refusals say what is wrong with which text.
    const std::map<std::string, std::string> bad{
        {"", "the path is empty"},
        {"//top", "a name cannot begin with \"/\""},
        {"/top/", ""}, // accepted: a closing "/" is dropped; listed to keep it so
        {"3bus", "a name cannot begin with \"3\""},
        {"bus[3", "missing \"]\""},
        {"bus[]", "an index must be a decimal integer"},
        {"bus[a]", "an index must be a decimal integer, not \"a\""},
        {"bus(3]", "unexpected \"]\" in a select"},
        {"bus[1,2]", "unexpected \",\" in a select"},
        {"bus[3]x", "unexpected \"x\" at position 7"},
        {"a b", "unexpected \" \""},
        {"\\", "an escaped name"},
        {"bus[99999999999999999999]", "an index must be a decimal integer"},
    };
    for (const auto& entry : bad) {
        if (entry.second.empty()) {
            EXPECT_NO_THROW(parse(entry.first)) << entry.first;
            continue;
        }
        try {
            parse(entry.first);
            ADD_FAILURE() << "accepted: " << entry.first;
        } catch (const PathError& e) {
            const std::string message = e.what();
            EXPECT_EQ(message.find("bad path \"" + entry.first + "\": "), 0u) << message;
            EXPECT_NE(message.find(entry.second), std::string::npos) << message;
        }
    }
}

namespace {
// /top (clk, mem) with u1 (q) and a generate scope g[1] (w).
struct Hierarchy {
    std::map<std::string, std::set<std::string>> scopes{
        {"", {"top"}}, {"/top", {"u1", "g[1]"}}, {"/top/u1", {}}, {"/top/g[1]", {}}};
    std::map<std::string, std::set<std::string>> objects{
        {"/top", {"clk", "mem"}}, {"/top/u1", {"q"}}, {"/top/g[1]", {"w"}}};

    // Nodes are the paths themselves; "" is the root, "-" none.
    struct Node {
        std::string path = "-";
        explicit operator bool() const { return path != "-"; }
    };
    Node root() const { return Node{""}; }
    bool isRoot(const Node& node) const { return node.path.empty(); }
    Node parent(const Node& node) const {
        const std::size_t slash = node.path.rfind('/');
        return slash == 0 || slash == std::string::npos ? Node{} : Node{node.path.substr(0, slash)};
    }
    Node childScope(const Node& node, const std::string& name) const {
        auto found = scopes.find(node.path);
        return found != scopes.end() && found->second.count(name) ? Node{node.path + "/" + name} : Node{};
    }
    Node dataObject(const Node& node, const std::string& name) const {
        auto found = objects.find(node.path);
        return found != objects.end() && found->second.count(name) ? Node{node.path + "/" + name} : Node{};
    }
};
} // namespace

TEST(HdlPath, ResolvesScopesObjectsAndSelectsFromTheCurrentScope) {
    Hierarchy tree;
    const Hierarchy::Node u1{"/top/u1"};
    auto at = [&](const std::string& text, const Hierarchy::Node& from) {
        const auto found = resolve(parse(text), tree, from);
        if (found.object)
            return "object " + found.object.path + selectText(found.selects);
        return found.scope ? "scope " + found.scope.path : std::string("none");
    };
    EXPECT_EQ(at("/", u1), "scope ");
    EXPECT_EQ(at("q", u1), "object /top/u1/q");
    EXPECT_EQ(at("..", u1), "scope /top");
    EXPECT_EQ(at("../clk", u1), "object /top/clk");
    EXPECT_EQ(at("../mem(2)", u1), "object /top/mem[2]");
    EXPECT_EQ(at("/top/g[1]", u1), "scope /top/g[1]");      // no object "g[1]": the generate scope
    EXPECT_EQ(at("/top/g[1]/w[0]", u1), "object /top/g[1]/w[0]");
    EXPECT_EQ(at("/top/\\g[1] ", u1), "scope /top/g[1]");   // escaped: only the scope of that name
    EXPECT_EQ(at("../..", u1), "none");                      // a top block has no parent
    EXPECT_EQ(at("/top/q", u1), "none");
    EXPECT_EQ(at("/top/u1[0]/q", u1), "none");
    EXPECT_EQ(at("/top/clk/x", u1), "none");                 // an object is not a scope
    EXPECT_EQ(at("/clk", u1), "none");                       // the root holds no objects
    EXPECT_EQ(at("q", Hierarchy::Node{}), "none");           // relative with no current scope
}

TEST(HdlPath, NamesAreEscapedOnlyWhenTheyWouldNotReadBack) {
    EXPECT_EQ(nameText("q"), "q");
    EXPECT_EQ(nameText("g[1]"), "g[1]");
    EXPECT_EQ(nameText("g[1:0]"), "\\g[1:0] ");
    EXPECT_EQ(nameText("a+b"), "\\a+b ");
    EXPECT_EQ(nameText("1x"), "\\1x ");
    EXPECT_EQ(nameText("a/b"), "\\a/b ");
    EXPECT_FALSE(isIdentifier("$x"));
}
