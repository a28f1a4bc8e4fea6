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
/// and the connection index.
struct Connection {
    std::string path;
    int kind = 0;
    std::string text;
    int index = 0;
};

/// Reads the side file; false (and nothing known) when it is missing or unreadable.
bool loadDesignInfo(const std::string& fileName);
/// Where the object or scope with this path ("/tb/dut/q") is declared; false when unknown.
bool declarationOf(const std::string& path, std::string& file, int& line);
/// The drivers and loads of the net with this path; empty when unknown.
std::vector<Connection> driversOf(const std::string& path);
std::vector<Connection> loadsOf(const std::string& path);

} // namespace OrvexEngine
