// SDF text to cells and IOPATH delays: a tokenizer, a generic parenthesised tree, and the
// interpretation of that tree.
#include "SdfParser.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace OrvexEngine {

namespace {

struct Node {
    bool list = false;
    bool quoted = false;
    std::string atom; // the text of an atom or quoted string; for a list, its first atom
    std::vector<Node> items;
    int line = 0;
};

std::string at(int line) { return "line " + std::to_string(line) + ": "; }

class Reader {
public:
    explicit Reader(const std::string& text) : text_(text) {}

    Node parseTop() {
        skipSpace();
        if (pos_ >= text_.size()) throw SdfError("empty SDF file");
        if (text_[pos_] != '(') throw SdfError(at(line_) + "expected '(DELAYFILE'");
        Node root = parseList();
        skipSpace();
        if (pos_ < text_.size()) throw SdfError(at(line_) + "text after the end of DELAYFILE");
        return root;
    }

private:
    void skipSpace() {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '\n') { ++line_; ++pos_; }
            else if (std::isspace(static_cast<unsigned char>(c))) ++pos_;
            else if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/') {
                while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
            } else if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '*') {
                const int start = line_;
                pos_ += 2;
                while (pos_ + 1 < text_.size() && !(text_[pos_] == '*' && text_[pos_ + 1] == '/')) {
                    if (text_[pos_] == '\n') ++line_;
                    ++pos_;
                }
                if (pos_ + 1 >= text_.size()) throw SdfError(at(start) + "comment without an end");
                pos_ += 2;
            } else break;
        }
    }

    Node parseList() {
        Node node;
        node.list = true;
        node.line = line_;
        ++pos_; // '('
        if (++depth_ > 200) throw SdfError(at(line_) + "parentheses nested too deeply");
        for (;;) {
            skipSpace();
            if (pos_ >= text_.size()) throw SdfError(at(node.line) + "'(' without a matching ')'");
            const char c = text_[pos_];
            if (c == ')') { ++pos_; break; }
            if (c == '(') node.items.push_back(parseList());
            else node.items.push_back(parseAtom());
        }
        --depth_;
        if (!node.items.empty() && !node.items[0].list && !node.items[0].quoted) node.atom = node.items[0].atom;
        return node;
    }

    Node parseAtom() {
        Node node;
        node.line = line_;
        if (text_[pos_] == '"') {
            node.quoted = true;
            ++pos_;
            while (pos_ < text_.size() && text_[pos_] != '"') {
                if (text_[pos_] == '\n') ++line_;
                if (text_[pos_] == '\\' && pos_ + 1 < text_.size()) ++pos_;
                node.atom += text_[pos_++];
            }
            if (pos_ >= text_.size()) throw SdfError(at(node.line) + "string without a closing quote");
            ++pos_;
            return node;
        }
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '\\' && pos_ + 1 < text_.size()) {
                node.atom += c;
                node.atom += text_[pos_ + 1];
                pos_ += 2;
                continue;
            }
            if (std::isspace(static_cast<unsigned char>(c)) || c == '(' || c == ')' || c == '"') break;
            node.atom += c;
            ++pos_;
        }
        return node;
    }

    const std::string& text_;
    std::size_t pos_ = 0;
    int line_ = 1;
    int depth_ = 0;
};

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool parseNumber(const std::string& text, double& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return *end == '\0' && errno == 0 && std::isfinite(value);
}

double timescaleOf(const Node& node) {
    std::string text;
    for (std::size_t i = 1; i < node.items.size(); ++i) text += node.items[i].atom;
    std::size_t split = 0;
    while (split < text.size() && (std::isdigit(static_cast<unsigned char>(text[split])) || text[split] == '.')) ++split;
    double number = 0;
    if (!parseNumber(text.substr(0, split), number) || number <= 0)
        throw SdfError(at(node.line) + "bad TIMESCALE '" + text + "'");
    const std::string unit = text.substr(split);
    static const struct { const char* name; double seconds; } units[] = {
        {"s", 1}, {"ms", 1e-3}, {"us", 1e-6}, {"ns", 1e-9}, {"ps", 1e-12}, {"fs", 1e-15}};
    for (const auto& u : units)
        if (unit == u.name) return number * u.seconds;
    throw SdfError(at(node.line) + "bad TIMESCALE unit '" + unit + "'");
}

SdfTriple tripleOf(const Node& atom) {
    SdfTriple triple;
    std::vector<std::string> parts;
    std::string part;
    for (char c : atom.atom) {
        if (c == ':') { parts.push_back(part); part.clear(); }
        else part += c;
    }
    parts.push_back(part);
    if (parts.size() != 1 && parts.size() != 3)
        throw SdfError(at(atom.line) + "bad delay value '" + atom.atom + "'");
    for (int i = 0; i < 3; ++i) {
        const std::string& text = parts.size() == 1 ? parts[0] : parts[static_cast<std::size_t>(i)];
        if (text.empty()) continue;
        if (!parseNumber(text, triple.value[i])) throw SdfError(at(atom.line) + "bad delay value '" + atom.atom + "'");
        triple.present[i] = true;
    }
    return triple;
}

// A delay value list entry: () | (v) | (v:v:v) | ((v) (v) ...) where the first value is the delay
// and the others are pulse limits, which this engine does not use.
SdfTriple delayOf(const Node& node) {
    if (!node.list) throw SdfError(at(node.line) + "expected a delay value in parentheses, got '" + node.atom + "'");
    if (node.items.empty()) return SdfTriple();
    const Node& first = node.items[0];
    if (first.list) return delayOf(first);
    if (node.items.size() != 1) throw SdfError(at(node.line) + "bad delay value");
    return tripleOf(first);
}

