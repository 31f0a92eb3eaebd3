#include "startup/well_known_sids.h"

namespace telvo {

TSid AdministratorsSid() {
    SID_IDENTIFIER_AUTHORITY authority = SECURITY_NT_AUTHORITY;
    TSid sid;
    AllocateAndInitializeSid(&authority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0,
                             0, 0, 0, 0, 0, sid.put());
    return sid;
}

TSid LocalSystemSid() {
    SID_IDENTIFIER_AUTHORITY authority = SECURITY_NT_AUTHORITY;
    TSid sid;
    AllocateAndInitializeSid(&authority, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0,
                             sid.put());
    return sid;
}

std::vector<ULONGLONG> AllowingAcl(DWORD rights, std::initializer_list<PSID> sids) {
    DWORD size = sizeof(ACL);
    for (PSID sid : sids) size += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(sid);
    std::vector<ULONGLONG> storage(size / sizeof(ULONGLONG) + 1);
    auto* acl = reinterpret_cast<PACL>(storage.data());
    if (!InitializeAcl(acl, size, ACL_REVISION))
        return {};
    for (PSID sid : sids)
        if (!AddAccessAllowedAce(acl, ACL_REVISION, rights, sid))
            return {};
    return storage;
}

}  // namespace telvo
