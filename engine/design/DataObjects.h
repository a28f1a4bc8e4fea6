// The data objects of a scope in a fixed order: nets, variables, parameters, events, memories.
#pragma once

#include <vector>

#include <vpi_user.h>

namespace OrvexEngine {

std::vector<vpiHandle> dataObjectsOf(vpiHandle scope);
/// True for module, task, function, named block and generate scopes.
bool isScope(vpiHandle object);

} // namespace OrvexEngine
