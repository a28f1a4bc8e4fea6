// Statement reports: with -pfileline=1 vvp writes "file:line: description" to std::cerr before
// each procedural statement while its `show_file_line` flag is set. The engine catches those
// lines to stop at breakpoints, step, trace lines, and interrupt a run.
#pragma once

#include <cstddef>
#include <string>

namespace OrvexEngine {

/// Looks up vvp's symbols and puts the catching buffer on std::cerr; false when vvp lacks them.
bool installStatementHook();
/// At the start of simulation, once the code is loaded: the cheapest mechanism that checks out.
void startStatementMechanism();
/// True when statement reports can be had (breakpoints, step and tracing need them).
bool statementHookAvailable();
/// Throws EngineError naming `what` when statement reports cannot be had.
void requireStatementHook(const char* what);
/// Switches vvp's reports on exactly while something needs them.
void refreshStatementHook();

/// Splits "file:line: description" into file and line; false for any other text.
bool parseStatementReport(const std::string& text, std::string& file, int& line);
/// The same on `size` characters at `text`, without copying: the file is the first `fileSize`.
bool parseStatementReport(const char* text, std::size_t size, std::size_t& fileSize, int& line);

/// Line tracing: each reported statement as ~"ltrace: file:line".
void setLineTrace(bool on);
bool lineTraceOn();

} // namespace OrvexEngine
