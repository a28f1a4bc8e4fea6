// Declaration places and net connections from the side file (filled in by the back end's reader).
#include "DesignInfo.h"

namespace OrvexEngine {

bool loadDesignInfo(const std::string&) { return false; }
bool declarationOf(const std::string&, std::string&, int&) { return false; }
std::vector<Connection> driversOf(const std::string&) { return {}; }
std::vector<Connection> loadsOf(const std::string&) { return {}; }

} // namespace OrvexEngine
