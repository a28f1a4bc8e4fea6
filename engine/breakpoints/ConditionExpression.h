// Condition expressions over signals, without VPI: operators ==, !=, !, &&, || and parentheses.
// The right side of == and != is a constant; every other operand is a signal name (a path of the
// shared grammar, resolved by the caller). Constants are read by the caller too, against the
// signal they are compared with, so that they mean what `put` of that text would write to it.
// Comparisons are numeric on the bits (zero-extended); a comparison with an x or z bit is false.
// An operand alone is true when one of its bits is 1.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>


namespace OrvexEngine {

class ConditionExpression {
public:
    /// The bits of `constant` compared with the signal `name`; throws EngineError.
    using ConstantReader = std::function<std::string(const std::string& name, const std::string& constant)>;

    /// Parses the expression; throws EngineError naming the bad word and what was expected.
    ConditionExpression(const std::string& text, const ConstantReader& readConstant);
    ~ConditionExpression();
    ConditionExpression(ConditionExpression&&) noexcept;

    /// The signal names the expression reads, as written, each once.
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
