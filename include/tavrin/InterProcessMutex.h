// Named locks shared by the processes of one user, and the run numbers that keep simulations in
// one working directory apart.
#pragma once

#include "orvex/StringBase.h"

namespace Tavrin {

/// A named, non-blocking mutex visible to every process of the user, kept in a lock file that the
/// kernel unlocks when its holder ends; the static `getRunNumber` hands each simulation of a
/// working directory the lowest number that no live process of that directory holds.
class InterProcessMutex {
public:
    /// The result of every operation on the object.
    enum Status {
        Ok = 0,            ///< created (a new mutex), locked, or unlocked
        AlreadyExists = 1, ///< Create: another holder already had it; this object now shares it
        AlreadyHave = 2,   ///< Create: this object already holds a mutex of exactly this name
        CreateFailed = 3,  ///< Create: the mutex cannot be created or opened
        NoMutex = 4,       ///< Lock or Unlock with no mutex held
        LockFailed = 5,    ///< Lock: not taken at once (another owner, or any error)
        UnlockFailed = 6   ///< Unlock: not locked by this thread, or the release failed
    };

    InterProcessMutex();
    /// Closes the mutex if one is held, which also releases a lock still taken.
    ~InterProcessMutex();
    InterProcessMutex(const InterProcessMutex&) = delete;
    InterProcessMutex& operator=(const InterProcessMutex&) = delete;

    /// Opens the mutex "ORVEX_FILE_LOCK_" + name (backslashes become underscores), creating it
    /// when nobody holds it; a different mutex held before is given up first.
    Status Create(const StringBase& name);
    /// Create with the current working directory as the name; the argument is not used.
    Status CreateCurrentDirLock(const StringBase& unused);
    /// Takes the mutex without waiting; the thread that holds it may take it again.
    Status Lock();
    /// Releases one Lock of the calling thread.
    Status Unlock();

    /// The lowest run number no other live process of the current working directory holds. The
    /// number is held until the process ends, and later calls return it again. 0 when the
    /// directory or the lock directory cannot be used, or no number up to 9999 is free.
    static int getRunNumber();

private:
    struct Record;
    Record* record_;
};

} // namespace Tavrin
