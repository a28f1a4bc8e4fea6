// The engine process transport: one reader thread polls the record pipe, the design's standard
// output and error, and the process itself; requests are written by the caller's thread.
#include "orvex/ProcessTransport.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "ProcessSpawn.h"
#include "orvex/DataConversion.h"
#include "orvex/Exceptions.h"
#include "orvex/LineSplitter.h"
#include "orvex/PosixIo.h"
#include "orvex/SigpipeGuard.h"

namespace Tavrin {

namespace {

using Clock = std::chrono::steady_clock;

// How long an engine may live on after closing its record pipe before its group is killed.
constexpr std::chrono::seconds RecordEndGrace(5);
// The most the final drain reads from one pipe, in case a stray process keeps writing.
constexpr std::size_t DrainLimit = 64u << 20;
// The most read from one pipe per wake-up, so that a busy pipe does not starve the others.
constexpr std::size_t ReadSlice = 256u << 10;
// How long the reader thread leaves the pipes to requesters reading their own answers before it
// looks whether they still do (see Impl::readerLoop).
constexpr int ParkSliceMs = 1;

std::mutex traceMutex;

void traceLine(const char* prefix, const std::string& line) {
    std::lock_guard<std::mutex> lock(traceMutex);
    std::string text = prefix + line + "\n";
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

// Writes all of `data` to a non-blocking pipe before the deadline. A pipe whose reader has gone
// gives EPIPE; the SIGPIPE that comes with it is blocked on this thread and taken back, so that
// it never ends the host process.
bool writeAll(int fd, const std::string& data, Clock::time_point deadline) {
    SigpipeGuard noSigpipe;
    bool ok = true;
    std::size_t written = 0;
    while (written < data.size()) {
        const ssize_t n = write(fd, data.data() + written, data.size() - written);
        if (n >= 0) {
            written += static_cast<std::size_t>(n);
            continue;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN) {
            ok = false;
            break;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            ok = false;
            break;
        }
        pollfd p{fd, POLLOUT, 0};
        poll(&p, 1, static_cast<int>(std::min<long long>(left.count() + 1, 1000)));
    }

    if (!ok && errno == EPIPE) noSigpipe.consume();
    return ok;
}

} // namespace

struct BoostProcessTransport::Impl {
    mutable std::mutex mutex; // the process state below
    std::condition_variable changed;
    SpawnedProcess process;
    bool running = false; // started and not yet reaped and reported
    bool reaped = true;   // the process id may no longer be used for signals once reaped
    std::thread reader;

    std::mutex writeMutex; // one request line at a time; guards process.requestFd

    // Held while the engine's pipes are read (by the reader thread or a thread in readHere);
    // guards process.outputFd, errorFd, recordFd and recordBuffer.
    std::mutex readMutex;
    std::string recordBuffer; // the start of a record line not yet complete
    // Set once the engine has exited: readHere then leaves the last reads to the reader thread.
    std::atomic<bool> readerEnding{false};

    // The reader thread "parks" when it finds a requester reading in readHere: it stops polling
    // the pipes (whose data would wake it for every answer only to find the lock taken) and
    // leaves them to the requesters until a slice passes without any readHere, or until a
    // requester that cannot read asks it back through wakeFd.
    std::atomic<bool> readerParked{false};
    std::atomic<unsigned> readHereCount{0}; // changes on every entry to and exit from readHere
    int wakeFd = -1;                        // an eventfd; written to unpark the reader thread

    Impl() { wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC); }
    ~Impl() { closeDescriptor(wakeFd); }
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    void unparkReader() {
        if (!readerParked.load())
            return;
        const std::uint64_t one = 1;
        if (wakeFd >= 0 && write(wakeFd, &one, sizeof one) < 0) {
            // The counter cannot overflow from these writes; a failed write changes nothing.
        }
    }

    std::mutex listenerMutex; // held during every call to the listener
    IProcessTransportListener* listener = nullptr;

    std::atomic<bool> trace{false};

    void notifyListener(const std::function<void(IProcessTransportListener&)>& call) {
        std::lock_guard<std::mutex> lock(listenerMutex);
        if (listener)
            call(*listener);
    }

