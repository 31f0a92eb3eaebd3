// WriteDataFile: puts the data file that the package carries as a resource of its own
// executable on disk, byte for byte.
#pragma once

#include <functional>
#include <string>

#include "folder/install_directory.h"

namespace telvo {

// Copies the resource `resourceName` of type `resourceType` (found without regard to case) from
// the running executable into `folder` (the run's one opening of the install folder) under
// `targetName` (one name, no folder part).
//
// Every create, rename and delete happens relative to `folder`, never through a link at the
// name; a folder that is not open fails. The bytes go straight from the loaded resource, in
// pieces (WriteInPieces), into a new file of an unpredictable name beside the target, held open
// exclusively; that file is flushed and then renamed over the target through its handle. So the
// old target stays whole until the new one is complete, and no payload-sized buffer is needed.
// While another process holds the target open (or under an opportunistic lock) the rename is
// retried (kFileInUseAttempts, kFileInUseRetryDelayMs apart); no open waits for that process,
// and no rename or delete longer than kFileCallBoundMs (install_directory.h): a rename held up
// past that ends the write as in use, the new file left as a leftover.
//
// Runs of the package take turns at writing (writer_lock.h). Before writing, the writer removes
// the temporary files that earlier, interrupted runs left beside the target (plain files of its
// own name pattern only); a run killed at any moment leaves the target whole, and the next
// write cleans up after it.
//
// Returns true when the target holds the resource's bytes. On any failure (resource missing,
// folder not open or not writable, target a folder, read-only, hidden, system, held open or
// not to be deleted by its access rules, disk full) it shows "Can't install file " +
// folder.Path() + targetName through ShowErrorBox, leaves the target as it was, removes its
// temporary file and returns false. A rename reported as failed after which the new file is the
// target (a network volume can do that) counts as done. The new file is deleted after such a
// failure only where both where it lies and its identity say it is not the target, and never on
// a volume the system marks remote: otherwise it stays, as a leftover the next write removes,
// and where it cannot be told whether it is the target the failure is reported as Failed.
bool WriteDataFile(const std::string& resourceName, const std::string& resourceType,
                   const TInstallDirectory& folder, const std::string& targetName);

enum class TWriteResult {
    Written,
    Failed,    // a failure a later attempt would meet again (disk full, a read-only target, a
               // folder at the target's name, a target its access rules keep from deletion...)
    InUse,     // another process held the target open (or under an opportunistic lock) past
               // the wait, or another run kept writing past its minute: nothing changed, and a
               // later attempt may succeed
    Withheld,  // the caller said no
};

// WriteDataFile with a last word for the caller: `mayReplace` is asked once, after the new file
// is complete and before it replaces the target, or before the failure message when the write
// failed earlier. When it says no, the new file is removed, nothing is shown, the target is left
// as it was and the result is Withheld. A failure shows the writer's message and is InUse when
// only a holder of the target or of the writer lock stood in the way, otherwise Failed. The new
// file is removed on every road, also when `mayReplace` throws, but those after a rename
// reported as failed where it is kept (see WriteDataFile). This lets the
// caller finish a check of its own while the bytes are written, without anything visible changing
// before the check has passed.
TWriteResult WriteDataFileGated(const std::string& resourceName, const std::string& resourceType,
                                const TInstallDirectory& folder, const std::string& targetName,
                                const std::function<bool()>& mayReplace);

}  // namespace telvo
