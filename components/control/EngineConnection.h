// The conversation with one engine over the process transport: requests matched to their results
// by token, records turned into engine events, and the event thread that delivers them.
// Internal to the engine-control library.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Mi.h"
#include "orvex/DataReader.h"
#include "orvex/IEventHandler.h"
#include "orvex/ProcessTransport.h"

namespace Tavrin {

/// Talks to the engine that the transport runs. Results are matched to the waiting request on
/// the transport's reader thread; events are queued there and delivered, in order, to every
/// handler on this object's own event thread, with no lock held that a request needs. On the
/// engine's ready record the event thread first asks for the design and loads it into the
/// reader, so the hierarchy is complete when handlers see the ready event.
class EngineConnection : public IProcessTransportListener {
public:
    /// What a request does when the engine ends before answering it.
    enum class EndPolicy {
        Fail,    // CommandErrorException "Simulation engine is not running"
        Accepted // the request did what it asked for (quit, exit): an empty result
    };

    static constexpr const char* NotRunningMessage = "Simulation engine is not running";

    EngineConnection(BoostProcessTransport& transport, DataReader& reader, bool handleHang);
    /// Ends a running engine (an exit request with a short wait, then a kill), stops listening to
    /// the transport and joins the event thread; events not yet delivered are dropped.
    ~EngineConnection() override;
    EngineConnection(const EngineConnection&) = delete;
    EngineConnection& operator=(const EngineConnection&) = delete;

    void addEventHandler(IEventHandler* handler);
    void setRequestTimeout(std::chrono::milliseconds timeout);

    /// Sends a request and waits for its result; returns the result's fields. Throws
    /// CommandErrorException for ^error (with its message), for a malformed answer and for an
    /// engine that is not running; Orvex::InterruptException when no answer comes in time (and
    /// then, with hang handling, queues the hang event once per engine). A `limit` above zero
    /// replaces the request time limit for this request.
    Orvex::Mi::Value request(const std::string& command, const std::vector<std::string>& args,
                             EndPolicy policy = EndPolicy::Fail,
                             std::chrono::milliseconds limit = std::chrono::milliseconds(0));
    /// Whether an engine has been started and has not ended.
    bool isRunning() const;
    /// Marks the engine's coming end as asked for (exit, terminate).
    void expectEnd();
    /// Kills the engine's process group and waits (bounded) until it has been reaped.
    void terminate();
    int getResolution() const { return resolution_; }

    void transportStarted() override;
    void recordReceived(const std::string& line) override;
    void outputReceived(const std::string& text) override;
    void transportEnded(const std::string& description) override;
    void recordUnderway() override;

private:
    struct Pending {
        bool answered = false;
        Orvex::Mi::Record record;
        std::string failure; // a malformed answer
        std::uint64_t queuedBefore = 0; // events queued when the answer came
    };
    struct QueuedEvent {
        EngineEvent event;
        bool ready = false;   // load the design before delivering
        int resolution = -15; // of a ready record
        std::uint64_t generation = 0;
        std::uint64_t count = 1; // events queued in it (texts merged into one)
    };

    void queue(QueuedEvent item);
    void queueText(const std::string& text);
    void handleAsync(const Orvex::Mi::Record& record);
    bool failMalformedResult(const std::string& line, const std::string& what);
    void eventLoop();
    bool prepareReady(const QueuedEvent& item);
    void deliver(const EngineEvent& event);

    BoostProcessTransport& transport_;
    DataReader& reader_;
    const bool handleHang_;

    mutable std::mutex mutex_; // everything below up to the handlers
    std::condition_variable answered_;
    std::condition_variable queued_;
    bool running_ = false;
    std::uint64_t generation_ = 0; // counts engine starts
    bool expectEnd_ = false;
    bool hangReported_ = false;
    bool closing_ = false;
    bool stopping_ = false;
    std::uint64_t nextToken_ = 1;
    std::uint64_t quitToken_ = 0;
    std::map<std::uint64_t, Pending*> pending_;
    std::deque<QueuedEvent> queue_;
    std::uint64_t queuedCount_ = 0;    // events ever queued
    std::uint64_t deliveredCount_ = 0; // events ever taken off the queue and handled
    std::condition_variable delivered_;
    std::chrono::milliseconds timeout_{30000};
    std::chrono::steady_clock::time_point progressAt_; // the engine's last *progress

    std::mutex sendMutex_; // a token is taken and its line written as one step

    std::mutex handlersMutex_;
    std::vector<IEventHandler*> handlers_;

    std::atomic<int> resolution_{-15};
    std::thread eventThread_;
};

} // namespace Tavrin
