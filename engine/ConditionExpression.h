// Condition expressions over signals, without VPI: operands are signal paths (they begin with
// "/") and constants (Verilog-style literals such as 4'b1010 and 'h1f, or digits in the
// condition's radix); operators ==, !=, !, &&, || and parentheses. Comparisons are numeric on
// the bits (zero-extended); a comparison with an x or z bit is false. An operand alone is true
// when one of its bits is 1.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ValueText.h"

namespace OrvexEngine {

class ConditionExpression {
public:
    /// Parses the expression; throws EngineError naming the bad token.
    ConditionExpression(const std::string& text, Radix radix);
    ~ConditionExpression();
    ConditionExpression(ConditionExpression&&) noexcept;

    /// The signal paths the expression reads, each once.
    const std::vector<std::string>& signals() const { return signals_; }
    /// Evaluates with the bits of each signal given by `bitsOf`.
    bool evaluate(const std::function<std::string(const std::string& path)>& bitsOf) const;

    struct Node;

private:
    std::unique_ptr<Node> root_;
    std::vector<std::string> signals_;
};

/// Drops one pair of enclosing quotes or braces that a shell may have left on the expression.
std::string stripOuterQuotes(const std::string& text);

} // namespace OrvexEngine
