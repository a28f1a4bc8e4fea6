// Which mechanism makes statements report: vvp's code patched at each statement site (a
// breakpoint costs nothing until it is reached), or vvp's own statement reports switched on for
// every statement (the fallback, used whenever the code space does not check out).
#pragma once

#include <string>

namespace OrvexEngine {

/// At the start of simulation: patches the statement sites unless vvp is not the known 11.0,
/// ORVEX_VVP_INTERNALS=off asks for the fallback, or the code space fails validation.
void startStatementSites(bool* showFileLine);
/// "code" or "reports", with the reason for the fallback after a colon when there is one.
const std::string& statementMechanism();
bool statementSitesActive();
/// Sets what reports: armed sites follow the breakpoint table; `every` reports every statement;
/// `trace` sends each statement's trace record, made once per site by `record` (a whole line).
void refreshStatementSites(bool every, bool trace, std::string (*record)(const std::string& file, int line));

} // namespace OrvexEngine
