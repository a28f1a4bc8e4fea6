// Line breakpoints and their requests: bp-add, bp-remove, bp-clear, bp-list.
#include "Breakpoints.h"

#include <algorithm>

#include <cstdint>
#include <fstream>
#include <map>
#include <set>
#include <vector>

#include "CompiledDesign.h"
#include "EngineCommands.h"
#include "Numbers.h"
#include "RestartState.h"
#include "StatementHook.h"

namespace OrvexEngine {

namespace {
struct Breakpoint {
    std::string file;
    int line;
};
std::map<int, Breakpoint> table; // by index: listed in index order
int nextIndex = 1;
// A filter of line numbers that have a breakpoint in some file, so that a statement report on
// any other line is dismissed without comparing file names. Lines share bits modulo its size
// (a shared bit only sends a report down the full comparison), so its size stays fixed whatever
// line numbers are typed.
constexpr std::size_t LineFilterBits = 1u << 16;
std::vector<std::uint64_t> lineBits(LineFilterBits / 64, 0);
int version = 0;

void refreshLines() {
    ++version;
    std::fill(lineBits.begin(), lineBits.end(), 0);
    for (const auto& entry : table) {
        std::size_t line = static_cast<std::size_t>(entry.second.line) % LineFilterBits;
        lineBits[line / 64] |= std::uint64_t(1) << (line % 64);
    }
}

std::string baseName(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool endsWithPath(const std::string& longer, const std::string& shorter) {
    if (shorter.size() > longer.size()) return false;
    if (longer.compare(longer.size() - shorter.size(), shorter.size(), shorter) != 0) return false;
    return longer.size() == shorter.size() || longer[longer.size() - shorter.size() - 1] == '/';
}

int addBreakpoint(int index, const std::string& file, int line) {
    table[index] = Breakpoint{file, line};
    if (index >= nextIndex) nextIndex = index + 1;
    refreshLines();
    refreshStatementHook();
    return index;
}

int lineCount(const std::string& file) {
    std::ifstream in(file);
    if (!in) return -1;
    int count = 0;
    std::string text;
    while (std::getline(in, text)) ++count;
    return count;
}

std::string nearestLines(const std::set<int>& lines, int line) {
    auto after = lines.lower_bound(line);
    std::string text;
    if (after != lines.begin()) text = std::to_string(*std::prev(after));
    if (after != lines.end()) text += (text.empty() ? "" : " and ") + std::to_string(*after);
    return text;
}

/// Refuses a breakpoint that can never be hit: a file that is not part of the design, a line past
/// its end or a line without a statement. Without statement places in the compiled design
/// (compiled without them) every line is taken.
void checkBreakpointPlace(const std::string& file, int line) {
    const CompiledDesign& design = compiledDesign();
    if (design.statementLines.empty()) return;
    // Several sources may match a short name; the breakpoint is taken when any of them has a
    // statement there, and otherwise refused with what the first one says.
    std::string refusal;
    bool known = false;
    for (const std::string& source : design.files) {
        if (source.empty() || !(endsWithPath(source, file) || endsWithPath(file, source))) continue;
        known = true;
        auto found = design.statementLines.find(source);
        if (found != design.statementLines.end() && found->second.count(line)) return;
        if (!refusal.empty()) continue;
        const int lines = lineCount(source);
        if (lines >= 0 && line > lines)
            refusal = "line " + std::to_string(line) + " is past the end of " + source + " (" +
                      std::to_string(lines) + " lines)";
        else if (found == design.statementLines.end())
            refusal = source + " has no statements to stop at";
        else
            refusal = "line " + std::to_string(line) + " of " + source +
                      " has no statement; the nearest statement lines are " + nearestLines(found->second, line);
    }
    if (!refusal.empty()) throw EngineError(refusal);
    if (!known) throw EngineError("\"" + file + "\" is not a source file of the design");
}

Orvex::Mi::Value bpAdd(const std::vector<std::string>& args) {
    expectArgs(args, 2, "bp-add");
    requireStatementHook("bp-add");
    if (args[0].empty()) throw EngineError("bp-add: empty file name");
    std::int64_t line = parseInteger(args[1], "line");
    if (line < 1 || line > 100000000) throw EngineError("bad line \"" + args[1] + "\"");
    checkBreakpointPlace(args[0], static_cast<int>(line));
    int index = addBreakpoint(nextIndex, args[0], static_cast<int>(line));
    return Orvex::Mi::Value::tuple().add("index", index);
}

Orvex::Mi::Value bpRemove(const std::vector<std::string>& args) {
    expectArgs(args, 1, "bp-remove");
    std::int64_t index = parseInteger(args[0], "breakpoint index");
    if (table.erase(static_cast<int>(index)) == 0 || index != static_cast<int>(index))
        throw EngineError("no breakpoint with index " + args[0]);
    refreshLines();
    refreshStatementHook();
    return Orvex::Mi::Value::tuple();
}

Orvex::Mi::Value bpClear(const std::vector<std::string>& args) {
    expectArgs(args, 0, "bp-clear");
    table.clear();
    refreshLines();
    refreshStatementHook();
    return Orvex::Mi::Value::tuple();
}

Orvex::Mi::Value bpList(const std::vector<std::string>& args) {
    expectArgs(args, 0, "bp-list");
    Orvex::Mi::Value list = Orvex::Mi::Value::list();
    for (const auto& entry : table)
        list.push(Orvex::Mi::Value::tuple()
                      .add("index", entry.first)
                      .add("file", entry.second.file)
                      .add("line", entry.second.line));
    return Orvex::Mi::Value::tuple().add("breakpoints", list);
}

// Replay after a restart keeps the indexes the user saw.
Orvex::Mi::Value bpRestore(const std::vector<std::string>& args) {
    expectArgs(args, 3, "bp-restore");
    addBreakpoint(static_cast<int>(parseInteger(args[0], "index")), args[1],
                  static_cast<int>(parseInteger(args[2], "line")));
    return Orvex::Mi::Value::tuple();
}
Orvex::Mi::Value bpNext(const std::vector<std::string>& args) {
    expectArgs(args, 1, "bp-next-index");
    nextIndex = static_cast<int>(parseInteger(args[0], "index"));
    return Orvex::Mi::Value::tuple();
}

Registrar add(Orvex::Protocol::Request::BpAdd, bpAdd);
Registrar remove(Orvex::Protocol::Request::BpRemove, bpRemove);
Registrar clear(Orvex::Protocol::Request::BpClear, bpClear);
Registrar listing(Orvex::Protocol::Request::BpList, bpList);
Registrar restore("bp-restore", bpRestore);
Registrar next("bp-next-index", bpNext);
RestartStateRegistrar saved([] {
    std::vector<std::string> lines;
    for (const auto& entry : table)
        lines.push_back(replayLine("bp-restore", {std::to_string(entry.first), entry.second.file,
                                                  std::to_string(entry.second.line)}));
    lines.push_back(replayLine("bp-next-index", {std::to_string(nextIndex)}));
    return lines;
});
} // namespace

bool haveBreakpoints() { return !table.empty(); }
int breakpointVersion() { return version; }

bool breakpointOnLine(int line) {
    if (line < 0) return false;
    std::size_t at = static_cast<std::size_t>(line);
    at %= LineFilterBits;
    return (lineBits[at / 64] >> (at % 64) & 1) != 0;
}

int breakpointAt(const std::string& file, int line) {
    for (const auto& entry : table)
        if (entry.second.line == line && sameSourceFile(entry.second.file, file)) return entry.first;
    return 0;
}

bool sameSourceFile(const std::string& given, const std::string& reported) {
    if (given == reported) return true;
    if (baseName(given) != baseName(reported)) return false;
    return endsWithPath(reported, given) || endsWithPath(given, reported);
}

} // namespace OrvexEngine
