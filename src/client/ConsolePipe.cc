// ConsolePipe: an output pump carries bytes from the output pipe to the console, and an input pump
// carries console lines into the input pipe. The pumps share ownership of their pipe and never
// touch the implementation object, so a pump that shutDown gives up on (one blocked in the host's
// readLine, say) cannot reach freed memory when it wakes.
#include "tavrin/ConsolePipe.h"

#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

#include "orvex/Exceptions.h"
#include "orvex/TimedThread.h"
#include "tavrin/Pipe.h"

namespace Tavrin {

namespace {

constexpr int kChunkSize = 1023;
constexpr int kJoinLimitSeconds = 5;

} // namespace

/// How many bytes went into the output pipe and how many reached the console, so that text
/// written straight to the console can wait for text still in the pipe.
struct DeliveryCount {
    std::mutex lock;
    std::condition_variable changed;
    std::uint64_t written = 0;
    std::uint64_t delivered = 0;
    bool pumpEnded = false;
};

namespace {

void pumpOutput(const std::shared_ptr<Pipe>& pipe, IConsole* console,
                const std::shared_ptr<DeliveryCount>& count_) {
    struct EndMark {
        DeliveryCount& c;
        ~EndMark() {
            std::lock_guard<std::mutex> hold(c.lock);
            c.pumpEnded = true;
            c.changed.notify_all();
        }
    } endMark{*count_};
    char buffer[kChunkSize + 1];
    for (;;) {
        int count = 0;
        try {
            if (!pipe->read(buffer, kChunkSize, count)) return;
        } catch (const Orvex::EndOfInputException&) {
            return;
        }
        if (count == 0) return; // the write end was closed and everything was delivered
        buffer[count] = '\0';
        // A console that fails one text still gets the next; stopping would leave writers
        // blocked on a full pipe.
        try {
            console->write(StringBase(buffer, static_cast<size_t>(count)));
        } catch (...) {
        }
        std::lock_guard<std::mutex> hold(count_->lock);
        count_->delivered += static_cast<std::uint64_t>(count);
        count_->changed.notify_all();
    }
}

void pumpInput(const std::shared_ptr<Pipe>& pipe, IConsole* console) {
    for (;;) {
        StringBase line;
        try {
            line = console->readLine();
        } catch (...) {
            break; // Orvex::EndOfInputException, or a console that cannot read any more
        }
        // A well-behaved console always returns at least a line end; an empty text can only
        // mean there is nothing more, and looping on it would spin.
        if (line.empty() || line.length() > static_cast<size_t>(INT_MAX)) break;
        int written = 0;
        if (!pipe->write(line.c_str(), static_cast<int>(line.length()), written)) break;
    }
    // The reader sees end of file once it has taken the last line.
    pipe->closeWriteEnd();
}

} // namespace

/// The state behind a ConsolePipe: the console, both pipes and both pump threads.
class ConsolePipeImpl {
public:
    explicit ConsolePipeImpl(IConsole& console)
        : console_(console), output_(std::make_shared<Pipe>()), input_(std::make_shared<Pipe>()),
          count_(std::make_shared<DeliveryCount>()) {
        IConsole* target = &console_;
        try {
            std::shared_ptr<Pipe> output = output_;
            std::shared_ptr<DeliveryCount> count = count_;
            outputPump_.reset(
                new TimedThread([output, target, count] { pumpOutput(output, target, count); }));
            std::shared_ptr<Pipe> input = input_;
            inputPump_.reset(new TimedThread([input, target] { pumpInput(input, target); }));
        } catch (...) {
            // Without this a started pump would wait on its pipe for ever.
            output_->shutDown();
            input_->shutDown();
            throw;
        }
    }

    ~ConsolePipeImpl() { shutDown(); }

    void shutDown() {
        std::lock_guard<std::mutex> hold(lock_);
        if (done_) return;
        done_ = true;
        // Let what was already written reach the console before it is flushed.
        output_->closeWriteEnd();
        outputPump_->join(kJoinLimitSeconds);
        try {
            console_.flush();
        } catch (...) {
        }
        output_->shutDown();
        input_->shutDown();
        inputPump_->join(kJoinLimitSeconds);
    }

    std::mutex lock_;
    IConsole& console_;
    bool done_ = false;
    std::shared_ptr<Pipe> output_;
    std::shared_ptr<Pipe> input_;
    std::shared_ptr<DeliveryCount> count_;
    std::unique_ptr<TimedThread> outputPump_;
    std::unique_ptr<TimedThread> inputPump_;
};

ConsolePipe::ConsolePipe(IConsole& console) : impl_(new ConsolePipeImpl(console)) {}

ConsolePipe::~ConsolePipe() { delete impl_; }

bool ConsolePipe::read(char* buffer, int size, int& count) { return impl_->input_->read(buffer, size, count); }

bool ConsolePipe::write(const char* buffer, int size, int& count) {
    bool ok = impl_->output_->write(buffer, size, count);
    if (count > 0) {
        std::lock_guard<std::mutex> hold(impl_->count_->lock);
        impl_->count_->written += static_cast<std::uint64_t>(count);
    }
    return ok;
}

bool ConsolePipe::waitDelivered(int milliseconds) {
    DeliveryCount& c = *impl_->count_;
    std::unique_lock<std::mutex> hold(c.lock);
    std::uint64_t target = c.written;
    return c.changed.wait_for(hold, std::chrono::milliseconds(milliseconds),
                              [&] { return c.delivered >= target || c.pumpEnded; });
}

int ConsolePipe::getReadDescriptor() const { return impl_->input_->getReadDescriptor(); }

int ConsolePipe::getWriteDescriptor() const { return impl_->output_->getWriteDescriptor(); }

void ConsolePipe::shutDown() { impl_->shutDown(); }

} // namespace Tavrin
