// The listing of conditional actions: one pasteable `orvex condition add` command per condition
// the engine lists, with the shell's script and only the options that were typed. The ordinary
// listing (empty, scripts, typed and untyped radixes, labels) is checked through the command by
// transcript.orvex_conditions; here the cases it cannot produce.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tavrin/TclControlInterface.h"
#include "tavrin/TclHelper.h"

using namespace Tavrin;

namespace {

ConditionListEntry listed(int id, const char* expression, int radix = NoRadix,
                          const char* label = "") {
    ConditionListEntry entry;
    entry.id = id;
    entry.expression = expression;
    entry.radix = radix;
    entry.label = label;
    return entry;
}

TclCondition script(int id, const char* text, bool radixGiven = false) {
    TclCondition condition;
    condition.id = id;
    condition.script = text;
    condition.radixGiven = radixGiven;
    return condition;
}

std::string print(const std::vector<ConditionListEntry>& list,
                  const std::map<int, TclCondition*>& scripts) {
    std::ostringstream out;
    TclHelper::printCondition(out, list, scripts);
    return out.str();
}

// The words of a listed line once its "#<id> " prefix is removed, as Tcl would read them.
std::vector<std::string> wordsOf(const std::string& line) {
    std::string command = line.substr(line.find(' ') + 1);
    int count = 0;
    const char** elements = nullptr;
    if (Tcl_SplitList(nullptr, command.c_str(), &count, &elements) != TCL_OK) return {"<bad>"};
    std::vector<std::string> words(elements, elements + count);
    Tcl_Free(reinterpret_cast<char*>(elements));
    return words;
}

} // namespace

TEST(PrintCondition, ConditionsWithoutScriptShowExpressionAndLabelOnly) {
    // An id the engine reported as met without a script leaves an empty slot in the table.
    std::map<int, TclCondition*> scripts = {{4, nullptr}};
    std::vector<ConditionListEntry> list = {listed(4, "x", HexRadix, "l"), listed(5, "y")};
    EXPECT_EQ(print(list, scripts),
              "#4 orvex condition add x -label l\n"
              "#5 orvex condition add y\n"
              "\n");
}

TEST(PrintCondition, ListedCommandsGiveBackTheWordsThatWereTyped) {
    TclCondition awkward = script(7, "puts \"a}b\"; set x {[y]} \\", true);
    std::map<int, TclCondition*> scripts = {{7, &awkward}};
    std::vector<ConditionListEntry> list = {listed(7, "\"s == {1}\"", DecRadix, "two words")};
    std::string text = print(list, scripts);
    std::string line = text.substr(0, text.find('\n'));
    EXPECT_EQ(line.substr(0, 3), "#7 ");
    std::vector<std::string> expected = {"orvex",   "condition",  "add",
                                         "\"s == {1}\"", awkward.script.str(), "-radix",
                                         "dec",     "-label",     "two words"};
    EXPECT_EQ(wordsOf(line), expected);
}

TEST(PrintCondition, RadixOutsideTheTableIsShownAsItsNumber) {
    TclCondition typed = script(1, "dump", true);
    std::map<int, TclCondition*> scripts = {{1, &typed}};
    EXPECT_EQ(print({listed(1, "e", 42)}, scripts), "#1 orvex condition add e dump -radix 42\n\n");
}