void splitPath(const std::string& text, char divider, std::vector<std::string>& out) {
    std::string part;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) { part += text[++i]; continue; }
        if (text[i] == divider || (divider == '.' && text[i] == '/')) {
            if (!part.empty()) out.push_back(part);
            part.clear();
            continue;
        }
        part += text[i];
    }
    if (!part.empty()) out.push_back(part);
}

std::string portOf(const Node& node, std::string* edge) {
    if (!node.list) return node.atom;
    const std::string kind = upper(node.atom);
    if ((kind == "POSEDGE" || kind == "NEGEDGE") && node.items.size() == 2 && !node.items[1].list) {
        if (edge) *edge = kind == "POSEDGE" ? "posedge" : "negedge";
        return node.items[1].atom;
    }
    throw SdfError(at(node.line) + "bad port in IOPATH");
}

void readDelays(const Node& group, bool increment, SdfCell& cell, SdfFile& file) {
    for (std::size_t i = 1; i < group.items.size(); ++i) {
        const Node& def = group.items[i];
        if (!def.list) throw SdfError(at(def.line) + "unexpected '" + def.atom + "' in " + group.atom);
        const std::string kind = upper(def.atom);
        if (kind != "IOPATH") {
            file.warnings.push_back(at(def.line) + kind + " delays are not annotated by this engine; ignored");
            continue;
        }
        if (def.items.size() < 4) throw SdfError(at(def.line) + "IOPATH needs an input port, an output port and delays");
        SdfIoPath path;
        path.line = def.line;
        path.increment = increment;
        path.input = portOf(def.items[1], &path.edge);
        path.output = portOf(def.items[2], nullptr);
        for (std::size_t v = 3; v < def.items.size(); ++v) {
            if (def.items[v].list && upper(def.items[v].atom) == "RETAIN") {
                file.warnings.push_back(at(def.items[v].line) + "RETAIN is not annotated by this engine; ignored");
                continue;
            }
            path.delays.push_back(delayOf(def.items[v]));
        }
        const std::size_t n = path.delays.size();
        if (n != 1 && n != 2 && n != 3 && n != 6 && n != 12)
            throw SdfError(at(def.line) + "IOPATH with " + std::to_string(n) + " delay values (1, 2, 3, 6 or 12 allowed)");
        cell.paths.push_back(std::move(path));
    }
}

SdfCell readCell(const Node& node, SdfFile& file) {
    SdfCell cell;
    cell.line = node.line;
    for (std::size_t i = 1; i < node.items.size(); ++i) {
        const Node& item = node.items[i];
        if (!item.list) throw SdfError(at(item.line) + "unexpected '" + item.atom + "' in CELL");
        const std::string kind = upper(item.atom);
        if (kind == "CELLTYPE") {
            if (item.items.size() != 2) throw SdfError(at(item.line) + "CELLTYPE needs one name");
            cell.type = item.items[1].atom;
        } else if (kind == "INSTANCE") {
            for (std::size_t k = 1; k < item.items.size(); ++k) {
                if (item.items[k].atom == "*") cell.wildcard = true;
                else splitPath(item.items[k].atom, file.divider, cell.instance);
            }
        } else if (kind == "DELAY") {
            for (std::size_t k = 1; k < item.items.size(); ++k) {
                const Node& group = item.items[k];
                const std::string g = upper(group.atom);
                if (group.list && (g == "ABSOLUTE" || g == "INCREMENT")) readDelays(group, g == "INCREMENT", cell, file);
                else if (group.list) file.warnings.push_back(at(group.line) + g + " delays are not annotated by this engine; ignored");
                else throw SdfError(at(group.line) + "unexpected '" + group.atom + "' in DELAY");
            }
        } else {
            file.warnings.push_back(at(item.line) + kind + " is not annotated by this engine; ignored");
        }
    }
    if (cell.type.empty() && !node.items.empty()) throw SdfError(at(node.line) + "CELL without CELLTYPE");
    return cell;
}

} // namespace

SdfFile parseSdf(const std::string& text) {
    Reader reader(text);
    const Node root = reader.parseTop();
    if (upper(root.atom) != "DELAYFILE") throw SdfError(at(root.line) + "expected '(DELAYFILE'");
    SdfFile file;
    for (std::size_t i = 1; i < root.items.size(); ++i) {
        const Node& item = root.items[i];
        if (!item.list) throw SdfError(at(item.line) + "unexpected '" + item.atom + "' in DELAYFILE");
        const std::string kind = upper(item.atom);
        const std::string value = item.items.size() > 1 ? item.items[1].atom : std::string();
        if (kind == "SDFVERSION") file.version = value;
        else if (kind == "DESIGN") file.design = value;
        else if (kind == "DIVIDER") {
            if (value != "." && value != "/") throw SdfError(at(item.line) + "DIVIDER must be '.' or '/', got '" + value + "'");
            file.divider = value[0];
        } else if (kind == "TIMESCALE") file.timescale = timescaleOf(item);
        else if (kind == "CELL") file.cells.push_back(readCell(item, file));
        else if (kind == "DATE" || kind == "VENDOR" || kind == "PROGRAM" || kind == "VERSION" || kind == "VOLTAGE" ||
                 kind == "PROCESS" || kind == "TEMPERATURE") continue;
        else throw SdfError(at(item.line) + "unknown '" + item.atom + "' in DELAYFILE");
    }
    return file;
}

bool pickDelay(const SdfTriple& triple, int kind, double& value) {
    if (kind < 0 || kind > 2 || !triple.present[kind]) return false;
    value = triple.value[kind];
    return true;
}

} // namespace OrvexEngine
