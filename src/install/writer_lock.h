// Runs of the package take turns at writing the data file. The lock orders them; it does not
// keep one run's files safe from another's: each run holds its temporary file open exclusively
// from its creation to its rename, so no other run can open, take for a leftover or delete it.
#pragma once

#include "startup/win_handles.h"

namespace telvo {

// How long a run waits for another run's write, retries included (that takes seconds); a
// holder that keeps the lock far longer is stuck, and the waiting run then gives up.
constexpr unsigned long kWriterLockWaitMs = 60 * 1000;

class TWriterLock {
  public:
    // Takes the lock, waiting up to kWriterLockWaitMs for a run that holds it.
    //
    // The lock lives in a private namespace bounded by the Administrators SID and, from
    // Windows 8 on, the High integrity label, which only an elevated administrator can create
    // or open: a less-trusted process can neither hold it nor deny it. Where the system has no
    // private namespaces (Windows XP, Wine) it is the global mutex
    // "Global\TelvoUpdate.DataFileWriter", which any process can create first; one that this run
    // may not open is ignored there.
    //
    // A lock that cannot be had for any reason but another holder is done without: the run
    // writes unordered, as safely.
    TWriterLock();
    ~TWriterLock();
    TWriterLock(const TWriterLock&) = delete;
    TWriterLock& operator=(const TWriterLock&) = delete;

    // True when a holder kept the lock past the wait: the write must not go on.
    bool TimedOut() const { return Outcome == TOutcome::TimedOut; }
    // True when this run holds the lock (not when it goes on without one).
    bool Held() const { return Outcome == TOutcome::Held; }

  private:
    enum class TOutcome { Held, DoneWithout, TimedOut };

    void* Boundary = nullptr;   // the boundary descriptor, where there is one
    void* Namespace = nullptr;  // the private namespace, where there is one
    TMutexHandle Mutex;
    TOutcome Outcome = TOutcome::DoneWithout;
};

}  // namespace telvo
