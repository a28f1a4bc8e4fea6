// The waveform database file on disk: a VCD-format file that is readable at every moment. The
// header comes first and is followed by room for variables selected later, so the value changes
// are only ever appended and selecting an object rewrites a few kilobytes in place. The file is
// created under a unique name beside its target (O_EXCL) and renamed over it once the header is
// written, so a reader never finds it absent or half made; when the room runs out the file is
// copied the same way with a larger room.
#pragma once

#include <cstdint>
#include <string>

namespace OrvexEngine {

class WaveDatabaseFile {
public:
    WaveDatabaseFile() = default;
    ~WaveDatabaseFile();
    WaveDatabaseFile(const WaveDatabaseFile&) = delete;
    WaveDatabaseFile& operator=(const WaveDatabaseFile&) = delete;

    /// Creates (or replaces) `name` holding `header`, which must end with "$enddefinitions $end\n".
    /// Returns an empty text or the reason it failed.
    std::string create(const std::string& name, const std::string& header);
    /// Puts a longer header in place of the old one.
    std::string setHeader(const std::string& header);
    /// Appends body text.
    std::string append(const std::string& text);
    void close();
    bool isOpen() const { return fd_ >= 0; }

    /// The header region: `header` with the room before its "$enddefinitions", `size` bytes long.
    static std::string padHeader(const std::string& header, std::uint64_t size);
    /// The region size given to a header: itself and room for about as much again.
    static std::uint64_t regionSizeFor(std::uint64_t headerSize);

private:
    std::string writeNew(const std::string& header, int copyFrom);

    std::string name_;
    int fd_ = -1;
    std::uint64_t region_ = 0; // bytes of the header region
    std::uint64_t end_ = 0;    // bytes in the file
};

/// A new file beside `target` under a unique name (created with O_EXCL); returns its descriptor
/// (-1 on failure) and sets `name`.
int createSideFile(const std::string& target, std::string& name);

} // namespace OrvexEngine