    void readerLoop();
    void deliverRecords(std::string& pending, const char* data, std::size_t size);
    // Reads what a pipe holds now; false once it has reached its end (and then, with
    // `closeAtEnd`, closes it).
    bool readSome(int& fd, std::string* recordBuffer, std::size_t limit, bool closeAtEnd = true);
    bool processExited() const;
};

bool BoostProcessTransport::Impl::processExited() const {
    siginfo_t info{};
    return waitid(P_PID, static_cast<id_t>(process.pid), &info,
                  WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid != 0;
}

void BoostProcessTransport::Impl::deliverRecords(std::string& pending, const char* data,
                                                 std::size_t size) {
    appendAndTakeLines(pending, data, size, [this](const std::string& line) {
        if (trace)
            traceLine("<< ", line);
        // The engine writes the design's output before an event that follows it; take whatever
        // of it is already readable first, so the event never overtakes that text.
        if (!line.empty() && line[0] == '*')
            for (int* fd : {&process.outputFd, &process.errorFd})
                if (*fd >= 0)
                    readSome(*fd, nullptr, ReadSlice);
        notifyListener([&](IProcessTransportListener& l) { l.recordReceived(line); });
    });
    // A long answer still arriving is the engine at work, not a hung one.
    if (!pending.empty())
        notifyListener([](IProcessTransportListener& l) { l.recordUnderway(); });
}

bool BoostProcessTransport::Impl::readSome(int& fd, std::string* recordBuffer,
                                           std::size_t limit, bool closeAtEnd) {
    char buffer[65536];
    std::size_t total = 0;
    while (total < limit) {
        const ssize_t n = readRetrying(fd, buffer, sizeof buffer);
        if (n > 0) {
            total += static_cast<std::size_t>(n);
            if (recordBuffer)
                deliverRecords(*recordBuffer, buffer, static_cast<std::size_t>(n));
            else {
                const std::string text(buffer, static_cast<std::size_t>(n));
                notifyListener([&](IProcessTransportListener& l) { l.outputReceived(text); });
            }
            // A pipe read returns less than asked only when it has emptied the pipe: what comes
            // later wakes the next poll, so no read is spent to learn that nothing is left.
            if (static_cast<std::size_t>(n) < sizeof buffer)
                return true;
            continue;
        }
        if (n < 0 && errno == EAGAIN)
            return true;
        if (closeAtEnd)
            closeDescriptor(fd); // end of the pipe, or a read error that ends it as well
        return false;
    }
    return true;
}

void BoostProcessTransport::Impl::readerLoop() {
    const pid_t pid = process.pid;
    // A process descriptor wakes the poll when the engine exits; without one, poll in slices.
    int processFd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    bool recordEnded = false;
    bool graceKillSent = false;
    Clock::time_point recordEndedAt;
    bool parked = false;
    unsigned seenReadHere = 0;

    // With a process descriptor the process is asked whether it has exited only when that
    // descriptor wakes the poll, not on every round.
    bool mayHaveExited = true;
    while (!mayHaveExited || !processExited()) {
        mayHaveExited = processFd < 0;
        pollfd fds[5];
        int* owners[5];
        nfds_t count = 0;
        // The design's output is read before records that arrived with it, so that text printed
        // before a stop is shown before the stop. A parked reader polls none of the pipes.
        if (!parked) {
            for (int* fd : {&process.outputFd, &process.errorFd, &process.recordFd}) {
                if (*fd >= 0) {
                    fds[count] = pollfd{*fd, POLLIN, 0};
                    owners[count++] = fd;
                }
            }
        }
        const nfds_t pipeCount = count;
        const nfds_t wakeIndex = count;
        if (wakeFd >= 0)
            fds[count++] = pollfd{wakeFd, POLLIN, 0};
        const nfds_t processIndex = count;
        if (processFd >= 0)
            fds[count++] = pollfd{processFd, POLLIN, 0};
        const int timeout = parked ? ParkSliceMs : processFd >= 0 && !recordEnded ? -1 : 100;
        const int woken = poll(fds, count, timeout);
        if (woken < 0) {
            mayHaveExited = true;
            if (errno != EINTR)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
        } else if (processFd >= 0 && fds[processIndex].revents) {
            mayHaveExited = true;
        }
        if (wakeFd >= 0 && fds[wakeIndex].revents) {
            std::uint64_t value;
            if (read(wakeFd, &value, sizeof value) < 0) {
                // Already reset by an earlier read.
            }
            parked = false;
        }
        if (parked) {
            // Back to reading once a whole slice has passed with no requester in readHere.
            const unsigned now = readHereCount.load();
            if (now == seenReadHere)
                parked = false;
            seenReadHere = now;
        }
        readerParked = parked;

        if (pipeCount > 0) {
            // A requester in readHere reads what woke this poll: rather than wait for its lock
            // (and wake again for every later answer), park.
            std::unique_lock<std::mutex> readLock(readMutex, std::try_to_lock);
            if (!readLock.owns_lock()) {
                seenReadHere = readHereCount.load();
                parked = true;
                readerParked = true;
                continue;
            }
            for (nfds_t i = 0; i < pipeCount; ++i) {
                if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                    continue;
                int& fd = *owners[i];
                const bool isRecord = &fd == &process.recordFd;
                if (!readSome(fd, isRecord ? &recordBuffer : nullptr, ReadSlice) && isRecord) {
                    recordEnded = true;
                    recordEndedAt = Clock::now();
                }
            }
        }
        if (recordEnded && !graceKillSent && Clock::now() - recordEndedAt > RecordEndGrace) {
            std::lock_guard<std::mutex> lock(mutex);
            kill(-pid, SIGKILL);
            graceKillSent = true;
        }
    }
    readerParked = false;

    // The engine has exited but is not reaped yet, so its group id is still its own: take what
    // its pipes still hold, end any process it left behind in its group, then reap it.
    readerEnding = true;
    std::unique_lock<std::mutex> readLock(readMutex);
    for (int* fd : {&process.outputFd, &process.errorFd, &process.recordFd})
        if (*fd >= 0)
            readSome(*fd, fd == &process.recordFd ? &recordBuffer : nullptr, DrainLimit);
    readLock.unlock();
    int status = 0;
    {
        std::lock_guard<std::mutex> lock(mutex);
        kill(-pid, SIGKILL);
        status = waitForExit(pid);
        reaped = true;
    }
    readLock.lock();
    if (!recordBuffer.empty()) {
        recordBuffer += '\n';
        std::string rest;
        deliverRecords(rest, recordBuffer.data(), recordBuffer.size());
        recordBuffer.clear();
    }
    closeDescriptor(process.outputFd);
    closeDescriptor(process.errorFd);
    closeDescriptor(process.recordFd);
    readLock.unlock();
    closeDescriptor(processFd);

    const std::string description = "Simulation engine " + describeWaitStatus(status) + "\n";
    notifyListener([&](IProcessTransportListener& l) { l.transportEnded(description); });
    std::lock_guard<std::mutex> lock(mutex);
    running = false;
    changed.notify_all();
}

BoostProcessTransport::BoostProcessTransport() : impl_(std::make_unique<Impl>()) {}

BoostProcessTransport::~BoostProcessTransport() {
    terminate();
    if (impl_->reader.joinable())
        impl_->reader.join();
    std::lock_guard<std::mutex> lock(impl_->writeMutex);
    closeDescriptor(impl_->process.requestFd);
}

void BoostProcessTransport::setListener(IProcessTransportListener* listener) {
    std::lock_guard<std::mutex> lock(impl_->listenerMutex);
    impl_->listener = listener;
}

void BoostProcessTransport::start(const StringBase& commandLine) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    if (impl_->running)
        ORVEX_THROW(CommandErrorException, "Simulation engine is already running");
    // A previous engine has been reported ended: its reader thread is finishing, without need
    // of the lock held here.
    if (impl_->reader.joinable())
        impl_->reader.join();
    {
        std::lock_guard<std::mutex> writeLock(impl_->writeMutex);
        closeDescriptor(impl_->process.requestFd);
    }

    impl_->notifyListener([](IProcessTransportListener& l) { l.transportStarted(); });
    const std::vector<std::string> words = DataConversion::commandLineWords(commandLine);
    SpawnedProcess process;
    std::string error;
    if (!spawnEngine(words, process, error)) {
        const std::string program = words.empty() ? std::string() : words[0];
        const std::string description =
            program.empty() ? "Cannot run the simulation engine: no command line given\n"
                            : "Cannot run the simulation engine '" + program + "': " + error + "\n";
        impl_->notifyListener([&](IProcessTransportListener& l) { l.transportEnded(description); });
        return;
    }
    {
        std::lock_guard<std::mutex> writeLock(impl_->writeMutex);
        impl_->process.requestFd = process.requestFd;
    }
    impl_->process.pid = process.pid;
    {
        std::lock_guard<std::mutex> readLock(impl_->readMutex);
        impl_->process.recordFd = process.recordFd;
        impl_->process.outputFd = process.outputFd;
        impl_->process.errorFd = process.errorFd;
        impl_->recordBuffer.clear();
        impl_->readerEnding = false;
    }
    impl_->running = true;
    impl_->reaped = false;
    impl_->reader = std::thread([this] { impl_->readerLoop(); });
}

bool BoostProcessTransport::send(const std::string& line, std::chrono::milliseconds timeout) {
    const Clock::time_point deadline = Clock::now() + timeout;
    std::lock_guard<std::mutex> lock(impl_->writeMutex);
    if (impl_->trace)
        traceLine(">> ", line);
    // After the engine has ended the descriptor stays open until the next start; writing to it
    // then fails with EPIPE.
    if (impl_->process.requestFd < 0)
        return false;
    return writeAll(impl_->process.requestFd, line + "\n", deadline);
}

bool BoostProcessTransport::readHere(Clock::time_point deadline) {
    Impl& impl = *impl_;
    if (impl.readerEnding)
        return false;
    std::unique_lock<std::mutex> readLock(impl.readMutex, std::try_to_lock);
    if (!readLock.owns_lock() || impl.process.recordFd < 0) {
        // The caller waits for the reader thread to deliver its answer instead.
        readLock = std::unique_lock<std::mutex>();
        impl.unparkReader();
        return false;
    }
    ++impl.readHereCount;
    // The same order as the reader thread: the design's output before the records.
    pollfd fds[3];
    int* owners[3];
    nfds_t count = 0;
    for (int* fd : {&impl.process.outputFd, &impl.process.errorFd, &impl.process.recordFd}) {
        if (*fd >= 0) {
            fds[count] = pollfd{*fd, POLLIN, 0};
            owners[count++] = fd;
        }
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - Clock::now() + std::chrono::microseconds(999));
    // In slices, so that an engine that exits while its pipes stay open (held by a process it
    // left behind) soon leaves the reading to the reader thread.
    const int timeout = static_cast<int>(std::min<long long>(std::max<long long>(0, left.count()), 100));
    bool ok = true;
    if (poll(fds, count, timeout) < 0) {
        ok = errno == EINTR;
        count = 0;
    }
    for (nfds_t i = 0; i < count; ++i) {
        if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
            continue;
        int& fd = *owners[i];
        // A pipe's end is left to the reader thread, which closes it and reports the end.
        if (!impl.readSome(fd, &fd == &impl.process.recordFd ? &impl.recordBuffer : nullptr,
                           ReadSlice, false))
            ok = false;
    }
    ++impl.readHereCount;
    readLock.unlock();
    if (!ok)
        impl.unparkReader();
    return ok;
}

void BoostProcessTransport::terminate() {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    if (impl_->running && !impl_->reaped)
        kill(-impl_->process.pid, SIGKILL);
}

bool BoostProcessTransport::waitEnded(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(impl_->mutex);
    return impl_->changed.wait_for(lock, timeout, [this] { return !impl_->running; });
}

bool BoostProcessTransport::isRunning() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->running;
}

int BoostProcessTransport::getProcessId() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->process.pid;
}

void BoostProcessTransport::setTrace(bool on) { impl_->trace = on; }

bool BoostProcessTransport::getTrace() const { return impl_->trace; }

} // namespace Tavrin
