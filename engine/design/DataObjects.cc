// Listing the data objects of a scope through VPI, each once.
#include "DataObjects.h"

#include <set>
#include <string>

namespace OrvexEngine {

std::vector<vpiHandle> dataObjectsOf(vpiHandle scope) {
    static const int kinds[] = {vpiNet,      vpiReg,       vpiIntegerVar, vpiRealVar, vpiTimeVar,
                                vpiParameter, vpiNamedEvent, vpiMemory,    vpiRegArray, vpiNetArray};
    std::vector<vpiHandle> objects;
    std::set<std::string> seen; // vvp lists some arrays under more than one kind
    for (int kind : kinds) {
        vpiHandle it = vpi_iterate(kind, scope);
        while (vpiHandle object = it ? vpi_scan(it) : nullptr) {
            const char* name = vpi_get_str(vpiName, object);
            if (!name || !seen.insert(name).second) continue;
            objects.push_back(object);
        }
    }
    return objects;
}

bool isScope(vpiHandle object) {
    switch (vpi_get(vpiType, object)) {
    case vpiModule: case vpiTask: case vpiFunction: case vpiNamedBegin: case vpiNamedFork:
#ifdef vpiGenScope
    case vpiGenScope:
#endif
        return true;
    default:
        return false;
    }
}

} // namespace OrvexEngine
