// Requests and results, records and events, and the event thread of one engine conversation.
#include "EngineConnection.h"

#include <algorithm>
#include <cctype>
#include <cxxabi.h>

#include "DesignLoader.h"
#include "ProtocolWords.h"
#include "orvex/Exceptions.h"

namespace Tavrin {

namespace {

using Orvex::Mi::Record;
using Orvex::Mi::Value;

// How long the destructor lets a running engine end on its own after `exit`, and then how long
// it waits for the kill to be reaped.
constexpr std::chrono::seconds ExitWait(2);
constexpr std::chrono::seconds KillWait(10);

// The token of a line that looks like a result ("12^..."), or 0.
std::uint64_t resultToken(const std::string& line) {
    std::size_t digits = 0;
    while (digits < line.size() && digits < 19 &&
           std::isdigit(static_cast<unsigned char>(line[digits])))
        ++digits;
    if (digits == 0 || digits >= line.size() || line[digits] != '^')
        return 0;
    return std::stoull(line.substr(0, digits));
}

std::string secondsText(std::chrono::milliseconds limit) {
    const long long ms = limit.count();
    return ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
}

// The condition ids of a stop ("1,3"); words that are not ids are skipped.
std::vector<int> idList(const std::string& text) {
    std::vector<int> ids;
    int id = 0;
    bool any = false;
    for (char c : text + ",") {
        if (std::isdigit(static_cast<unsigned char>(c)) && id < 100000000) {
            id = id * 10 + (c - '0');
            any = true;
        } else if (c == ',') {
            if (any && id > 0) ids.push_back(id);
            id = 0;
            any = false;
        }
    }
    return ids;
}

} // namespace

EngineConnection::EngineConnection(BoostProcessTransport& transport, DataReader& reader,
                                   bool handleHang)
    : transport_(transport), reader_(reader), handleHang_(handleHang) {
    eventThread_ = std::thread([this] { eventLoop(); });
    transport_.setListener(this);
}

EngineConnection::~EngineConnection() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
    }
    if (isRunning()) {
        expectEnd();
        try {
            request(Orvex::Protocol::Request::Exit, {}, EndPolicy::Accepted,
                    std::chrono::duration_cast<std::chrono::milliseconds>(ExitWait));
        } catch (const Orvex::Exception&) {
            // An engine that does not take `exit` is killed below.
        }
        if (!transport_.waitEnded(ExitWait)) {
            transport_.terminate();
            transport_.waitEnded(KillWait);
        }
    }
    transport_.setListener(nullptr);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    queued_.notify_all();
    delivered_.notify_all();
    if (eventThread_.joinable())
        eventThread_.join();
}

void EngineConnection::addEventHandler(IEventHandler* handler) {
    if (!handler)
        return;
    std::lock_guard<std::mutex> lock(handlersMutex_);
    handlers_.push_back(handler);
}

void EngineConnection::setRequestTimeout(std::chrono::milliseconds timeout) {
    std::lock_guard<std::mutex> lock(mutex_);
    timeout_ = timeout;
}

bool EngineConnection::isRunning() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return running_;
}

void EngineConnection::expectEnd() {
    std::lock_guard<std::mutex> lock(mutex_);
    expectEnd_ = true;
}

void EngineConnection::terminate() {
    if (!isRunning())
        return;
    expectEnd();
    transport_.terminate();
    transport_.waitEnded(KillWait);
}

