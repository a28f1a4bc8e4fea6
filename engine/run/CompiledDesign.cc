// Reading vvp's compiled design text: ":file_names N;" followed by N quoted names, statement
// places "%file_line <file> <line> ...", system task calls "%vpi_call[/w] <file> <line> "$name"".
#include "CompiledDesign.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <vpi_user.h>

namespace OrvexEngine {

namespace {

CompiledDesign read(const std::string& path) {
    CompiledDesign design;
    std::ifstream in(path);
    std::string line;
    int namesLeft = 0;
    std::vector<std::pair<int, int>> statements;
    while (std::getline(in, line)) {
        if (namesLeft > 0) {
            --namesLeft;
            const std::size_t open = line.find('"'), close = line.rfind('"');
            design.files.push_back(open < close ? line.substr(open + 1, close - open - 1) : "");
            continue;
        }
        if (line.rfind(":file_names ", 0) == 0) {
            namesLeft = std::atoi(line.c_str() + 12);
            continue;
        }
        const std::size_t op = line.find_first_not_of(" \t");
        if (op == std::string::npos || line[op] != '%') continue;
        const bool place = line.compare(op, 11, "%file_line ") == 0;
        const bool fatal = line.compare(op, 9, "%vpi_call") == 0 && line.find("\"$fatal\"") != std::string::npos;
        if (!place && !fatal) continue;
        std::istringstream words(line.substr(op));
        std::string opcode;
        int file = -1, at = 0;
        if (!(words >> opcode >> file >> at)) continue;
        (place ? statements : design.fatalCalls).emplace_back(file, at);
    }
    for (const auto& s : statements)
        if (s.first >= 0 && s.first < static_cast<int>(design.files.size()))
            design.statementLines[design.files[s.first]].insert(s.second);
    return design;
}

} // namespace

const CompiledDesign& compiledDesign() {
    static const CompiledDesign design = [] {
        s_vpi_vlog_info info{};
        if (!vpi_get_vlog_info(&info) || info.argc < 1 || !info.argv[0]) return CompiledDesign();
        return read(info.argv[0]);
    }();
    return design;
}

} // namespace OrvexEngine
