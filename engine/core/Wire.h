// The engine's two protocol descriptors: requests read from one (by the simulation thread while it
// serves requests, by a reader thread while the simulation runs), records written whole to the
// other under a lock. Nothing here calls VPI.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "Mi.h"

namespace OrvexEngine {
namespace Wire {

/// Reads ORVEX_ENGINE_FDS ("3,4"); false when it is absent or malformed (the engine stays off).
bool openFromEnvironment();
bool isOpen();

/// Writes one whole record line (the line end is added). On the simulation thread the queued
/// records go first.
void writeLine(const std::string& line);

/// Queues a whole record (its line end included) for a later write: statement traces come by
/// the million, and a write(2) each cost more than the simulation. Simulation thread only. The
/// queue goes out when it is full, before any other record the simulation thread writes (so
/// every pause follows the traces before it), before the design's own output written since the
/// last queued record, at flushQueued, and at the first record queued after requestFlush.
/// Engine messages (`~"..."`) queued one after another are joined into one record, so a
/// message's text must end with a line end.
void queueRecord(const char* text, std::size_t size);
/// Writes what is queued. Simulation thread only (before a fork).
void flushQueued();
/// Writes what is queued and the design's buffered output, in the order printed: where records
/// were queued since requests were last served the output goes as a design-output record.
/// Simulation thread only (at a pause, at the end).
void flushQueuedAndOutput();
/// Requests are served: the design's output goes its own way again until a record is queued.
void outputServed();
/// Any thread: the design's output printed so far is to reach the shell soon, and after the
/// records queued before it.
void flushOutput();
/// Any thread: the simulation thread writes its queue with the next record it queues.
void requestFlush();
/// Any thread: true while records wait in the queue (the design's output printed since then
/// must not overtake them).
bool recordsQueued();
void sendResult(std::uint64_t token, const Orvex::Mi::Value& fields);
void sendError(std::uint64_t token, const std::string& message);

/// Starts the reader thread; `pending` lines are served before anything read.
void startReader(std::vector<std::string> pending, std::string partial);
/// The next request line; blocks until one arrives. After the end of input it gives "exit".
/// Called on the simulation thread, which then reads the requests itself until resumeReader.
std::string nextLine();
/// The simulation resumes: the reader thread reads the requests again (and flags stops).
void resumeReader();
/// Stops the reader thread and returns the lines it queued but nobody took, and a partial line.
std::vector<std::string> stopReader(std::string& partial);

/// `stop` requests read but not yet served; the reader raises it at once so a run can be
/// interrupted, serving a stop lowers it.
extern std::atomic<int> stopsPending;
/// Called on the reader thread when a stop request (or the end of input) is read.
void setStopNotifier(void (*notify)());

} // namespace Wire
} // namespace OrvexEngine
