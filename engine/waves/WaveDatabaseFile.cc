// The waveform database file: header region with room, appended body, atomic replacement.
#include "WaveDatabaseFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace OrvexEngine {

namespace {

constexpr const char* EndOfDefinitions = "$enddefinitions $end\n";
constexpr const char* RoomOpen = "$comment room for objects selected later\n";
constexpr const char* RoomClose = "\n$end\n";

std::string errorText() { return std::strerror(errno); }

bool writeAllAt(int fd, const char* data, std::size_t size, std::uint64_t offset) {
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, data, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return true;
}

} // namespace

int createSideFile(const std::string& target, std::string& name) {
    const std::size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string pattern = dir + "." + base + ".XXXXXX";
    // mkostemp opens with O_EXCL: an existing file of that name is never taken over.
    const int fd = ::mkostemp(&pattern[0], O_CLOEXEC);
    if (fd < 0) return -1;
    ::fchmod(fd, 0644);
    name = pattern;
    return fd;
}

WaveDatabaseFile::~WaveDatabaseFile() { close(); }

std::uint64_t WaveDatabaseFile::regionSizeFor(std::uint64_t headerSize) {
    const std::uint64_t room = headerSize < 16384 ? 16384 : headerSize;
    return headerSize + std::strlen(RoomOpen) + std::strlen(RoomClose) + room;
}

std::string WaveDatabaseFile::padHeader(const std::string& header, std::uint64_t size) {
    const std::size_t cut = header.rfind(EndOfDefinitions);
    const std::string decls = cut == std::string::npos ? header : header.substr(0, cut);
    const std::size_t fixed = decls.size() + std::strlen(RoomOpen) + std::strlen(RoomClose) +
                              std::strlen(EndOfDefinitions);
    if (fixed > size) return std::string();
    std::string out = decls;
    out += RoomOpen;
    // Lines of spaces: some readers keep a line in a fixed buffer.
    std::size_t room = size - fixed;
    while (room > 0) {
        const std::size_t line = room > 80 ? 80 : room;
        out.append(line - 1, ' ');
        out += '\n';
        room -= line;
    }
    out += RoomClose;
    out += EndOfDefinitions;
    return out;
}

std::string WaveDatabaseFile::create(const std::string& name, const std::string& header) {
    close();
    name_ = name;
    end_ = 0;
    return writeNew(header, -1);
}

std::string WaveDatabaseFile::writeNew(const std::string& header, int copyFrom) {
    std::string sideName;
    const int fd = createSideFile(name_, sideName);
    if (fd < 0) return "cannot create a file beside " + name_ + ": " + errorText();
    const std::uint64_t region = regionSizeFor(header.size());
    const std::string padded = padHeader(header, region);
    bool ok = writeAllAt(fd, padded.data(), padded.size(), 0);
    std::uint64_t end = region;
    if (ok && copyFrom >= 0) {
        char chunk[1 << 16];
        for (std::uint64_t at = region_; ok && at < end_;) {
            const ssize_t n = ::pread(copyFrom, chunk, sizeof chunk, static_cast<off_t>(at));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                ok = false;
                break;
            }
            ok = writeAllAt(fd, chunk, static_cast<std::size_t>(n), end);
            at += static_cast<std::uint64_t>(n);
            end += static_cast<std::uint64_t>(n);
        }
    }
    const std::string failure = ok ? std::string() : errorText();
    if (!ok || ::rename(sideName.c_str(), name_.c_str()) != 0) {
        const std::string reason = ok ? errorText() : failure;
        ::close(fd);
        ::unlink(sideName.c_str());
        return "cannot write " + name_ + ": " + reason;
    }
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
    region_ = region;
    end_ = end;
    return std::string();
}

std::string WaveDatabaseFile::setHeader(const std::string& header) {
    if (fd_ < 0) return "not open";
    const std::string padded = padHeader(header, region_);
    if (padded.empty()) return writeNew(header, fd_);
    if (!writeAllAt(fd_, padded.data(), padded.size(), 0)) return "cannot write " + name_ + ": " + errorText();
    return std::string();
}

std::string WaveDatabaseFile::append(const std::string& text) {
    if (fd_ < 0) return "not open";
    if (!writeAllAt(fd_, text.data(), text.size(), end_)) {
        const std::string reason = errorText();
        // Cut a partly written piece off so that the file still ends at a whole time step.
        if (::ftruncate(fd_, static_cast<off_t>(end_)) != 0) {
        }
        return "cannot write " + name_ + ": " + reason;
    }
    end_ += text.size();
    return std::string();
}

void WaveDatabaseFile::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

} // namespace OrvexEngine
