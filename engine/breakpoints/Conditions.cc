// Conditions: cond-add watches every signal of an expression (cbValueChange); at the end of a
// time step in which one changed, the expression is evaluated, and when it has become true
// during a run the run stops after that time step with condition-met and the ids of every
// condition met there. Ids count from 1 and survive a restart.
#include <map>
#include <memory>

#include "ConditionExpression.h"
#include "EngineCommands.h"
#include "EngineCore.h"
#include "Numbers.h"
#include "ObjectValues.h"
#include "RestartState.h"
#include "Session.h"

namespace OrvexEngine {

namespace {
struct Condition {
    int id = 0;
    std::string expression, radix, label, scope;
    std::unique_ptr<ConditionExpression> parsed;
    std::map<std::string, ValueTarget> targets;
    std::vector<int> watches;
    bool wasTrue = false;
    bool checkPending = false;
};

std::map<int, std::unique_ptr<Condition>> conditions;
int nextId = 1;

bool evaluate(const Condition& c) {
    return c.parsed->evaluate([&c](const std::string& path) { return readBits(c.targets.at(path)); });
}

void check(int id) {
    auto found = conditions.find(id);
    if (found == conditions.end()) return;
    Condition& c = *found->second;
    c.checkPending = false;
    bool now = evaluate(c);
    bool became = now && !c.wasTrue;
    c.wasTrue = now;
    if (became) conditionMet(id);
}

void changed(int id) {
    auto found = conditions.find(id);
    if (found == conditions.end() || found->second->checkPending) return;
    found->second->checkPending = true;
    atEndOfTimeStep([id] { check(id); });
}

void removeCondition(std::map<int, std::unique_ptr<Condition>>::iterator it) {
    for (int watch : it->second->watches) unwatch(watch);
    conditions.erase(it);
}

// The watched objects of a condition, resolved the way every command resolves names: relative to
// the scope the condition was added in, or absolute, with selects.
class ConditionTargets {
public:
    explicit ConditionTargets(const std::string& scopePath) : scopePath_(scopePath) {
        if (scopePath.empty()) return;
        // Any scope will do, a package such as $unit included.
        base_ = resolvePath(scopePath).scope;
        if (!base_) throw EngineError("cond-add: no such scope: " + scopePath);
    }

    const ValueTarget& of(const std::string& name) {
        auto found = targets_.find(name);
        if (found != targets_.end()) return found->second;
        ValueTarget target;
        try {
            target = resolveValuePath(name, base_);
        } catch (const EngineError& e) {
            if (std::string(e.what()).compare(0, 13, "unknown path ") != 0) throw;
            throw EngineError("\"" + name + "\" names no signal or variable" +
                              (scopePath_.empty() ? std::string() : " in " + scopePath_) +
                              " (a condition names signals relative to the current scope, or by absolute path)");
        }
        if (isMemory(target.object) || isReal(target.object))
            throw EngineError("a condition cannot watch \"" + name + "\": it is a " +
                              (isReal(target.object) ? "real" : "memory; name one word, such as mem[3]"));
        return targets_.emplace(name, target).first->second;
    }

