// Reading Standard Delay Format files (IEEE 1497): the header, the timescale, and per cell its
// type, instance and IOPATH delays. Constructs this engine does not annotate are kept as
// warnings with their line. Free of VPI.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace OrvexEngine {

/// A malformed file; the message names the line and what was expected.
class SdfError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// One delay value: the min, typ and max parts, each possibly missing.
struct SdfTriple {
    bool present[3] = {false, false, false};
    double value[3] = {0, 0, 0};
};

struct SdfIoPath {
    std::string input;   // port name, possibly with a bit index
    std::string edge;    // "posedge", "negedge" or empty
    std::string output;
    std::vector<SdfTriple> delays; // 1, 2, 3, 6 or 12 values; an empty () has no part present
    bool increment = false;
    int line = 0;
};

struct SdfCell {
    std::string type;
    std::vector<std::string> instance; // path components; empty for the root itself
    bool wildcard = false;             // INSTANCE *
    std::vector<SdfIoPath> paths;
    int line = 0;
};

struct SdfFile {
    std::string version;
    std::string design;
    char divider = '.';
    double timescale = 1e-9; // seconds per unit of the delay values
    std::vector<SdfCell> cells;
    std::vector<std::string> warnings; // "line N: ..."
};

/// Parses the text of an SDF file; throws SdfError.
SdfFile parseSdf(const std::string& text);

/// The part of a triple for kind 0 (min), 1 (typ) or 2 (max); false when that part is missing.
bool pickDelay(const SdfTriple& triple, int kind, double& value);

} // namespace OrvexEngine
