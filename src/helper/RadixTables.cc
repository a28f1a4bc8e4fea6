// Radix and colour vocabulary: the Tcl names of the radixes, the names the waveform window
// knows them by, and the waveform colours.
#include "tavrin/TclHelper.h"

namespace Tavrin {

const char* const TclHelper::radix[] = {"noradix", "default", "bin", "unsigned",
                                        "hex",     "dec",     "ascii", "oct", nullptr};

const char* const TclHelper::color[] = {
    "black",   "red",         "darkred", "green",      "darkgreen", "blue",
    "darkblue", "cyan",       "darkcyan", "magenta",   "darkmagenta", "yellow",
    "darkyellow", "gray",     "darkgray", "lightgray", nullptr};

namespace {

// Indexed by Radix, in the order of TclHelper::radix.
const char* const waveRadixNames[] = {"noradix",  "default",         "BINARYRADIX",
                                      "UNSIGNEDDECRADIX", "HEXRADIX", "SIGNEDDECRADIX",
                                      "ASCIIRADIX", "OCTALRADIX", nullptr};

constexpr int radixCount = 8;

bool isRadix(Radix value) { return value >= 0 && value < radixCount; }

} // namespace

int TclHelper::getRadix(Tcl_Interp* interp, Tcl_Obj* word) {
    if (!word)
        return -1;
    int index = -1;
    if (Tcl_GetIndexFromObj(interp, word, radix, "radix", TCL_EXACT, &index) != TCL_OK)
        return -1;
    return index;
}

StringBase TclHelper::getRadixName(Radix value) {
    return isRadix(value) ? StringBase(radix[value]) : StringBase();
}

StringBase TclHelper::getWaveRadixName(Radix value) {
    return isRadix(value) ? StringBase(waveRadixNames[value]) : StringBase();
}

} // namespace Tavrin
