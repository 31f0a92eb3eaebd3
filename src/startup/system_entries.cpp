// The package's table of system functions outside KERNEL32 and msvcrt (see safe_loading.h).
// Linked into the package only: each slot below takes the place of the import table's entry
// of the same name, so the import libraries are never asked for these functions and the DLLs
// are not bound at load time. A slot starts at a resolver that loads the DLL from the system
// folder, stores the real entry in the slot and forwards the call; later calls go straight.
//
// A function called by the package but missing here is imported the ordinary way, and the
// package's shape check (scripts/check-package) refuses the build. The number after "@" is the
// size of the arguments in bytes; a wrong one leaves the slot unused and is caught the same way.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <wtsapi32.h>

#include "startup/safe_loading.h"

namespace telvo {
namespace {

template <typename TEntry>
struct TSlot;

template <typename TResult, typename... TArgs>
struct TSlot<TResult(WINAPI*)(TArgs...)> {
    using TEntry = TResult(WINAPI*)(TArgs...);

    template <TEntry* Slot, const char* Dll, const char* Name>
    static TResult WINAPI Resolve(TArgs... args) {
        *Slot = reinterpret_cast<TEntry>(SystemEntry(Dll, Name));
        return (*Slot)(args...);
    }
};

constexpr char kUser32[] = "user32.dll";
constexpr char kAdvapi32[] = "advapi32.dll";
constexpr char kOle32[] = "ole32.dll";
constexpr char kOleAut32[] = "oleaut32.dll";
constexpr char kWtsApi32[] = "wtsapi32.dll";

}  // namespace
}  // namespace telvo

#define TELVO_SYSTEM_ENTRY(dll, name, argumentBytes)                                        \
    namespace telvo::entries {                                                              \
    constexpr char name##Name[] = #name;                                                    \
    }                                                                                       \
    extern "C" decltype(&::name) telvo_slot_##name asm("__imp__" #name "@" #argumentBytes); \
    decltype(&::name) telvo_slot_##name =                                                   \
        &telvo::TSlot<decltype(&::name)>::Resolve<&telvo_slot_##name, telvo::dll,           \
                                                  telvo::entries::name##Name>;

TELVO_SYSTEM_ENTRY(kUser32, FindWindowA, 8)
TELVO_SYSTEM_ENTRY(kUser32, GetProcessWindowStation, 0)
TELVO_SYSTEM_ENTRY(kUser32, GetUserObjectInformationA, 20)
TELVO_SYSTEM_ENTRY(kUser32, MessageBoxA, 16)
TELVO_SYSTEM_ENTRY(kUser32, MessageBoxExA, 20)
TELVO_SYSTEM_ENTRY(kUser32, MessageBoxExW, 20)
TELVO_SYSTEM_ENTRY(kUser32, PostMessageA, 16)
TELVO_SYSTEM_ENTRY(kAdvapi32, AddAccessAllowedAce, 16)
TELVO_SYSTEM_ENTRY(kAdvapi32, AllocateAndInitializeSid, 44)
TELVO_SYSTEM_ENTRY(kAdvapi32, CheckTokenMembership, 12)
TELVO_SYSTEM_ENTRY(kAdvapi32, CreateProcessAsUserA, 44)
TELVO_SYSTEM_ENTRY(kAdvapi32, CreateRestrictedToken, 36)
TELVO_SYSTEM_ENTRY(kAdvapi32, FreeSid, 4)
TELVO_SYSTEM_ENTRY(kAdvapi32, GetLengthSid, 4)
TELVO_SYSTEM_ENTRY(kAdvapi32, GetTokenInformation, 20)
TELVO_SYSTEM_ENTRY(kAdvapi32, InitializeAcl, 12)
TELVO_SYSTEM_ENTRY(kAdvapi32, InitializeSecurityDescriptor, 8)
TELVO_SYSTEM_ENTRY(kAdvapi32, LookupAccountNameA, 28)
TELVO_SYSTEM_ENTRY(kAdvapi32, OpenProcessToken, 12)
TELVO_SYSTEM_ENTRY(kAdvapi32, RegCloseKey, 4)
TELVO_SYSTEM_ENTRY(kAdvapi32, RegCreateKeyExA, 36)
TELVO_SYSTEM_ENTRY(kAdvapi32, RegOpenKeyExA, 20)
TELVO_SYSTEM_ENTRY(kAdvapi32, RegQueryValueExA, 24)
TELVO_SYSTEM_ENTRY(kAdvapi32, RegSetValueExA, 24)
TELVO_SYSTEM_ENTRY(kAdvapi32, SetSecurityDescriptorDacl, 16)
TELVO_SYSTEM_ENTRY(kAdvapi32, SetSecurityDescriptorGroup, 12)
TELVO_SYSTEM_ENTRY(kAdvapi32, SetSecurityDescriptorOwner, 12)
TELVO_SYSTEM_ENTRY(kAdvapi32, SetTokenInformation, 16)
TELVO_SYSTEM_ENTRY(kOle32, CoInitializeEx, 8)
TELVO_SYSTEM_ENTRY(kOle32, CoUninitialize, 0)
TELVO_SYSTEM_ENTRY(kOle32, CoCreateInstance, 20)
TELVO_SYSTEM_ENTRY(kOle32, CoInitializeSecurity, 36)
TELVO_SYSTEM_ENTRY(kOleAut32, SysAllocString, 4)
TELVO_SYSTEM_ENTRY(kOleAut32, SysFreeString, 4)
TELVO_SYSTEM_ENTRY(kWtsApi32, WTSFreeMemory, 4)
TELVO_SYSTEM_ENTRY(kWtsApi32, WTSQuerySessionInformationA, 20)
