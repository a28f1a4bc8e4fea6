// Finding `time` declarations in the design's source (see TimeVariables.h).
#include "TimeVariables.h"

#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "DesignInfo.h"
#include "EngineCore.h"

namespace OrvexEngine {

namespace {

int bound(vpiHandle object, int relation) {
    vpiHandle range = vpi_handle(relation, object);
    if (!range) return -1;
    s_vpi_value v{};
    v.format = vpiIntVal;
    vpi_get_value(range, &v);
    return v.value.integer;
}

const std::vector<std::string>& sourceLines(const std::string& file) {
    static std::map<std::string, std::vector<std::string>> files;
    auto found = files.find(file);
    if (found != files.end()) return found->second;
    std::vector<std::string>& lines = files[file];
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string regexQuoted(const std::string& text) {
    static const std::regex special(R"([.^$|()\[\]{}*+?\\])");
    return std::regex_replace(text, special, R"(\$&)");
}

bool declaredTime(const std::string& path, const std::string& name) {
    std::string file;
    int line = 0;
    if (!declarationOf(path, file, line) || line < 1) return false;
    const std::vector<std::string>& lines = sourceLines(file);
    if (line > static_cast<int>(lines.size())) return false;
    // The keyword, then (after other names of the same declaration) this name.
    const std::regex declaration("\\btime\\b[^;]*(^|[^\\w$])" + regexQuoted(name) + "($|[^\\w$])");
    return std::regex_search(lines[line - 1], declaration);
}

} // namespace

bool isTimeVariable(vpiHandle object) {
    const int type = vpi_get(vpiType, object);
    if (type == vpiTimeVar) return true;
    if (type != vpiReg || vpi_get(vpiSize, object) != 64 || vpi_get(vpiSigned, object) == 1 ||
        bound(object, vpiLeftRange) != 63 || bound(object, vpiRightRange) != 0)
        return false;
    static std::map<std::string, bool> known;
    const std::string path = pathOf(object);
    auto found = known.find(path);
    if (found != known.end()) return found->second;
    const char* name = vpi_get_str(vpiName, object);
    return known[path] = name && declaredTime(path, name);
}

} // namespace OrvexEngine
