// Parsing shared by the output and annotation commands.
#include "tavrin/commands/CommandArguments.h"

namespace Tavrin {

namespace {
[[noreturn]] void usageError(const std::string& text = std::string()) {
    TclCommandBase::usageError(text);
}
} // namespace

void TclPlainSubCommand::parse(Tcl_Interp*, int objc, Tcl_Obj* const[]) {
    if (objc != 0) usageError();
}

ArgumentCursor::ArgumentCursor(int objc, Tcl_Obj* const objv[])
    : objc_(objc < 0 ? 0 : objc), objv_(objv) {}

std::string ArgumentCursor::take() {
    if (atEnd()) usageError();
    option_ = Tcl_GetString(objv_[next_++]);
    return option_;
}

std::string ArgumentCursor::value(const std::string& missing) {
    if (atEnd()) usageError(missing.empty() ? "Missing value for option " + option_ : missing);
    return Tcl_GetString(objv_[next_++]);
}

int ArgumentCursor::intValue(const std::string& invalid) {
    if (atEnd()) usageError(invalid);
    int number = 0;
    // No interpreter: Tcl's own message must not become the command's result.
    if (Tcl_GetIntFromObj(nullptr, objv_[next_++], &number) != TCL_OK) usageError(invalid);
    return number;
}

std::vector<std::string> ArgumentCursor::valuesUpToOption() {
    std::vector<std::string> values;
    while (!atEnd()) {
        std::string word = Tcl_GetString(objv_[next_]);
        if (!word.empty() && word[0] == '-') break;
        ++next_;
        if (!word.empty()) values.push_back(word);
    }
    return values;
}

void requireArgumentCount(int objc, int min, int max) {
    if (objc < min || objc > max) usageError();
}

IBlock* requireBlock(IBlock* block, const StringBase& path) {
    if (block == nullptr) TclCommandBase::actionError("{" + path + "}: No such HDL block.");
    return block;
}

} // namespace Tavrin
