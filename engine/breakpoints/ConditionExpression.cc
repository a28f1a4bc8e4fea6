// Parsing (recursive descent) and evaluation of condition expressions.
#include "ConditionExpression.h"

#include <algorithm>
#include <cctype>

#include "EngineCommands.h"

namespace OrvexEngine {

struct ConditionExpression::Node {
    enum Kind { Signal, Constant, Not, And, Or, Equal, NotEqual } kind;
    std::string text; // the path, or the constant's bits
    std::unique_ptr<Node> left, right;
};

namespace {
using Node = ConditionExpression::Node;

const char* const allowed = "a condition compares signal names with constants (sig == 12f, sig != 0), "
                            "joined with &&, || and !, grouped with parentheses";

bool isOperatorChar(char c) { return c == '(' || c == ')' || c == '!' || c == '=' || c == '&' || c == '|'; }

bool isOperator(const std::string& token) {
    return token == "(" || token == ")" || token == "!" || token == "==" || token == "!=" || token == "&&" ||
           token == "||";
}

std::vector<std::string> tokenize(const std::string& text) {
    std::vector<std::string> tokens;
    std::size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (std::isspace(static_cast<unsigned char>(c))) { ++i; continue; }
        if (c == '(' || c == ')') { tokens.emplace_back(1, c); ++i; continue; }
        if (isOperatorChar(c)) {
            std::string two = text.substr(i, 2);
            if (two == "==" || two == "!=" || two == "&&" || two == "||") { tokens.push_back(two); i += 2; continue; }
            if (c == '!') { tokens.emplace_back("!"); ++i; continue; }
            throw EngineError("\"" + text.substr(i, 1) + "\" is not an operator of a condition: the operators are "
                              "==, !=, !, && and || (" + allowed + ")");
        }
        std::size_t start = i;
        // An escaped name runs to its closing blank; its selects may follow.
        if (c == '\\') while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i]))) ++i;
        while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i])) && !isOperatorChar(text[i])) ++i;
        // Selects in parentheses belong to the name: "bus(3:0)", "mem(2)".
        while (i > start && i < text.size() && text[i] == '(') {
            std::size_t close = text.find(')', i);
            if (close == std::string::npos) break;
            i = close + 1;
        }
        tokens.push_back(text.substr(start, i - start));
    }
    return tokens;
}

class Parser {
public:
    Parser(std::vector<std::string> tokens, const ConditionExpression::ConstantReader& readConstant,
           std::vector<std::string>& signals)
        : tokens_(std::move(tokens)), readConstant_(readConstant), signals_(signals) {}

