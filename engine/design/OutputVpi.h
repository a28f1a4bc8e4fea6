// VPI helpers shared by the output writers and SDF annotation: protocol paths ("/tb/dut/q",
// optionally with an array index) to handles and back, the kinds of scopes and objects, time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <vpi_user.h>

#include "EngineCore.h" // pathOf

namespace OrvexEngine {

/// The object or scope named by an absolute path of the shared grammar; null when there is none.
/// "/tb/mem[3]" gives the array word, "/tb/g[1]" the generate scope.
vpiHandle handleOfPath(const std::string& path);
/// The scope named by a path; throws EngineError "<what>: no such block: <path>" otherwise (and
/// the grammar's message for a malformed path).
vpiHandle scopeOfPath(const std::string& path, const char* what);

/// True for module, task, function, named begin/fork and generate scopes.
bool isBlockScope(vpiHandle object);
/// The VCD scope keyword of a scope: module, task, function, begin or fork.
const char* vcdScopeKind(vpiHandle scope);
/// True for unpacked arrays (memories, net and variable arrays).
bool isArray(vpiHandle object);

/// The child scopes, in the order VPI gives them (tops for a null scope).
std::vector<vpiHandle> childScopes(vpiHandle scope);
/// The data objects of a scope: nets, variables, parameters, named events and arrays.
std::vector<vpiHandle> scopeObjects(vpiHandle scope);
/// The words of an unpacked array.
std::vector<vpiHandle> arrayWords(vpiHandle array);

/// The current simulation time in ticks of the design precision.
std::uint64_t simTicks();
/// The design precision as a power of ten of seconds (-12 is 1 ps).
int designPrecision();
/// Integer parameter or range value of a handle relation, e.g. vpiLeftRange.
bool rangeOf(vpiHandle object, int& left, int& right);

/// Converts the first argument of a request to a non-negative integer; throws EngineError naming
/// the request and the text otherwise.
std::int64_t parseCount(const std::string& text, const char* what);
/// "0" or "1"; throws EngineError otherwise.
bool parseFlag(const std::string& text, const char* what);

} // namespace OrvexEngine
