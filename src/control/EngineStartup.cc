// Starting the engine: the simulation log, the live client, and waiting for the engine to be
// ready; the log header with the host's command line.
#include "TclControlImpl.h"

namespace Tavrin {

void TclControlImpl::setLiveSimClient(LiveSimClient* client) {
    liveSimClient = client;
    simulationControl = client ? client->getSimulationControl() : nullptr;
    if (simulationControl != nullptr) simulationControl->addEventHandler(eventHandler);
}

void TclControlImpl::closeLiveSimClient() {
    delete liveSimClient;
    liveSimClient = nullptr;
}

void TclControlImpl::startEngineProcess(const char* name, bool noLog) {
    if (!noLog) {
        logFileName = name ? name : "orvex.log";
        logStream.reset(new LogFile);
        if (!logStream->open(logFileName)) {
            logStream.reset();
            print("Can't open log file " + logFileName, true);
            throw Orvex::OpenException("Orvex", __FILE__, ORVEX_REVISION, __LINE__,
                                       "Can't open log file.");
        }
    }
    if (liveSimClient == nullptr) {
        // Without a client there is no engine to start: the shell runs on its own.
        return;
    }
    if (eventHandler->startEngine([this] { liveSimClient->startEngine(); })) {
        userUnit = timeResolution = simulationControl->getTimeResolution();
        return;
    }
    std::string message = "The Simulation shut down unexpectedly during initialization.";
    if (logStream) message += "  Please review the Orvex log (" + logFileName + ") for details.";
    throw Orvex::OpenException("Orvex", __FILE__, ORVEX_REVISION, __LINE__, message);
}

void TclControlImpl::saveCommandLineToLog(int argc, char* const* argv) {
    if (!logStream) return;
    std::string header = "Orvex log file\n Running : ";
    for (int i = 0; i < argc; ++i) header += std::string(argv[i] ? argv[i] : "") + " ";
    header += "\n";
    deliver(header, false, true);
}

} // namespace Tavrin