    std::unique_ptr<Node> parse() {
        if (tokens_.empty()) throw EngineError(std::string("the condition is empty: ") + allowed);
        auto node = parseOr();
        if (pos_ < tokens_.size())
            throw EngineError("\"" + tokens_[pos_] + "\" after \"" + tokens_[pos_ - 1] +
                              "\" is not allowed there: expected ==, !=, &&, || or \")\" (" + allowed + ")");
        return node;
    }

private:
    bool accept(const char* token) {
        if (pos_ < tokens_.size() && tokens_[pos_] == token) { ++pos_; return true; }
        return false;
    }
    std::unique_ptr<Node> binary(Node::Kind kind, std::unique_ptr<Node> l, std::unique_ptr<Node> r) {
        auto node = std::make_unique<Node>();
        node->kind = kind;
        node->left = std::move(l);
        node->right = std::move(r);
        return node;
    }
    std::unique_ptr<Node> parseOr() {
        auto node = parseAnd();
        while (accept("||")) node = binary(Node::Or, std::move(node), parseAnd());
        return node;
    }
    std::unique_ptr<Node> parseAnd() {
        auto node = parseCompare();
        while (accept("&&")) node = binary(Node::And, std::move(node), parseCompare());
        return node;
    }
    std::unique_ptr<Node> parseCompare() {
        auto node = parseUnary();
        for (const char* op : {"==", "!="}) {
            if (!accept(op)) continue;
            if (node->kind != Node::Signal)
                throw EngineError(std::string("the left side of \"") + op + "\" must be a signal name (" + allowed + ")");
            auto right = constant(*node, op);
            return binary(op[0] == '=' ? Node::Equal : Node::NotEqual, std::move(node), std::move(right));
        }
        return node;
    }
    std::unique_ptr<Node> constant(const Node& signal, const char* op) {
        if (pos_ >= tokens_.size())
            throw EngineError(std::string("the condition ends after \"") + op + "\": expected a constant (" + allowed + ")");
        const std::string& token = tokens_[pos_++];
        if (isOperator(token))
            throw EngineError("\"" + token + "\" after \"" + op + "\" is not a constant (" + allowed + ")");
        auto node = std::make_unique<Node>();
        node->kind = Node::Constant;
        node->text = readConstant_(signal.text, token);
        return node;
    }
    std::unique_ptr<Node> parseUnary() {
        if (accept("!")) return binary(Node::Not, parseUnary(), nullptr);
        if (accept("(")) {
            auto node = parseOr();
            if (!accept(")"))
                throw EngineError(pos_ < tokens_.size()
                                      ? "\"" + tokens_[pos_] + "\" is not allowed there: expected \")\" (" + allowed + ")"
                                      : std::string("missing \")\" at the end of the condition"));
            return node;
        }
        if (pos_ >= tokens_.size())
            throw EngineError("the condition ends too early: expected a signal name after \"" + tokens_[pos_ - 1] + "\"");
        const std::string& token = tokens_[pos_++];
        if (isOperator(token))
            throw EngineError("\"" + token + "\" is not allowed there: expected a signal name, \"!\" or \"(\" (" +
                              allowed + ")");
        auto node = std::make_unique<Node>();
        node->kind = Node::Signal;
        node->text = token;
        if (std::find(signals_.begin(), signals_.end(), token) == signals_.end()) signals_.push_back(token);
        return node;
    }

    std::vector<std::string> tokens_;
    std::size_t pos_ = 0;
    const ConditionExpression::ConstantReader& readConstant_;
    std::vector<std::string>& signals_;
};

bool known(const std::string& bits) { return bits.find_first_of("xXzZ") == std::string::npos; }

std::string significant(const std::string& bits) {
    std::size_t one = bits.find('1');
    return one == std::string::npos ? "" : bits.substr(one);
}

using Getter = std::function<std::string(const std::string&)>;

std::string bitsOfOperand(const Node& node, const Getter& bitsOf);
bool truth(const Node& node, const Getter& bitsOf) {
    switch (node.kind) {
    case Node::Not: return !truth(*node.left, bitsOf);
    case Node::And: return truth(*node.left, bitsOf) && truth(*node.right, bitsOf);
    case Node::Or: return truth(*node.left, bitsOf) || truth(*node.right, bitsOf);
    case Node::Equal:
    case Node::NotEqual: {
        std::string a = bitsOfOperand(*node.left, bitsOf), b = bitsOfOperand(*node.right, bitsOf);
        if (!known(a) || !known(b)) return false;
        bool same = significant(a) == significant(b);
        return node.kind == Node::Equal ? same : !same;
    }
    default: return bitsOfOperand(node, bitsOf).find('1') != std::string::npos;
    }
}

std::string bitsOfOperand(const Node& node, const Getter& bitsOf) {
    if (node.kind == Node::Signal) return bitsOf(node.text);
    if (node.kind == Node::Constant) return node.text;
    return truth(node, bitsOf) ? "1" : "0";
}
} // namespace

ConditionExpression::ConditionExpression(const std::string& text, const ConstantReader& readConstant) {
    root_ = Parser(tokenize(text), readConstant, signals_).parse();
}
ConditionExpression::~ConditionExpression() = default;
ConditionExpression::ConditionExpression(ConditionExpression&&) noexcept = default;

bool ConditionExpression::evaluate(const Getter& bitsOf) const { return truth(*root_, bitsOf); }

std::string stripOuterQuotes(const std::string& text) {
    std::size_t b = text.find_first_not_of(" \t"), e = text.find_last_not_of(" \t");
    if (b == std::string::npos) return "";
    std::string t = text.substr(b, e - b + 1);
    if (t.size() >= 2 && ((t.front() == '"' && t.back() == '"') || (t.front() == '{' && t.back() == '}')))
        return t.substr(1, t.size() - 2);
    return t;
}

} // namespace OrvexEngine
