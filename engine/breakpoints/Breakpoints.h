// Line breakpoints: a table of file and line with stable indexes from 1.
#pragma once

#include <string>

namespace OrvexEngine {

bool haveBreakpoints();
/// Changes whenever the table changes.
int breakpointVersion();
/// True when some breakpoint (in any file) is on this line number: a cheap first test.
bool breakpointOnLine(int line);
/// The index of a breakpoint at this reported statement place, or 0 when none.
int breakpointAt(const std::string& file, int line);
/// True when the file the user gave names the file vvp reports: the same path, or the same
/// name with one path ending in the other component by component ("counter.v" matches
/// "rtl/counter.v" and "/home/u/rtl/counter.v"; "x/counter.v" does not match "rtl/counter.v").
bool sameSourceFile(const std::string& given, const std::string& reported);

} // namespace OrvexEngine