Value EngineConnection::request(const std::string& command, const std::vector<std::string>& args,
                                EndPolicy policy, std::chrono::milliseconds limit) {
    Pending pending;
    std::uint64_t token;
    std::uint64_t generation;
    std::chrono::milliseconds timeout;
    std::chrono::steady_clock::time_point deadline;
    {
        std::unique_lock<std::mutex> sendLock(sendMutex_);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!running_) {
                if (policy == EndPolicy::Accepted)
                    return Value::tuple();
                ORVEX_THROW(CommandErrorException, NotRunningMessage);
            }
            token = nextToken_++;
            generation = generation_;
            timeout = limit.count() > 0 ? std::min(limit, timeout_) : timeout_;
            pending_[token] = &pending;
            if (command == Orvex::Protocol::Request::Quit)
                quitToken_ = token;
        }
        // A line that cannot be written (an engine gone or not reading) is not an answer either:
        // the wait below ends with the engine's end or the time limit.
        // The time limit covers writing the line (a full pipe to an engine that does not read)
        // and waiting for the answer together.
        deadline = std::chrono::steady_clock::now() + timeout;
        transport_.send(Orvex::Mi::encodeRequest({token, command, args}), timeout);
    }

    // The answer is read on this thread when it can be (one thread wake-up fewer than a hand-over
    // from the transport's reader thread); otherwise the reader thread delivers it. A request
    // the engine reports progress on is given the whole limit again from that report.
    const auto over = [&] { return pending.answered || !running_ || generation_ != generation; };
    const auto sentAt = std::chrono::steady_clock::now();
    const auto limitNow = [&] {
        return progressAt_ > sentAt ? std::max(deadline, progressAt_ + timeout) : deadline;
    };
    std::unique_lock<std::mutex> lock(mutex_);
    bool done = over();
    while (!done) {
        const auto until = limitNow();
        if (std::chrono::steady_clock::now() >= until)
            break;
        lock.unlock();
        const bool readHere = transport_.readHere(until);
        lock.lock();
        done = over();
        if (!readHere && !done) {
            answered_.wait_until(lock, until, [&] { return over() || limitNow() != until; });
            done = over();
        }
    }
    pending_.erase(token);

    if (pending.answered) {
        // What the engine said before its answer (messages of this request) is shown before the
        // request returns, so it stays in order with what the shell prints next. Not on the
        // event thread itself (it asks for the design there), and never for long.
        if (std::this_thread::get_id() != eventThread_.get_id())
            delivered_.wait_for(lock, std::chrono::seconds(2),
                                [&] { return deliveredCount_ >= pending.queuedBefore || stopping_; });
        lock.unlock();
        if (!pending.failure.empty())
            ORVEX_THROW(CommandErrorException, pending.failure);
        const Record& result = pending.record;
        if (result.cls == Orvex::Protocol::Record::Done)
            return result.fields;
        if (result.cls == Orvex::Protocol::Record::Error)
            ORVEX_THROW(CommandErrorException, result.fields.get(Orvex::Protocol::Field::Msg, "Request failed"));
        ORVEX_THROW(CommandErrorException,
                    "Unexpected answer '" + result.cls + "' from the simulation engine");
    }
    if (done) { // the engine ended without answering
        lock.unlock();
        if (policy == EndPolicy::Accepted)
            return Value::tuple();
        ORVEX_THROW(CommandErrorException, NotRunningMessage);
    }
    if (handleHang_ && !hangReported_ && !closing_) {
        hangReported_ = true;
        EngineEvent hang;
        hang.kind = EngineHangEvent;
        queue_.push_back(QueuedEvent{hang, false, 0, generation_});
        ++queuedCount_;
        queued_.notify_all();
    }
    lock.unlock();
    ORVEX_THROW(Orvex::InterruptException, "The simulation engine did not answer '" + command +
                                               "' within " + secondsText(timeout) + ".");
}

void EngineConnection::transportStarted() {
    std::lock_guard<std::mutex> lock(mutex_);
    running_ = true;
    ++generation_;
    expectEnd_ = false;
    hangReported_ = false;
    quitToken_ = 0;
    answered_.notify_all();
}

