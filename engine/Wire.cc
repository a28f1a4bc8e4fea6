// Protocol descriptors: a reader thread that only queues request lines, and a locked writer.
#include "Wire.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstdlib>
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
int wakePipe[2] = {-1, -1};
std::thread reader;
void (*stopNotifier)() = nullptr;

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

void readLoop() {
    char buffer[4096];
    for (;;) {
        pollfd fds[2] = {{inFd, POLLIN, 0}, {wakePipe[0], POLLIN, 0}};
        int n = poll(fds, 2, -1);
        if (n < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[1].revents) return; // asked to stop: leave the rest unread
        ssize_t got = read(inFd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        std::lock_guard<std::mutex> lock(queueLock);
        if (got <= 0) break;
        partialLine.append(buffer, static_cast<std::size_t>(got));
        std::size_t start = 0, nl;
        while ((nl = partialLine.find('\n', start)) != std::string::npos) {
            queueLine(partialLine.substr(start, nl - start));
            start = nl + 1;
        }
        partialLine.erase(0, start);
        queueChanged.notify_all();
    }
    // End of input: the front end is gone. Interrupt a run and end the engine.
    std::lock_guard<std::mutex> lock(queueLock);
    inputEnded = true;
    ++stopsPending;
    if (stopNotifier) stopNotifier();
    queueChanged.notify_all();
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
    return true;
}

bool isOpen() { return outFd >= 0; }

void writeLine(const std::string& line) {
    if (outFd < 0) return;
    std::lock_guard<std::mutex> lock(writeLock);
    std::string whole = line + "\n";
    const char* p = whole.data();
    std::size_t left = whole.size();
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
    }
    if (pipe(wakePipe) != 0) wakePipe[0] = wakePipe[1] = -1;
    reader = std::thread(readLoop);
}

std::string nextLine() {
    std::unique_lock<std::mutex> lock(queueLock);
    queueChanged.wait(lock, [] { return !queue.empty() || inputEnded; });
    if (queue.empty()) return "0-exit";
    std::string line = std::move(queue.front());
    queue.pop_front();
    return line;
}

std::vector<std::string> stopReader(std::string& partial) {
    if (reader.joinable()) {
        char byte = 1;
        if (write(wakePipe[1], &byte, 1) < 0) { /* the reader then ends at the end of input */ }
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
