// The simulation log file: appended to in whole lines, each line with one write, so sessions
// that share a log never mix within a line; its first write error is kept for one report.
#pragma once

#include <string>

namespace Tavrin {

class LogFile {
public:
    LogFile() = default;
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    /// Opens (creates) the file for appending; false when it cannot be opened.
    bool open(const std::string& name);
    /// Appends text. Complete lines are written at once; the start of a line waits for its end
    /// (or for flush), unless it grows past a limit.
    void write(const std::string& text);
    /// Writes a waiting line start as it is.
    void flush();

    /// The first write error, described ("No space left on device"), once: empty afterwards
    /// and while all went well.
    std::string takeError();
    bool failed() const { return failed_; }

private:
    void writeOut(const char* data, std::size_t size);

    int fd_ = -1;
    std::string partial_;
    bool failed_ = false;
    bool errorTaken_ = false;
    std::string error_;
};

} // namespace Tavrin
