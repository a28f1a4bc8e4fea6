// The live simulation client: the engine control and reader of a running engine, and the
// switch of live-value capture on simulation events.
#include "tavrin/SimClient.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "orvex/DataConversion.h"
#include "orvex/DataReader.h"
#include "orvex/FrontEndControl.h"
#include "orvex/Platform.h"
#include "orvex/ProcessTransport.h"

namespace Tavrin {

namespace {

// The directory of the engine program: the first word of the command line, unquoted.
std::string engineDirectoryOf(const StringBase& commandLine) {
    const std::vector<std::string> words = DataConversion::commandLineWords(commandLine.str());
    const std::string program = words.empty() ? std::string() : words[0];
    std::string::size_type slash = program.find_last_of("/\\");
    std::string dir = slash == std::string::npos ? std::string() : program.substr(0, slash);
    for (char& c : dir)
        if (c == '\\') c = '/';
    return dir;
}

// The request time limit from ORVEX_REQUEST_TIMEOUT (seconds), or 0 to keep the default. A bad
// value is named on standard error, once per process.
std::chrono::milliseconds requestTimeoutSetting() {
    static const std::chrono::milliseconds limit = [] {
        const std::string text = Platform::getEnv("ORVEX_REQUEST_TIMEOUT").str();
        if (text.empty()) return std::chrono::milliseconds(0);
        char* end = nullptr;
        const double seconds = std::strtod(text.c_str(), &end);
        if (*end != '\0' || !(seconds >= 0.001) || seconds > 86400.0 * 365) {
            std::fprintf(stderr,
                         "orvex: ORVEX_REQUEST_TIMEOUT='%s' is not a number of seconds (0.001 "
                         "or more); the request time limit stays 30 s\n",
                         text.c_str());
            return std::chrono::milliseconds(0);
        }
        return std::chrono::milliseconds(static_cast<long long>(seconds * 1000 + 0.5));
    }();
    return limit;
}

// Read once per process: whether the engine protocol is traced to standard error.
bool protocolTraceWanted() {
    static const bool wanted = Platform::hasEnv("KES_TraceGdbMi");
    return wanted;
}

} // namespace

/// Holds the engine parts of a live client and watches the engine's events: the reader is handed
/// out once the engine is ready, and live-value capture follows the simulation's pauses. The
/// parts are owned when the client built them, borrowed when a host brought its own.
class LiveSimClientImpl : public IEventHandler {
public:
    LiveSimClientImpl(ISimulationControl* c, IReader* r, std::function<void()> start, bool capture)
        : control(c), reader(r), startFunction(std::move(start)), captureLiveData(capture) {}

    LiveSimClientImpl(const StringBase& commandLine, const StringBase& databaseFile, int runNumber,
                      bool capture)
        : engineCommandLine(commandLine), engineDirectory(engineDirectoryOf(commandLine)),
          ownedReader(new DataReader(capture ? DataReader::LiveCaptureMode : DataReader::LiveMode,
                                     engineDirectory, databaseFile, runNumber)),
          ownedTransport(new BoostProcessTransport),
          ownedControl(new FrontEndControl(*ownedTransport, *ownedReader)),
          control(ownedControl.get()), reader(ownedReader.get()), captureLiveData(capture) {
        if (protocolTraceWanted()) ownedTransport->setTrace(true);
        if (requestTimeoutSetting().count() > 0) ownedControl->setRequestTimeout(requestTimeoutSetting());
        startFunction = [this] { ownedTransport->start(engineCommandLine); };
    }

    // The control goes first: it ends the engine and its threads before the transport and the
    // reader it uses are destroyed.
    ~LiveSimClientImpl() override {
        ownedControl.reset();
        ownedTransport.reset();
        ownedReader.reset();
    }

    void handleEvent(const EngineEvent& event) override {
        if (event.kind == EngineReadyEvent) {
            readerReady = true;
        } else if ((event.kind == NamedSimulationEvent || event.kind == CaptureResumedEvent) &&
                   captureLiveData && reader != nullptr) {
            if (DataObjMgr* manager = reader->getDataObjMgr())
                manager->captureLiveData(event.kind == CaptureResumedEvent);
        }
    }

    StringBase engineCommandLine;
    std::string engineDirectory;
    std::unique_ptr<DataReader> ownedReader;
    std::unique_ptr<BoostProcessTransport> ownedTransport;
    std::unique_ptr<FrontEndControl> ownedControl;
    ISimulationControl* control = nullptr;
    IReader* reader = nullptr;
    std::function<void()> startFunction;
    std::atomic<bool> readerReady{false};
    bool captureLiveData;
};

LiveSimClient::LiveSimClient(ISimulationControl* control, IReader* reader,
                             std::function<void()> startEngine, bool captureLiveData)
    : impl_(new LiveSimClientImpl(control, reader, std::move(startEngine), captureLiveData)) {
    if (control != nullptr) control->addEventHandler(impl_);
}

LiveSimClient::LiveSimClient(const StringBase& commandLine, IConsole&, const char* databaseFile,
                             int runNumber, bool captureLiveData)
    : impl_(new LiveSimClientImpl(commandLine, StringBase(databaseFile), runNumber, captureLiveData)) {
    impl_->control->addEventHandler(impl_);
}

LiveSimClient::~LiveSimClient() { delete impl_; }

void LiveSimClient::startEngine() {
    if (impl_->startFunction) impl_->startFunction();
}

bool LiveSimClient::shutDownEngine() {
    try {
        if (impl_->control != nullptr) impl_->control->quit(true, false);
    } catch (const Orvex::Exception&) {
        // The engine may already be gone; the host goes on shutting down either way.
    }
    return true;
}

void LiveSimClient::killEngine() {
    if (impl_->control != nullptr) impl_->control->terminate();
}

ISimulationControl* LiveSimClient::getSimulationControl() const { return impl_->control; }

IReader* LiveSimClient::getReader() const { return impl_->readerReady ? impl_->reader : nullptr; }

} // namespace Tavrin
