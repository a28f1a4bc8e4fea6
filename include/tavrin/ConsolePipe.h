// Joins a host console to a pair of pipes, so code that wants descriptors (the Tcl channels) can
// read lines typed on the console and write text that appears on it.
#pragma once

#include "tavrin/IConsole.h"

namespace Tavrin {

class ConsolePipeImpl;

/// Two pipes and two pump threads between an IConsole and descriptor-level reads and writes:
/// text written here appears on the console in chunks of at most 1023 bytes; each line the
/// console reads can be read here, and the end of the console's input (readLine throwing, or
/// returning an empty text) reads as end of file. The console must stay alive until its readLine
/// has returned, as the input pump may still be inside it after shutDown gives up on it.
class ConsolePipe {
public:
    /// Creates both pipes and starts both pumps; throws Orvex::IOException when a pipe cannot be
    /// made.
    explicit ConsolePipe(IConsole& console);
    /// Shuts down first if that has not been done.
    ~ConsolePipe();
    ConsolePipe(const ConsolePipe&) = delete;
    ConsolePipe& operator=(const ConsolePipe&) = delete;

    /// Reads typed bytes as Pipe::read does: true with `count` 0 at the end of the console's
    /// input; Orvex::EndOfInputException after shutDown.
    bool read(char* buffer, int size, int& count);
    /// Writes bytes for the console as Pipe::write does; false after shutDown.
    bool write(const char* buffer, int size, int& count);
    /// Waits (at most `milliseconds`) until everything written so far has reached the console,
    /// so that text sent to the console directly does not overtake it. False on time-out.
    bool waitDelivered(int milliseconds);
    int getReadDescriptor() const;
    int getWriteDescriptor() const;
    /// Delivers what was written so far, flushes the console, ends both pipes and joins both
    /// pumps, giving up on each after 5 seconds. Safe to call more than once.
    void shutDown();

private:
    ConsolePipeImpl* impl_;
};

} // namespace Tavrin
