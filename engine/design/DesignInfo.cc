// Declaration places and net connections from the design data file of the orvexdb back end.
#include "DesignInfo.h"

#include <cstdlib>
#include <fstream>

#include "DesignInfoFile.h"

namespace OrvexEngine {

namespace {

DesignData& data() {
    static DesignData d;
    return d;
}

bool loaded = false;
bool triedEnvironment = false;

void loadFromEnvironment() {
    if (loaded || triedEnvironment) return;
    triedEnvironment = true;
    if (const char* name = std::getenv("ORVEX_DESIGN_INFO")) loadDesignInfo(name);
}

} // namespace

bool loadDesignInfo(const std::string& fileName) {
    data().clear();
    loaded = false;
    std::ifstream in(fileName);
    if (!in) return false;
    std::string error;
    if (!data().read(in, error)) {
        data().clear();
        return false;
    }
    loaded = true;
    return true;
}

bool designInfoLoaded() {
    loadFromEnvironment();
    return loaded;
}

bool declarationOf(const std::string& path, std::string& file, int& line) {
    loadFromEnvironment();
    return data().declaration(path, file, line);
}

bool instantiationOf(const std::string& path, std::string& file, int& line) {
    loadFromEnvironment();
    return data().instantiation(path, file, line);
}

std::vector<Connection> driversOf(const std::string& path) {
    loadFromEnvironment();
    return data().drivers(path);
}

std::vector<Connection> loadsOf(const std::string& path) {
    loadFromEnvironment();
    return data().loads(path);
}

bool designInfoKnows(const std::string& path) {
    loadFromEnvironment();
    return data().knows(netOf(path));
}

} // namespace OrvexEngine
