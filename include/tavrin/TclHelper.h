// Routines shared by the commands: time arguments and units, radix names and value comparison,
// and the printed forms of design blocks and objects.
#pragma once

#include <tcl.h>

#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "orvex/ISimulationControl.h"
#include "orvex/IReader.h"
#include "orvex/Radix.h"
#include "orvex/StringBase.h"

namespace Tavrin {

struct TclCondition;

/// Static helpers; the tables are null-terminated so they serve directly as Tcl index tables.
class TclHelper {
public:
    /// Names of the radixes, indexed by Radix, then a null pointer.
    static const char* const radix[];
    /// Names of the sixteen waveform colours, indexed by colour, then a null pointer.
    static const char* const color[];
    /// Names of the user units "1 fs" .. "1 s", indexed by exponent + 15.
    static const char* const precisionTable[];

    /// Femtoseconds as the value "all bits set" signalling a failed conversion.
    static constexpr std::int64_t InvalidTime = -1;

    // --- time arguments and units ---
    /// Reads a time at objv[index] (one argument, or a value and a unit word), advancing index.
    /// Returns 0 and sets `time` (fs) on success, 1 on failure; throws TclHelpException for a
    /// malformed or negative value, and for a number joined to a word that is not a unit (10xs).
    static int getTimeArgument(int objc, Tcl_Obj* const objv[], int& index, std::int64_t& time,
                               int userUnit);
    static std::int64_t getCycles64FromUnitAndTime(const std::string& unit,
                                                   const std::string& value, int userUnit);
    /// True for a unit name in any case (fs, ps, ns, us, ms, s, sec).
    static bool isValidTimeUnit(const std::string& unit);
    /// The message for a word where a time unit was expected.
    static std::string unknownTimeUnitMessage(const std::string& word);
    static void extractValueAndUnitFromComposite(std::string& value, std::string& unit,
                                                 const char* input);
    /// The count in the largest display unit that divides it exactly, e.g. "2 ns".
    static void cvtRawTimeToDisplayableTime(std::int64_t time, std::string& out);

    // --- radix and comparison ---
    /// The index of a radix name (exact match), or -1 leaving Tcl's message in the result.
    static int getRadix(Tcl_Interp* interp, Tcl_Obj* word);
    static StringBase getRadixName(Radix radix);
    /// The name the waveform window knows a radix by ("HEXRADIX" ...).
    static StringBase getWaveRadixName(Radix radix);
    static void trimQuotes(std::string& text);
    /// True when one value is a one-bit Verilog value with a strength prefix and the other the
    /// same bit without it (st1 and 1).
    static bool compareVerilogValuesBasedOnStrength(const std::string& a, const std::string& b);

    // --- design object printing ---
    static void writeIndent(std::ostream& out, int n);
    static StringBase getBlockKindName(int kind);
    static const char* printPortType(int portType);
    static void printBlock(std::ostream& out, const IBlock* block, int indent,
                           const IReader* reader, bool verbose);
    static void printProcess(std::ostream& out, const IBlock* block, int indent,
                             const IReader* reader, bool verbose);
    static void printObject(std::ostream& out, const IDataObj* object, const StringBase& value,
                            int indent, const IReader* reader, bool verbose);
    static bool printPort(std::ostream& out, const IDataObj* object, int indent);
    static void printAllChildren(std::ostream& out, const IBlock* block, int indent);
    static bool printBlockValues(std::ostream& out, const IBlock* block,
                                 const ISimulationControl* simulationControl, Radix radix,
                                 int indent, bool withEnclosing, bool withHeader);

    // --- conditions ---
    /// Writes each condition of the engine's list as "#<id> " and the `orvex condition add`
    /// command that recreates it (the script, and the radix when it was typed, from `scripts`),
    /// then an empty line; an empty list writes one line break.
    static void printCondition(std::ostream& out, const std::vector<ConditionListEntry>& list,
                               const std::map<int, TclCondition*>& scripts);
};

} // namespace Tavrin
