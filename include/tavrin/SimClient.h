// Simulation clients: what gives the control its design-data reader and, for a live engine, its
// engine control.
#pragma once

#include <functional>
#include <memory>

#include "orvex/ISimulationControl.h"
#include "orvex/IReader.h"

namespace Tavrin {

class LiveSimClientImpl;
class DataReader;

/// Anything that supplies a design-data reader.
class ISimClient {
public:
    virtual ~ISimClient() = default;
    virtual IReader* getReader() const = 0;
};

/// A client of a live engine process: starts and ends the engine, and hands out its engine
/// control and, once the engine reports ready, its reader.
class LiveSimClient : public ISimClient {
public:
    /// A client over an engine control and a reader that the caller keeps alive; `startEngine`
    /// starts the engine process. Used by hosts that bring their own engine control.
    LiveSimClient(ISimulationControl* control, IReader* reader, std::function<void()> startEngine,
                  bool captureLiveData);
    /// A client that builds its own reader, process transport and engine control for the
    /// engine started by `commandLine`; the reader names the waveform database `databaseFile`.
    LiveSimClient(const StringBase& commandLine, class IConsole& console, const char* databaseFile,
                  int runNumber, bool captureLiveData);
    ~LiveSimClient() override;
    LiveSimClient(const LiveSimClient&) = delete;
    LiveSimClient& operator=(const LiveSimClient&) = delete;

    void startEngine();
    /// Asks the engine to end (quit, forced, without leaving the GUI); always true.
    bool shutDownEngine();
    void killEngine();
    ISimulationControl* getSimulationControl() const;
    /// Null until the engine has reported ready.
    IReader* getReader() const override;

private:
    LiveSimClientImpl* impl_;
};

class IConsole;

/// Makes live clients: picks the run number that keeps simulations of one directory apart, names
/// the waveform database after it and passes it to the engine.
class LiveSimClientFactory {
public:
    static LiveSimClientFactory& getInstance();
    /// A new client (owned by the caller) for the engine started by `commandLine`; an empty
    /// database name gives "orvex.wdb" (with the run number when it is not 0).
    LiveSimClient* create(const StringBase& commandLine, const StringBase& databaseFile,
                          IConsole* console, bool captureLiveData) const;

    /// The database name for a run: the run number goes before the extension of the last path
    /// component (at its end when it has none); the directory part is kept as given.
    static StringBase databaseNameFor(const StringBase& given, int runNumber);
    /// The engine command line with " -simrunnum <n>" appended.
    static StringBase commandLineFor(const StringBase& commandLine, int runNumber);

private:
    LiveSimClientFactory() = default;
};

/// A reader over a saved waveform database (a VCD file as the engine writes it), without any
/// engine: its design hierarchy is read from the file's header when the client is made.
class StaticSimClient : public ISimClient {
public:
    /// Reads the hierarchy of `databaseFile`. Throws Orvex::OpenException, with a message naming
    /// the file, when it cannot be opened or its header is empty, truncated or malformed.
    explicit StaticSimClient(const StringBase& databaseFile);
    ~StaticSimClient() override;
    StaticSimClient(const StaticSimClient&) = delete;
    StaticSimClient& operator=(const StaticSimClient&) = delete;

    /// The DataReader of the database (in its saved-database mode), never null.
    IReader* getReader() const override;

private:
    std::unique_ptr<DataReader> reader_;
};

/// A reader over a design without any engine: an in-memory design for hosts and tests.
class FakeStaticSimClient : public ISimClient {
public:
    FakeStaticSimClient();
    ~FakeStaticSimClient() override;
    IReader* getReader() const override;

private:
    IReader* reader_;
};

} // namespace Tavrin
