// Splitting text that arrives in pieces (a pipe read at a time) into whole lines: what every
// reader of another process's line-oriented output (the engine's records, the viewer's replies)
// does with each chunk it reads.
#pragma once

#include <cstddef>
#include <string>

namespace Tavrin {

/// Appends `size` bytes of `data` to `pending`, hands every line now complete to `take` (without
/// its line end, nor a carriage return before it) in order, and keeps only the unfinished rest
/// in `pending`. Only the new bytes are searched for line ends, so a long line arriving in many
/// chunks is not searched again from its start each time.
template <typename Take>
void appendAndTakeLines(std::string& pending, const char* data, std::size_t size, Take take) {
    std::size_t searchFrom = pending.size();
    pending.append(data, size);
    std::size_t begin = 0;
    std::size_t end;
    while ((end = pending.find('\n', searchFrom)) != std::string::npos) {
        std::string line = pending.substr(begin, end - begin);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        take(line);
        begin = end + 1;
        searchFrom = begin;
    }
    pending.erase(0, begin);
}

} // namespace Tavrin
