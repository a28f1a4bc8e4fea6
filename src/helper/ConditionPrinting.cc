// The listing of conditional actions: each condition as the command that would add it again.
#include <string>

#include "tavrin/TclControlInterface.h"
#include "tavrin/TclHelper.h"

namespace Tavrin {

namespace {

constexpr int radixCount = 8;

// The short name of a radix the engine reports; a value outside the table is shown as its number.
std::string radixWord(int value) {
    if (value >= 0 && value < radixCount) return TclHelper::radix[value];
    return std::to_string(value);
}

// Appends one word to the command as a Tcl list element (quoted with braces where needed).
void appendWord(Tcl_DString& command, const std::string& word) {
    Tcl_DStringAppendElement(&command, word.c_str());
}

} // namespace

void TclHelper::printCondition(std::ostream& out, const std::vector<ConditionListEntry>& list,
                               const std::map<int, TclCondition*>& scripts) {
    if (list.empty()) {
        out << '\n';
        return;
    }
    for (const ConditionListEntry& entry : list) {
        out << '#' << entry.id << ' ';
        Tcl_DString command;
        Tcl_DStringInit(&command);
        Tcl_DStringAppend(&command, "orvex condition add", -1);
        appendWord(command, entry.expression.str());
        // The table may hold an empty slot for an id the engine reported without a script.
        auto found = scripts.find(entry.id);
        const TclCondition* condition = found != scripts.end() ? found->second : nullptr;
        if (condition != nullptr) {
            appendWord(command, condition->script.str());
            if (condition->radixGiven) {
                appendWord(command, "-radix");
                appendWord(command, radixWord(entry.radix));
            }
        }
        if (!entry.label.empty()) {
            appendWord(command, "-label");
            appendWord(command, entry.label.str());
        }
        Tcl_DStringAppend(&command, "\n", 1);
        out.write(Tcl_DStringValue(&command), Tcl_DStringLength(&command));
        Tcl_DStringFree(&command);
    }
    out << '\n';
    out.flush();
}

} // namespace Tavrin
