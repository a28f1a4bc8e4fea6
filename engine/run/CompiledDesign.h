// What the engine reads from the compiled design file that vvp runs (its own text format): the
// source files, the lines that hold statements (with -pfileline=1) and where $fatal is called.
#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace OrvexEngine {

struct CompiledDesign {
    /// Source files by vvp's file index.
    std::vector<std::string> files;
    /// Lines with a statement, by source file name; empty when compiled without statement places.
    std::map<std::string, std::set<int>> statementLines;
    /// (file index, line) of each $fatal call.
    std::vector<std::pair<int, int>> fatalCalls;
};

/// The design vvp runs, read once (from the simulation's first argument); empty when unreadable.
const CompiledDesign& compiledDesign();

} // namespace OrvexEngine
