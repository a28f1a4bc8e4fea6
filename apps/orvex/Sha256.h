// SHA-256, for naming compiled designs by what went into them and for noticing changed sources.
#pragma once

#include <cstdint>
#include <string>

namespace OrvexLauncher {

class Sha256 {
public:
    Sha256();
    void add(const void* data, std::size_t size);
    void add(const std::string& text) { add(text.data(), text.size()); }
    /// Adds `text` with its length first, so that the words of a list cannot run into each other.
    void addWord(const std::string& text);
    /// The digest as 64 lowercase hex digits; the object is used up.
    std::string hex();

private:
    void block(const unsigned char* data);

    std::uint32_t state_[8];
    unsigned char pending_[64];
    std::size_t pendingSize_ = 0;
    std::uint64_t totalBytes_ = 0;
};

/// The digest of a file's contents; false when it cannot be read.
bool hashFile(const std::string& path, std::string& digest);

} // namespace OrvexLauncher
