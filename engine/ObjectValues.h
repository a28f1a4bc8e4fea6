// Reading and writing design values through VPI: paths with an index or slice suffix
// ("/tb/mem[3]", "/tb/bus[7:0]", "/tb/bus[3]", "/tb/mem[3][7:4]") resolved to a handle and a
// bit range, values as bit strings, and the default radix of each kind of object: 1-bit objects
// in bin, integers in dec, time variables in unsigned, reals %g-like, other vectors in hex.
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

/// Throws EngineError naming the path or the index when it does not resolve.
ValueTarget resolveValuePath(const std::string& path);

bool isMemory(vpiHandle object);
bool isReal(vpiHandle object);
/// Objects that have a value (nets, variables, parameters, memories).
bool isDataObject(vpiHandle object);

/// The bits of the target (with its slice), most significant first.
std::string readBits(const ValueTarget& target);
int targetWidth(const ValueTarget& target);
/// The value text of a target in a radix (Default chooses by kind).
std::string formatValue(const ValueTarget& target, Radix radix);
/// Writes a value text in a radix (vpiNoDelay, or force/release with those flags).
void writeValue(const ValueTarget& target, const std::string& text, Radix radix, int flags = vpiNoDelay);

} // namespace OrvexEngine