    std::map<std::string, ValueTarget>& all() { return targets_; }

private:
    std::string scopePath_;
    vpiHandle base_ = nullptr;
    std::map<std::string, ValueTarget> targets_;
};

int addCondition(int id, const std::string& expressionArg, const std::string& radixName, const std::string& label,
                 const std::string& scopePath) {
    auto c = std::make_unique<Condition>();
    c->expression = stripOuterQuotes(expressionArg);
    c->radix = radixName;
    c->label = label;
    c->scope = scopePath;
    const Radix radix = parseRadix(radixName);
    ConditionTargets targets(scopePath);
    // A constant means what put of that text would write to the signal it is compared with;
    // Verilog literals (4'd7) are taken in every radix.
    auto readConstant = [&](const std::string& name, const std::string& constant) {
        const ValueTarget& target = targets.of(name);
        std::string bits;
        try {
            return valueBits(target, constant, parseBasedLiteral(constant, bits) ? Radix::Default : radix);
        } catch (const EngineError&) {
            throw EngineError("\"" + constant + "\" is not a constant for \"" + name + "\" in radix " +
                              (radixName.empty() ? std::string("default") : radixName) +
                              " (the right side of == and != is a constant in the condition's radix, or a "
                              "Verilog literal such as 8'h2f; with the default radix, as show value prints it)");
        }
    };
    c->parsed = std::make_unique<ConditionExpression>(c->expression, readConstant);
    for (const auto& name : c->parsed->signals()) targets.of(name);
    c->targets = std::move(targets.all());
    if (c->targets.empty()) throw EngineError("condition \"" + c->expression + "\" has no signal");
    c->id = id;
    for (const auto& entry : c->targets) c->watches.push_back(watchValueChange(entry.second.object, [id] { changed(id); }));
    c->wasTrue = evaluate(*c);
    conditions[id] = std::move(c);
    if (id >= nextId) nextId = id + 1;
    return id;
}

Orvex::Mi::Value condAdd(const std::vector<std::string>& args) {
    // The fourth argument, the shell's current scope, came with relative names.
    if (args.size() != 4) expectArgs(args, 3, "cond-add");
    return Orvex::Mi::Value::tuple().add(
        "id", addCondition(nextId, args[0], args[1], args[2], args.size() > 3 ? args[3] : std::string()));
}

Orvex::Mi::Value condRemoveLabel(const std::vector<std::string>& args) {
    expectArgs(args, 1, "cond-remove-label");
    bool any = false;
    for (auto it = conditions.begin(); it != conditions.end();) {
        auto next = std::next(it);
        if (it->second->label == args[0]) { removeCondition(it); any = true; }
        it = next;
    }
    if (!any) throw EngineError("no condition with label \"" + args[0] + "\"");
    return Orvex::Mi::Value::tuple();
}

Orvex::Mi::Value condRemoveId(const std::vector<std::string>& args) {
    expectArgs(args, 1, "cond-remove-id");
    auto found = conditions.find(static_cast<int>(parseInteger(args[0], "condition id")));
    if (found == conditions.end()) throw EngineError("no condition with id " + args[0]);
    removeCondition(found);
    return Orvex::Mi::Value::tuple();
}

Orvex::Mi::Value condClear(const std::vector<std::string>& args) {
    expectArgs(args, 0, "cond-clear");
    while (!conditions.empty()) removeCondition(conditions.begin());
    return Orvex::Mi::Value::tuple();
}

Orvex::Mi::Value condList(const std::vector<std::string>& args) {
    expectArgs(args, 0, "cond-list");
    Orvex::Mi::Value list = Orvex::Mi::Value::list();
    for (const auto& entry : conditions)
        list.push(Orvex::Mi::Value::tuple()
                      .add("id", entry.first)
                      .add("expression", entry.second->expression)
                      .add("radix", entry.second->radix)
                      .add("label", entry.second->label));
    return Orvex::Mi::Value::tuple().add("conditions", list);
}

Orvex::Mi::Value condRestore(const std::vector<std::string>& args) {
    expectArgs(args, 5, "cond-restore");
    addCondition(static_cast<int>(parseInteger(args[0], "condition id")), args[1], args[2], args[3], args[4]);
    return Orvex::Mi::Value::tuple();
}

Orvex::Mi::Value condNextId(const std::vector<std::string>& args) {
    expectArgs(args, 1, "cond-next-id");
    nextId = static_cast<int>(parseInteger(args[0], "condition id"));
    return Orvex::Mi::Value::tuple();
}

Registrar addRequest(Orvex::Protocol::Request::CondAdd, condAdd);
Registrar removeLabelRequest(Orvex::Protocol::Request::CondRemoveLabel, condRemoveLabel);
Registrar removeIdRequest(Orvex::Protocol::Request::CondRemoveId, condRemoveId);
Registrar clearRequest(Orvex::Protocol::Request::CondClear, condClear);
Registrar listRequest(Orvex::Protocol::Request::CondList, condList);
Registrar restoreRequest("cond-restore", condRestore);
Registrar nextIdRequest("cond-next-id", condNextId);
RestartStateRegistrar saved([] {
    std::vector<std::string> lines;
    for (const auto& entry : conditions)
        lines.push_back(replayLine("cond-restore", {std::to_string(entry.first), entry.second->expression,
                                                    entry.second->radix, entry.second->label,
                                                    entry.second->scope}));
    lines.push_back(replayLine("cond-next-id", {std::to_string(nextId)}));
    return lines;
});
} // namespace

} // namespace OrvexEngine
