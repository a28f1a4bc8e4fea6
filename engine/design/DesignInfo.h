// What the compiler knows and vvp's VPI does not: where each signal is declared, and the
// drivers and loads of each net. A second compile with the engine's own code-generator back end
// writes it to a side file, which the engine reads at start.
#pragma once

#include <string>
#include <vector>

namespace OrvexEngine {

/// One driver or load of a net: the hierarchical path of the connected object (a process, a
/// gate, a port or a net), its object kind as the shell numbers them (0..3 data objects, 5 a
/// block), a text (for drivers: what drives, e.g. "assign" or the gate type; for loads: empty)
/// and the connection index; `file` and `line` say where the connection is made (the gate,
/// the assignment or the instantiation), empty and 0 when unknown.
struct Connection {
    std::string path;
    int kind = 0;
    std::string text;
    int index = 0;
    std::string file;
    int line = 0;
};

/// Reads the side file; false (and nothing known) when it is missing or unreadable. Until a file
/// is loaded, the first query reads the file named by ORVEX_DESIGN_INFO, if set.
bool loadDesignInfo(const std::string& fileName);
/// Where the object or scope with this path ("/tb/dut/q") is declared (for a module instance: where
/// its module is declared); false when unknown.
bool declarationOf(const std::string& path, std::string& file, int& line);
/// Where the module instance with this path is instantiated; false when unknown.
bool instantiationOf(const std::string& path, std::string& file, int& line);
/// True once a design data file has been read.
bool designInfoLoaded();
/// True when the file names this object or scope (an index or slice suffix is ignored).
bool designInfoKnows(const std::string& path);
/// The drivers and loads of the net with this path; empty when unknown.
std::vector<Connection> driversOf(const std::string& path);
std::vector<Connection> loadsOf(const std::string& path);

} // namespace OrvexEngine