void EngineConnection::transportEnded(const std::string& description) {
    std::lock_guard<std::mutex> lock(mutex_);
    running_ = false;
    EngineEvent ended;
    ended.kind = EngineTerminatedEvent;
    ended.expected = expectEnd_;
    ended.text = description;
    queue_.push_back(QueuedEvent{ended, false, 0, generation_});
    ++queuedCount_;
    answered_.notify_all();
    queued_.notify_all();
}

void EngineConnection::outputReceived(const std::string& text) { queueText(text); }

void EngineConnection::recordUnderway() {
    std::lock_guard<std::mutex> lock(mutex_);
    progressAt_ = std::chrono::steady_clock::now();
    answered_.notify_all();
}

void EngineConnection::queue(QueuedEvent item) {
    std::lock_guard<std::mutex> lock(mutex_);
    item.generation = generation_;
    queue_.push_back(std::move(item));
    ++queuedCount_;
    queued_.notify_all();
}

void EngineConnection::queueText(const std::string& text) {
    {
        // Text behind text not yet taken joins it: a line trace sends millions of lines, and an
        // event (a wake-up and a console write) each could not keep up with the engine.
        constexpr std::size_t MergedTextLimit = 64 * 1024;
        std::lock_guard<std::mutex> lock(mutex_);
        if (!queue_.empty()) {
            QueuedEvent& last = queue_.back();
            if (last.event.kind == EngineTextEvent && last.generation == generation_ &&
                last.event.text.length() < MergedTextLimit) {
                last.event.text += StringBase(text);
                ++last.count;
                ++queuedCount_;
                return;
            }
        }
    }
    QueuedEvent item;
    item.event.kind = EngineTextEvent;
    item.event.text = text;
    queue(std::move(item));
}

bool EngineConnection::failMalformedResult(const std::string& line, const std::string& what) {
    const std::uint64_t token = resultToken(line);
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = pending_.find(token);
    if (token == 0 || found == pending_.end())
        return false;
    found->second->answered = true;
    found->second->failure = "Malformed answer from the simulation engine: " + what;
    answered_.notify_all();
    return true;
}

void EngineConnection::recordReceived(const std::string& line) {
    Record record;
    try {
        record = Orvex::Mi::parseRecord(line);
    } catch (const Orvex::Mi::ParseError& e) {
        // A garbled answer fails its request at once; any other garbled line is shown, so that
        // nothing the engine says is lost.
        if (!failMalformedResult(line, e.what()))
            queueText("Malformed line from the simulation engine: " + std::string(e.what()) +
                      "\n");
        return;
    }

    switch (record.type) {
    case Record::Type::Stream:
        // An engine message is a whole message: it never runs into what follows it.
        if (!record.text.empty() && record.text.back() != '\n')
            record.text += '\n';
        queueText(record.text);
        break;
    case Record::Type::Output:
        queueText(record.text); // exactly as the design printed it
        break;
    case Record::Type::Async:
        handleAsync(record);
        break;
    case Record::Type::Result: {
        std::unique_lock<std::mutex> lock(mutex_);
        auto found = pending_.find(record.token);
        if (found == pending_.end())
            break; // the answer to a request that has given up waiting
        // The engine may end right after accepting a quit, before the requester wakes up: the
        // end must already count as asked for.
        if (record.token == quitToken_ && record.cls == Orvex::Protocol::Record::Done &&
            record.fields.get(Orvex::Protocol::Field::Accepted) == "1")
            expectEnd_ = true;
        found->second->answered = true;
        found->second->queuedBefore = queuedCount_;
        found->second->record = std::move(record);
        lock.unlock(); // the woken requester need not wait for this lock
        answered_.notify_all();
        break;
    }
    }
}

