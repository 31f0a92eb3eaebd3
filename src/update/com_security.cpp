#include "update/com_security.h"

#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <utility>
#include <vector>

#include "startup/well_known_sids.h"

namespace telvo {
namespace {

// Who may call into the package's COM objects (it hands out none): SYSTEM and the elevated
// administrators, never a process of the desktop user's plain token.
class TComAccess {
  public:
    TComAccess() {
        if (!Administrators || !System)
            return;
        Acl = AllowingAcl(COM_RIGHTS_EXECUTE | COM_RIGHTS_EXECUTE_LOCAL,
                          {Administrators.get(), System.get()});
        Made = !Acl.empty() && InitializeSecurityDescriptor(&Value, SECURITY_DESCRIPTOR_REVISION) &&
               SetSecurityDescriptorOwner(&Value, Administrators.get(), FALSE) &&
               SetSecurityDescriptorGroup(&Value, Administrators.get(), FALSE) &&
               SetSecurityDescriptorDacl(&Value, TRUE, reinterpret_cast<PACL>(Acl.data()), FALSE);
    }
    // The descriptor, or nullptr where it could not be made.
    SECURITY_DESCRIPTOR* Descriptor() { return Made ? &Value : nullptr; }

  private:
    TSid Administrators = AdministratorsSid();
    TSid System = LocalSystemSid();
    std::vector<ULONGLONG> Acl;
    SECURITY_DESCRIPTOR Value{};
    bool Made = false;
};

std::atomic<TComSecurity> Record{TComSecurity::NotAsked};

bool MakeComSecurity() {
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)))
        return false;
    // COM may read the descriptor whenever a call comes in, so it is never destroyed: not even
    // when the process ends while a call into the shell is still stuck (application_control.h).
    static TComAccess& access = *new TComAccess;
    return access.Descriptor() &&
           SUCCEEDED(CoInitializeSecurity(access.Descriptor(), -1, nullptr, nullptr,
                                          RPC_C_AUTHN_LEVEL_DEFAULT, RPC_C_IMP_LEVEL_IDENTIFY,
                                          nullptr, EOAC_NO_CUSTOM_MARSHAL, nullptr));
}

}  // namespace

TComSecurity SetProcessComSecurity() {
    static const bool set = MakeComSecurity();
    Record = set ? TComSecurity::Set : TComSecurity::Refused;
    return Record;
}

TComSecurity ProcessComSecurity() {
    return Record;
}

TComSecurity ReplaceProcessComSecurity(TComSecurity record) {
    return Record.exchange(record);
}

}  // namespace telvo
