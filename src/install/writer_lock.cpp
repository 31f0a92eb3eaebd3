#include "install/writer_lock.h"

#include <windows.h>

#include "startup/safe_loading.h"
#include "startup/well_known_sids.h"

namespace telvo {
namespace {

constexpr char kNamespaceAlias[] = "TelvoUpdate";
constexpr char kLockInNamespace[] = "TelvoUpdate\\DataFileWriter";
constexpr char kGlobalLock[] = "Global\\TelvoUpdate.DataFileWriter";

// The private-namespace calls came with Windows Vista and are missing from Wine 8, where a
// program bound to them at load time does not even start.
struct TNamespaceCalls {
    decltype(&CreateBoundaryDescriptorA) CreateBoundary;
    decltype(&AddSIDToBoundaryDescriptor) AddSid;
    decltype(&DeleteBoundaryDescriptor) DeleteBoundary;
    decltype(&CreatePrivateNamespaceA) CreateNamespace;
    decltype(&OpenPrivateNamespaceA) OpenNamespace;
    decltype(&ClosePrivateNamespace) CloseNamespace;
    // Windows 8 on; null before.
    decltype(&AddIntegrityLabelToBoundaryDescriptor) AddLabel;
};

bool Complete(const TNamespaceCalls& calls) {
    return calls.CreateBoundary && calls.AddSid && calls.DeleteBoundary && calls.CreateNamespace &&
           calls.OpenNamespace && calls.CloseNamespace;
}

template <typename TEntry>
void Find(TEntry& entry, const char* name) {
    entry = reinterpret_cast<TEntry>(OptionalSystemEntry("kernel32.dll", name));
}

const TNamespaceCalls& NamespaceCalls() {
    static const TNamespaceCalls calls = [] {
        TNamespaceCalls found{};
        Find(found.CreateBoundary, "CreateBoundaryDescriptorA");
        Find(found.AddSid, "AddSIDToBoundaryDescriptor");
        Find(found.DeleteBoundary, "DeleteBoundaryDescriptor");
        Find(found.CreateNamespace, "CreatePrivateNamespaceA");
        Find(found.OpenNamespace, "OpenPrivateNamespaceA");
        Find(found.CloseNamespace, "ClosePrivateNamespace");
        Find(found.AddLabel, "AddIntegrityLabelToBoundaryDescriptor");
        return found;
    }();
    return calls;
}

// The High mandatory label: only an elevated process runs at High integrity or above.
TSid HighIntegrityLabel() {
    SID_IDENTIFIER_AUTHORITY authority = SECURITY_MANDATORY_LABEL_AUTHORITY;
    TSid label;
    if (!AllocateAndInitializeSid(&authority, 1, SECURITY_MANDATORY_HIGH_RID, 0, 0, 0, 0, 0, 0, 0,
                                  label.put()))
        return {};
    return label;
}

// The Administrators SID, and where the system offers it the High label: a desktop user's
// filtered token, whose Administrators group is for deny only, runs at Medium integrity and
// cannot create a namespace of that boundary first, whatever Windows makes of that group.
bool Bound(const TNamespaceCalls& calls, void*& boundary) {
    const TSid administrators = AdministratorsSid();
    if (!administrators || !calls.AddSid(&boundary, administrators.get()))
        return false;
    if (!calls.AddLabel)
        return true;
    const TSid high = HighIntegrityLabel();
    return high && calls.AddLabel(&boundary, high.get());
}

}  // namespace

TWriterLock::TWriterLock() {
    const TNamespaceCalls& calls = NamespaceCalls();
    const char* lockName = kGlobalLock;
    if (Complete(calls)) {
        Boundary = calls.CreateBoundary(kNamespaceAlias, 0);
        if (!Boundary || !Bound(calls, Boundary))
            return;
        // Another run may create the namespace between a refused creation and the opening, or
        // close the last handle of it in between: a few rounds settle either.
        for (int round = 0; round < 4 && !Namespace; ++round) {
            Namespace = calls.CreateNamespace(nullptr, Boundary, kNamespaceAlias);
            if (!Namespace && GetLastError() == ERROR_ALREADY_EXISTS)
                Namespace = calls.OpenNamespace(Boundary, kNamespaceAlias);
        }
        if (!Namespace)
            return;
        lockName = kLockInNamespace;
    }
    Mutex.reset(CreateMutexA(nullptr, FALSE, lockName));
    if (!Mutex)
        return;
    const DWORD wait = WaitForSingleObject(Mutex.get(), kWriterLockWaitMs);
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED)
        Outcome = TOutcome::Held;
    else if (wait == WAIT_TIMEOUT)
        Outcome = TOutcome::TimedOut;
}

TWriterLock::~TWriterLock() {
    if (Outcome == TOutcome::Held)
        ReleaseMutex(Mutex.get());
    Mutex.reset();
    const TNamespaceCalls& calls = NamespaceCalls();
    if (Namespace)
        calls.CloseNamespace(Namespace, 0);
    if (Boundary)
        calls.DeleteBoundary(Boundary);
}

}  // namespace telvo
