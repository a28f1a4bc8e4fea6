// Reading and writing design values through VPI: paths with selects ("/tb/mem[3]",
// "/tb/bus[7:0]", "/tb/bus(3)", "/tb/mem[3][7:4]") resolved to a handle and a bit range, values
// as bit strings, and the default radix of each kind of object: 1-bit objects in bin, integer
// and time variables in decimal, reals %g-like, other vectors in hex; values are read back in
// the radix they are shown in.
// Reals print %g-like in every radix. A memory's value is a list of its words, "(w0, w1, ..., )" shortened to the array display
// length with ", ..." at the end when words are left out.
#pragma once

#include <string>

#include <vpi_user.h>

#include "ValueText.h"

namespace OrvexEngine {

struct ValueTarget {
    std::string path;        // as the user gave it
    vpiHandle object = nullptr; // the whole object, or the memory word
    bool sliced = false;     // only bits [first, first + count) of the bit string
    int first = 0;
    int count = 0;
};

/// Resolves an absolute path, or a relative one from the scope `base`, with its selects (a
/// memory word, then a bit or a part). Throws EngineError naming the path or the index when it
/// does not resolve.
ValueTarget resolveValuePath(const std::string& path, vpiHandle base = nullptr);

/// The value of a bound such as vpiLeftRange of `object`; 0 when it has none.
int rangeBound(vpiHandle object, int property);
bool isMemory(vpiHandle object);
bool isReal(vpiHandle object);
/// Objects that have a value (nets, variables, parameters, memories).
bool isDataObject(vpiHandle object);

/// The bits of the target (with its slice), most significant first.
std::string readBits(const ValueTarget& target);
int targetWidth(const ValueTarget& target);
/// The value text of a target in a radix (Default chooses by kind).
std::string formatValue(const ValueTarget& target, Radix radix);
/// The bits a value text stands for when written to the target, exactly as show value prints
/// them read back: the radix "default" reads in the radix the target's value is shown in (hex
/// for vectors, bin for single bits, decimal for integer and time variables) and also takes
/// Verilog literals (8'h5c). Throws EngineError naming the text.
std::string valueBits(const ValueTarget& target, const std::string& text, Radix radix);
/// Writes a value text in a radix (vpiNoDelay, or force/release with those flags).
void writeValue(const ValueTarget& target, const std::string& text, Radix radix, int flags = vpiNoDelay);

} // namespace OrvexEngine
