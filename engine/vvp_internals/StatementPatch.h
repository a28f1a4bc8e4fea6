// Statement sites patched into vvp's code space: every `%file_line` instruction is rewritten to
// call our own handler, which lets a statement through at the cost of one byte test unless its
// site is armed (a breakpoint on its line) or every statement must report (step, stop, line
// trace). A reporting statement runs vvp's own handler, so its report and its place for runtime
// warnings are vvp's. GPL-2.0-or-later: see NOTICE in this folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace OrvexEngine {
namespace VvpInternals {

/// Checks the whole code space and, only when every check passes, rewrites each `%file_line`.
/// `showFileLine` is vvp's flag for statement reports. On any doubt nothing is changed and
/// `why` says what failed.
bool patchStatementSites(bool* showFileLine, std::string& why);
bool statementSitesPatched();
std::size_t statementSiteCount();

/// Arms exactly the sites for which `armed(file, line)` is true.
void rearmStatementSites(const std::function<bool(const std::string&, int)>& armed);
/// While `report` is on every statement reports (step, stop); while `trace` is on every
/// statement is passed to the trace sink, without a report unless it reports anyway. Safe to
/// call from any thread.
void setEveryStatement(bool report, bool trace);
/// Makes every statement report, keeping tracing as it is: for a stop asked from any thread.
void raiseEveryStatement();
/// Receives the site number of each statement while tracing (0 to statementSiteCount() - 1).
void setTraceSink(void (*sink)(std::uint32_t site));
const std::string& statementSiteFile(std::size_t site);
int statementSiteLine(std::size_t site);

} // namespace VvpInternals
} // namespace OrvexEngine
