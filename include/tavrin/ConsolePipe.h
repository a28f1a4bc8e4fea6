// Joins a host console to a pair of pipes, so code that wants descriptors (the Tcl channels) can
// read lines typed on the console and write text that appears on it.
#pragma once

#include "tavrin/IConsole.h"

namespace Tavrin {

class ConsolePipeImpl;

/// Two pipes and two pump threads between an IConsole and descriptor-level reads and writes:
/// text written here appears on the console in chunks of at most 1023 bytes; each line the
/// console reads can be read here.
class ConsolePipe {
public:
    explicit ConsolePipe(IConsole& console);
    ~ConsolePipe();
    ConsolePipe(const ConsolePipe&) = delete;
    ConsolePipe& operator=(const ConsolePipe&) = delete;

    bool read(char* buffer, int size, int& count);
    bool write(const char* buffer, int size, int& count);
    int getReadDescriptor() const;
    int getWriteDescriptor() const;
    /// Flushes the console, ends both pipes and joins both pumps (each within 5 seconds).
    void shutDown();

private:
    ConsolePipeImpl* impl_;
};

} // namespace Tavrin
