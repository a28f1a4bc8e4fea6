// Restart by fork: at the start of simulation, before any process of the design has run, the
// engine process becomes a keeper of that time-0 state and forks a child that serves the
// protocol. A restart ends the child, which hands its surviving state and unread requests to the
// keeper; the keeper forks a fresh child from the snapshot. The keeper never reads requests and
// never runs the design; it ends with the child (end of requests, quit, exit, or a crash).
#pragma once

#include <string>
#include <vector>

namespace OrvexEngine {

/// What a serving child starts with.
struct ChildStart {
    int generation = 0;                // 0 for the first child, then one more per restart
    std::vector<std::string> replay;   // requests that rebuild state kept over the restart
    std::vector<std::string> pending;  // requests read by the previous child but not served
    std::string partial;               // a request line read in part
};

/// In the keeper: forks children until one ends without asking for a restart, then ends the
/// process with that child's status. Returns only in a child.
ChildStart keepSnapshot();
/// In a child: hands the state over to the keeper and ends this child.
[[noreturn]] void restartFromSnapshot();

/// Splits and joins the hand-over text (one record per line, tagged R, P or T).
std::string encodeHandOver(const ChildStart& start);
ChildStart decodeHandOver(const std::string& text);

} // namespace OrvexEngine
