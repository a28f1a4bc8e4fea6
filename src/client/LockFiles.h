// Lock files of the inter-process mutexes: where they live, how they are named, and the
// open-file-description locks taken on them.
#pragma once

#include <string>

namespace Tavrin {
namespace LockFiles {

/// The per-user lock directory ($XDG_RUNTIME_DIR/orvex-locks, else /tmp/orvex-locks-<uid>),
/// created with mode 0700. Empty when it cannot be made, or is not a private directory of ours.
std::string directory();
/// The file name of a lock: slashes become underscores; names too long for a file name are cut
/// and given a hash of the whole name.
std::string fileName(const std::string& lockName);
/// Opens (creating) the lock file of a name, close-on-exec; -1 on failure or an unusable name.
/// The first open of a process removes the lock files that no process holds any more.
int open(const std::string& lockName);
/// Whether the lock file's name still leads to this open file. A lock taken on a file that a
/// sweep removed meanwhile protects nothing: reopen and lock again.
bool sameFile(int fd, const std::string& lockName);
/// Removes the lock files in `dir` that no process holds (open does this once per process).
void removeStale(const std::string& dir);
/// Closes a lock file, removing it when no other process holds a lock on it.
void close(int fd, const std::string& lockName);
/// Tries to take a lock of `type` (F_RDLCK or F_WRLCK) on one byte without waiting.
bool tryLock(int fd, long byte, short type);
bool unlock(int fd, long byte);

/// The run-number base of a directory: absolute, normalised, in forward-slash form, with every
/// slash and backslash turned into an underscore. Throws std::filesystem::filesystem_error.
std::string runNumberBase(const std::string& directory);
/// The lock name of run number n: the base, n appended when above 0; case is kept.
std::string runNumberName(const std::string& base, int runNumber);

/// The current working directory; on failure prints the system's message to standard output
/// and returns the empty text.
std::string currentDirectory();

} // namespace LockFiles
} // namespace Tavrin