void EngineConnection::handleAsync(const Record& record) {
    QueuedEvent item;
    if (record.cls == Orvex::Protocol::Record::Ready) {
        item.ready = true;
        item.event.kind = EngineReadyEvent;
        item.resolution = static_cast<int>(record.fields.getInt(Orvex::Protocol::Field::Resolution, -15));
        const std::string version = record.fields.get(Orvex::Protocol::Field::Version, "1");
        if (version != "1")
            queueText("The simulation engine speaks protocol version " + version +
                      "; this control speaks version 1.\n");
    } else if (record.cls == Orvex::Protocol::Record::Stopped) {
        item.event.kind = NamedSimulationEvent;
        item.event.name = record.fields.get(Orvex::Protocol::Field::Reason);
        item.event.file = record.fields.get(Orvex::Protocol::Field::File);
        item.event.time = record.fields.getInt(Orvex::Protocol::Field::Time);
        item.event.line = static_cast<int>(record.fields.getInt(Orvex::Protocol::Field::Line));
        item.event.conditionId = static_cast<int>(record.fields.getInt(Orvex::Protocol::Field::Id));
        item.event.conditionIds = idList(record.fields.get(Orvex::Protocol::Field::Ids));
        if (item.event.conditionIds.empty() && item.event.conditionId > 0)
            item.event.conditionIds.push_back(item.event.conditionId);
        item.event.ended = record.fields.getInt(Orvex::Protocol::Field::Ended) != 0;
        item.event.status = static_cast<int>(record.fields.getInt(Orvex::Protocol::Field::Status));
    } else if (record.cls == Orvex::Protocol::Record::Progress) {
        // The engine is at work (a long request, or a run) and must not be taken for hung.
        recordUnderway();
        if (record.fields.find(Orvex::Protocol::Field::Time) == nullptr)
            return; // a long request: nothing to show
        item.event.kind = RunProgressEvent;
        item.event.time = record.fields.getInt(Orvex::Protocol::Field::Time);
        item.event.runStart = record.fields.getInt(Orvex::Protocol::Field::Start);
        item.event.runTarget = record.fields.getInt(Orvex::Protocol::Field::Until, -1);
        item.event.elapsedMs = record.fields.getInt(Orvex::Protocol::Field::Elapsed);
    } else if (record.cls == Orvex::Protocol::Record::CaptureResumed) {
        item.event.kind = CaptureResumedEvent;
    } else {
        return; // event classes of later protocol versions
    }
    queue(std::move(item));
}

void EngineConnection::eventLoop() {
    while (true) {
        QueuedEvent item;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            queued_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_)
                return;
            item = std::move(queue_.front());
            queue_.pop_front();
        }
        if (!item.ready || prepareReady(item))
            deliver(item.event);
        std::lock_guard<std::mutex> lock(mutex_);
        deliveredCount_ += item.count;
        delivered_.notify_all();
    }
}

bool EngineConnection::prepareReady(const QueuedEvent& item) {
    resolution_ = item.resolution;
    try {
        const Value design = request(Orvex::Protocol::Request::Design, {});
        resolution_ = static_cast<int>(design.getInt(Orvex::Protocol::Field::Resolution, item.resolution));
        loadDesign(design, reader_);
    } catch (const Orvex::Exception& e) {
        {
            // An engine that ended meanwhile is never announced as ready; its end follows.
            std::lock_guard<std::mutex> lock(mutex_);
            if (!running_ || generation_ != item.generation)
                return false;
        }
        EngineEvent text;
        text.kind = EngineTextEvent;
        text.text = "Cannot read the design hierarchy: " + std::string(e.getDescription()) + "\n";
        deliver(text);
    }
    return true;
}

void EngineConnection::deliver(const EngineEvent& event) {
    std::vector<IEventHandler*> handlers;
    {
        std::lock_guard<std::mutex> lock(handlersMutex_);
        handlers = handlers_;
    }
    for (IEventHandler* handler : handlers) {
        try {
            handler->handleEvent(event);
        } catch (abi::__forced_unwind&) {
            throw; // a handler that ends this thread (thread exit) must be let through
        } catch (...) {
            // One handler's failure must neither stop the others nor end event delivery.
        }
    }
}

} // namespace Tavrin
