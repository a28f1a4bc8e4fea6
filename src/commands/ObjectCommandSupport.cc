// The "-radix <name>" option and the value comparison shared by the object commands.
#include "commands/ObjectCommandSupport.h"

#include <cctype>
#include <cstring>

#include "tavrin/TclHelper.h"

namespace Tavrin {

const char* const radixNamesHelp = "       default, dec, bin, oct, hex, unsigned,\n"
                                   "       ascii";

RadixOptionStatus readRadixOption(Tcl_Interp* interp, Tcl_Obj* option, Tcl_Obj* name,
                                  Radix& radix) {
    if (option == nullptr || std::strcmp(Tcl_GetString(option), "-radix") != 0)
        return RadixOptionStatus::WrongOption;
    if (name == nullptr)
        return RadixOptionStatus::BadName;
    const int index = TclHelper::getRadix(interp, name);
    if (index < 0)
        return RadixOptionStatus::BadName;
    radix = static_cast<Radix>(index);
    return RadixOptionStatus::Read;
}

Radix requireRadixOption(Tcl_Interp* interp, Tcl_Obj* option, Tcl_Obj* name) {
    Radix radix = NoRadix;
    switch (readRadixOption(interp, option, name, radix)) {
    case RadixOptionStatus::Read:
        break;
    case RadixOptionStatus::WrongOption:
        TclCommandBase::usageError(StringBase("Invalid command option: ") +
                                   (option ? Tcl_GetString(option) : ""));
    case RadixOptionStatus::BadName:
        TclCommandBase::usageError();
    }
    return radix;
}

namespace {

// Byte-wise lower case; the cast keeps bytes above 127 away from tolower's undefined range.
std::string lowerCase(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

bool valuesMatch(const std::string& strippedActual, const std::string& strippedExpected) {
    const std::string actual = lowerCase(strippedActual);
    const std::string expected = lowerCase(strippedExpected);
    if (actual == expected)
        return true;
    // The boolean spellings count in one direction only: the engine prints true/false for a
    // boolean, the user types 1/0.
    if (actual == "true" && expected == "1")
        return true;
    if (actual == "false" && expected == "0")
        return true;
    return TclHelper::compareVerilogValuesBasedOnStrength(actual, expected);
}

} // namespace Tavrin
