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
    std::string expression, radix, label;
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

int addCondition(int id, const std::string& expressionArg, const std::string& radixName, const std::string& label) {
    auto c = std::make_unique<Condition>();
    c->expression = stripOuterQuotes(expressionArg);
    c->radix = radixName;
    c->label = label;
    c->parsed = std::make_unique<ConditionExpression>(c->expression, parseRadix(radixName));
    for (const auto& path : c->parsed->signals()) {
        ValueTarget target = resolveValuePath(path);
        if (isMemory(target.object) || isReal(target.object))
            throw EngineError("a condition cannot use \"" + path + "\"");
        c->targets[path] = target;
    }
    if (c->targets.empty()) throw EngineError("condition \"" + c->expression + "\" has no signal");
    c->id = id;
    for (const auto& entry : c->targets) c->watches.push_back(watchValueChange(entry.second.object, [id] { changed(id); }));
    c->wasTrue = evaluate(*c);
    conditions[id] = std::move(c);
    if (id >= nextId) nextId = id + 1;
    return id;
}

Orvex::Mi::Value condAdd(const std::vector<std::string>& args) {
    expectArgs(args, 3, "cond-add");
    return Orvex::Mi::Value::tuple().add("id", addCondition(nextId, args[0], args[1], args[2]));
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
    expectArgs(args, 4, "cond-restore");
    addCondition(static_cast<int>(parseInteger(args[0], "condition id")), args[1], args[2], args[3]);
    return Orvex::Mi::Value::tuple();
}

Orvex::Mi::Value condNextId(const std::vector<std::string>& args) {
    expectArgs(args, 1, "cond-next-id");
    nextId = static_cast<int>(parseInteger(args[0], "condition id"));
    return Orvex::Mi::Value::tuple();
}

Registrar addRequest("cond-add", condAdd);
Registrar removeLabelRequest("cond-remove-label", condRemoveLabel);
Registrar removeIdRequest("cond-remove-id", condRemoveId);
Registrar clearRequest("cond-clear", condClear);
Registrar listRequest("cond-list", condList);
Registrar restoreRequest("cond-restore", condRestore);
Registrar nextIdRequest("cond-next-id", condNextId);
RestartStateRegistrar saved([] {
    std::vector<std::string> lines;
    for (const auto& entry : conditions)
        lines.push_back(replayLine("cond-restore", {std::to_string(entry.first), entry.second->expression,
                                                    entry.second->radix, entry.second->label}));
    lines.push_back(replayLine("cond-next-id", {std::to_string(nextId)}));
    return lines;
});
} // namespace

} // namespace OrvexEngine
