// Protocol descriptors: request lines read by the simulation thread while it serves requests and
// by a reader thread while the simulation runs (so that a stop is seen at once), and a locked
// writer.
#include "Wire.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

namespace OrvexEngine {
namespace Wire {

std::atomic<int> stopsPending{0};

namespace {
int inFd = -1;
int outFd = -1;
std::mutex writeLock;

std::mutex queueLock;
std::condition_variable queueChanged;
std::deque<std::string> queue;
std::string partialLine;
bool inputEnded = false;
bool stopping = false;
bool simulationReads = false; // the simulation thread reads descriptor 3 (it serves requests)
int wakePipe[2] = {-1, -1};
std::thread reader;
void (*stopNotifier)() = nullptr;

// Records queued by the simulation thread, written in blocks of up to 64 KB into a pipe made
// 1 MB where the system allows (32 KB, half the default pipe, otherwise), so that a write
// seldom waits for the shell: a traced statement is a line, and millions of small writes cost
// more system time than the simulation.
constexpr std::size_t kQueueLimit = 64 * 1024;
constexpr int kRecordPipeSize = 1 << 20;
char queued[kQueueLimit];
std::size_t queueCapacity = kQueueLimit / 2;
std::size_t queuedSize = 0;
// Where the queue's last engine message ends while it is the queue's tail: a message queued next
// joins it (one `~"..."` record for a whole queue of trace lines), so the shell parses one record
// per write rather than one per statement.
constexpr std::size_t kNoOpenMessage = ~std::size_t(0);
std::size_t openMessageEnd = kNoOpenMessage;
std::atomic<bool> flushWanted{false};
std::atomic<bool> anyQueued{false};
std::thread::id simulationThread;
// Where the design's standard output stood when the last record was queued: when it has moved
// the design printed meanwhile, and its text must reach the shell between the records queued
// before it and the ones after.
const char* seenOutput = nullptr;
// Set by the first record queued after requests were served: from then until the next pause the
// design's output travels in the record stream (see queueOutput).
std::atomic<bool> carryingOutput{false};

const char* outputPosition() {
#ifdef __GLIBC__
    return stdout->_IO_write_ptr;
#else
    return nullptr;
#endif
}

/// Writes `size` bytes whole; the caller holds writeLock.
void writeAll(const char* p, std::size_t left) {
    while (left > 0) {
        ssize_t n = write(outFd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return; // the front end is gone; the end of input will end the engine
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

/// The queue is empty again, with no message left open to join.
void queueWritten() {
    queuedSize = 0;
    openMessageEnd = kNoOpenMessage;
    anyQueued.store(false, std::memory_order_relaxed);
}

/// Adds a whole record to the queue (a message joins a message at the queue's tail), writing
/// the queue first when the record does not fit. Simulation thread only.
void appendToQueue(const char* text, std::size_t size) {
    // `~"` + text + `"` + line end: a message's quoted text continues where the tail message's
    // closing quote stood (each message's text ends with a line end, so the lines stay whole).
    const bool message = size >= 4 && text[0] == '~' && text[1] == '"';
    if (message && queuedSize == openMessageEnd && queuedSize + size - 4 <= queueCapacity) {
        std::memcpy(queued + queuedSize - 2, text + 2, size - 2);
        queuedSize += size - 4;
        openMessageEnd = queuedSize;
        return;
    }
    if (queuedSize + size > queueCapacity) {
        flushQueued();
        if (size > queueCapacity) {
            std::lock_guard<std::mutex> lock(writeLock);
            writeAll(text, size);
            return;
        }
    }
    if (queuedSize == 0) anyQueued.store(true, std::memory_order_relaxed);
    std::memcpy(queued + queuedSize, text, size);
    queuedSize += size;
    openMessageEnd = message ? queuedSize : kNoOpenMessage;
}

/// Moves what the design has printed into its standard output's buffer to the queue, as a
/// design-output record. The shell reads the design's output and the records from two pipes and
/// cannot tell which of two readable pipes was written first: while statements are traced the
/// design's output goes in the record stream, in its place among the traces. (Only a print
/// larger than the buffer, which stdio writes by itself, still goes the other way.)
void queueOutput() {
#ifdef __GLIBC__
    flockfile(stdout);
    char* const base = stdout->_IO_write_base;
    char* const end = stdout->_IO_write_ptr;
    std::string record;
    if (base != nullptr && end > base) {
        record = "@" + Orvex::Mi::quote(std::string(base, end)) + "\n";
        stdout->_IO_write_ptr = base; // as stdio leaves it once the buffer is written
    }
    funlockfile(stdout);
    if (!record.empty()) appendToQueue(record.data(), record.size());
#else
    flushQueued();
    std::fflush(stdout);
#endif
    seenOutput = outputPosition();
}
} // namespace

void flushQueuedAndOutput() {
    if (carryingOutput.load(std::memory_order_relaxed)) queueOutput();
    flushQueued();
    std::fflush(nullptr);
    seenOutput = outputPosition();
}

void outputServed() { carryingOutput.store(false, std::memory_order_relaxed); }

void flushOutput() {
    if (carryingOutput.load(std::memory_order_relaxed))
        requestFlush(); // the simulation thread takes the output with its next record
    else if (!recordsQueued())
        std::fflush(stdout);
}

namespace {
bool isStopRequest(const std::string& line) {
    // "<token>-stop" with optional blanks after it; parsing proper happens when served.
    std::size_t dash = line.find('-');
    if (dash == std::string::npos) return false;
    std::size_t end = line.find_first_of(" \t\r", dash);
    return line.compare(dash + 1, end == std::string::npos ? std::string::npos : end - dash - 1,
                        "stop") == 0;
}

void queueLine(std::string line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) return;
    if (isStopRequest(line)) {
        ++stopsPending;
        if (stopNotifier) stopNotifier();
    }
    queue.push_back(std::move(line));
}

/// Reads what descriptor 3 holds now (it is non-blocking) and queues its whole lines. Called
/// with queueLock held, by whichever thread owns reading. False at the end of input (or a read
/// error), which is then recorded: a run is interrupted and the engine ends.
bool readAvailable() {
    char buffer[4096];
    for (;;) {
        ssize_t got = read(inFd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
        if (got <= 0) {
            // End of input: the front end is gone. Interrupt a run and end the engine.
            inputEnded = true;
            ++stopsPending;
            if (stopNotifier) stopNotifier();
            queueChanged.notify_all();
            return false;
        }
        partialLine.append(buffer, static_cast<std::size_t>(got));
        std::size_t start = 0, nl;
        while ((nl = partialLine.find('\n', start)) != std::string::npos) {
            queueLine(partialLine.substr(start, nl - start));
            start = nl + 1;
        }
        partialLine.erase(0, start);
        if (static_cast<std::size_t>(got) < sizeof buffer) return true;
    }
}

void drainWakePipe() {
    char bytes[64];
    while (read(wakePipe[0], bytes, sizeof bytes) > 0) {
    }
}

// The reader thread reads descriptor 3 only while the simulation runs, so that a stop request
// is seen at once; while the simulation thread serves requests it reads them itself (no hand-over
// through this thread) and this thread waits for the wake pipe.
void readLoop() {
    for (;;) {
        bool watchInput;
        {
            std::lock_guard<std::mutex> lock(queueLock);
            if (stopping) return;
            watchInput = !simulationReads && !inputEnded;
        }
        pollfd fds[2] = {{wakePipe[0], POLLIN, 0}, {inFd, POLLIN, 0}};
        int n = poll(fds, watchInput ? 2 : 1, -1);
        if (n < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[0].revents) drainWakePipe();
        if (!watchInput || !fds[1].revents) continue;
        std::lock_guard<std::mutex> lock(queueLock);
        // The simulation thread may have taken over reading since the poll: it reads instead.
        if (stopping || simulationReads || inputEnded) continue;
        std::size_t queued = queue.size();
        readAvailable();
        if (queue.size() != queued) queueChanged.notify_all();
    }
}

void wakeReader() {
    char byte = 1;
    if (wakePipe[1] >= 0 && write(wakePipe[1], &byte, 1) < 0) {
        // A full wake pipe already wakes the reader.
    }
}
} // namespace

bool openFromEnvironment() {
    const char* fds = std::getenv("ORVEX_ENGINE_FDS");
    if (!fds) return false;
    char* end = nullptr;
    long in = std::strtol(fds, &end, 10);
    if (end == fds || *end != ',') return false;
    const char* second = end + 1;
    long out = std::strtol(second, &end, 10);
    if (end == second || *end != '\0' || in < 0 || out < 0) return false;
    inFd = static_cast<int>(in);
    outFd = static_cast<int>(out);
    simulationThread = std::this_thread::get_id();
    // (Not a pipe, or a size refused: the queue stays small.)
    if (fcntl(outFd, F_SETPIPE_SZ, kRecordPipeSize) >= kRecordPipeSize) queueCapacity = kQueueLimit;
    std::atexit(flushQueuedAndOutput); // vvp ending by itself, without the engine's own end
    return true;
}

bool isOpen() { return outFd >= 0; }

void writeLine(const std::string& line) {
    if (outFd < 0) return;
    const bool simulation = std::this_thread::get_id() == simulationThread;
    std::lock_guard<std::mutex> lock(writeLock);
    std::string whole = line + '\n';
    if (simulation && queuedSize + whole.size() <= queueCapacity) {
        // One write with the queue before it.
        std::memcpy(queued + queuedSize, whole.data(), whole.size());
        writeAll(queued, queuedSize + whole.size());
        queueWritten();
        return;
    }
    if (simulation && queuedSize > 0) {
        writeAll(queued, queuedSize);
        queueWritten();
    }
    writeAll(whole.data(), whole.size());
}

void queueRecord(const char* text, std::size_t size) {
    if (outFd < 0) return;
    if (__builtin_expect(!carryingOutput.load(std::memory_order_relaxed), 0))
        carryingOutput.store(true, std::memory_order_relaxed);
    if (__builtin_expect(outputPosition() != seenOutput || flushWanted.load(std::memory_order_relaxed), 0)) {
        flushWanted.store(false, std::memory_order_relaxed);
        queueOutput();
        flushQueued(); // the design's output is seen as soon as it is printed
    }
    appendToQueue(text, size);
}

void flushQueued() {
    if (queuedSize == 0) return;
    std::lock_guard<std::mutex> lock(writeLock);
    writeAll(queued, queuedSize);
    queueWritten();
}

void requestFlush() { flushWanted.store(true, std::memory_order_relaxed); }

bool recordsQueued() { return anyQueued.load(std::memory_order_relaxed); }

void sendResult(std::uint64_t token, const Orvex::Mi::Value& fields) {
    std::string line = std::to_string(token) + "^done";
    if (!fields.fields.empty()) line += "," + Orvex::Mi::encodeFields(fields);
    writeLine(line);
}

void sendError(std::uint64_t token, const std::string& message) {
    writeLine(std::to_string(token) + "^error,msg=" + Orvex::Mi::quote(message));
}

void setStopNotifier(void (*notify)()) { stopNotifier = notify; }

void startReader(std::vector<std::string> pending, std::string partial) {
    {
        std::lock_guard<std::mutex> lock(queueLock);
        for (auto& line : pending) queueLine(std::move(line));
        partialLine = std::move(partial);
        inputEnded = false;
        stopping = false;
        simulationReads = false;
    }
    if (pipe2(wakePipe, O_NONBLOCK | O_CLOEXEC) != 0) wakePipe[0] = wakePipe[1] = -1;
    int flags = fcntl(inFd, F_GETFL);
    if (flags >= 0) fcntl(inFd, F_SETFL, flags | O_NONBLOCK);
    reader = std::thread(readLoop);
}

std::string nextLine() {
    std::unique_lock<std::mutex> lock(queueLock);
    simulationReads = true;
    for (;;) {
        if (!queue.empty()) {
            std::string line = std::move(queue.front());
            queue.pop_front();
            return line;
        }
        if (inputEnded) return "0-exit";
        lock.unlock();
        pollfd fds = {inFd, POLLIN, 0};
        if (poll(&fds, 1, -1) < 0 && errno != EINTR) {
            lock.lock();
            // Without a working poll the reader thread's queue is waited for instead.
            simulationReads = false;
            wakeReader();
            queueChanged.wait(lock, [] { return !queue.empty() || inputEnded; });
            simulationReads = true;
            continue;
        }
        lock.lock();
        readAvailable();
    }
}

void resumeReader() {
    std::lock_guard<std::mutex> lock(queueLock);
    if (!simulationReads) return;
    simulationReads = false;
    wakeReader();
}

std::vector<std::string> stopReader(std::string& partial) {
    if (reader.joinable()) {
        {
            std::lock_guard<std::mutex> lock(queueLock);
            stopping = true;
        }
        wakeReader();
        reader.join();
    }
    std::lock_guard<std::mutex> lock(queueLock);
    std::vector<std::string> left(queue.begin(), queue.end());
    queue.clear();
    partial = partialLine;
    partialLine.clear();
    return left;
}

} // namespace Wire
} // namespace OrvexEngine
