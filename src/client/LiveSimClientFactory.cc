// The live client factory: run numbers, database names and the engine command line.
#include <cstdio>
#include <string>

#include "tavrin/IConsole.h"
#include "tavrin/InterProcessMutex.h"
#include "tavrin/SimClient.h"

namespace Tavrin {

LiveSimClientFactory& LiveSimClientFactory::getInstance() {
    static LiveSimClientFactory factory;
    return factory;
}

StringBase LiveSimClientFactory::databaseNameFor(const StringBase& given, int runNumber) {
    std::string run = runNumber != 0 ? std::to_string(runNumber) : std::string();
    if (given.empty()) return StringBase("orvex" + run + ".wdb");
    if (runNumber == 0) return given;
    std::string path = given.str();
    std::string::size_type slash = path.find_last_of("/\\");
    std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::string last = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string::size_type dot = last.rfind('.');
    // A last component without an extension gets the run number at its end.
    std::string name = dot == std::string::npos ? last + run : last.substr(0, dot) + run + last.substr(dot);
    // Joined with the platform's own separator, so the file lands in the directory given.
    return StringBase(dir + name);
}

LiveSimClient* LiveSimClientFactory::create(const StringBase& commandLine,
                                            const StringBase& databaseFile, IConsole* console,
                                            bool captureLiveData) const {
    IConsole& target = console ? *console : StandardConsole::instance();
    int runNumber = InterProcessMutex::getRunNumber();
    StringBase database = databaseNameFor(databaseFile, runNumber);
    return new LiveSimClient(commandLineFor(commandLine, runNumber), target, database.c_str(),
                             runNumber, captureLiveData);
}

StringBase LiveSimClientFactory::commandLineFor(const StringBase& commandLine, int runNumber) {
    return StringBase(commandLine.str() + " -simrunnum " + std::to_string(runNumber));
}

} // namespace Tavrin
