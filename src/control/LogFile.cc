// The simulation log file (see LogFile.h). O_APPEND makes every write land at the end of the
// file as it is then, however many processes append; a line is never split over two writes.
#include "LogFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "orvex/PosixIo.h"

namespace Tavrin {

namespace {
// A design that prints without line ends is still logged, in pieces of this size.
constexpr std::size_t PartialLimit = 64u << 10;
} // namespace

LogFile::~LogFile() {
    flush();
    if (fd_ >= 0) ::close(fd_);
}

bool LogFile::open(const std::string& name) {
    do {
        fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    } while (fd_ < 0 && errno == EINTR);
    return fd_ >= 0;
}

void LogFile::write(const std::string& text) {
    const std::size_t end = text.rfind('\n');
    if (end == std::string::npos) {
        partial_ += text;
        if (partial_.size() >= PartialLimit) flush();
        return;
    }
    if (partial_.empty()) {
        writeOut(text.data(), end + 1);
    } else {
        partial_.append(text, 0, end + 1);
        writeOut(partial_.data(), partial_.size());
        partial_.clear();
    }
    partial_.append(text, end + 1, std::string::npos);
}

void LogFile::flush() {
    if (partial_.empty()) return;
    writeOut(partial_.data(), partial_.size());
    partial_.clear();
}

void LogFile::writeOut(const char* data, std::size_t size) {
    if (fd_ < 0 || failed_) return;
    if (!writeAll(fd_, data, size)) {
        // Once a write has failed the log has a hole; later lines are not written, so the file
        // never pretends to be whole.
        failed_ = true;
        error_ = errno != 0 ? std::strerror(errno) : "nothing could be written";
    }
}

std::string LogFile::takeError() {
    if (!failed_ || errorTaken_) return std::string();
    errorTaken_ = true;
    return error_;
}

} // namespace Tavrin
