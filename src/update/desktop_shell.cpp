#include "update/desktop_shell.h"

#include <windows.h>
#include <exdisp.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shobjidl.h>

#include <vector>

#include "startup/well_known_sids.h"
#include "startup/win_handles.h"

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

// The process's COM security, set by its first COM user, once, before any interface crosses
// into or out of it. The elevated package unmarshals whatever Explorer, a process of the less
// trusted desktop user, hands back: no custom marshalling (whose unmarshaller would run inside
// the package), and the processes it calls may only identify it, never act as it. False where
// it could not be set (COM sets a default of its own once anything was marshalled): then the
// package does not talk to the shell at all.
bool ComSecuritySet() {
    // COM may read the descriptor whenever a call comes in, so it is never destroyed: not even
    // when the process ends while a call into the shell is still stuck (application_control.h).
    static TComAccess& access = *new TComAccess;
    static const bool set =
        access.Descriptor() &&
        SUCCEEDED(CoInitializeSecurity(access.Descriptor(), -1, nullptr, nullptr,
                                       RPC_C_AUTHN_LEVEL_DEFAULT, RPC_C_IMP_LEVEL_IDENTIFY, nullptr,
                                       EOAC_NO_CUSTOM_MARSHAL, nullptr));
    return set;
}

// COM for the calling thread for the life of the scope, with the process's COM security; only
// a successful initialisation is undone.
class TComScope {
  public:
    TComScope() : Result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~TComScope() {
        if (SUCCEEDED(Result))
            CoUninitialize();
    }
    TComScope(const TComScope&) = delete;
    TComScope& operator=(const TComScope&) = delete;
    bool Ready() const { return SUCCEEDED(Result) && ComSecuritySet(); }

  private:
    HRESULT Result;
};

// A VARIANT holding a string (BSTR) or nothing; cleared once.
class TVariant {
  public:
    TVariant() { Value.vt = VT_EMPTY; }
    explicit TVariant(const std::wstring& text) {
        Value.vt = VT_BSTR;
        Value.bstrVal = SysAllocString(text.c_str());
    }
    ~TVariant() {
        if (Value.vt == VT_BSTR)
            SysFreeString(Value.bstrVal);
    }
    TVariant(const TVariant&) = delete;
    TVariant& operator=(const TVariant&) = delete;
    bool Holds() const { return Value.vt != VT_BSTR || Value.bstrVal != nullptr; }
    VARIANT& get() { return Value; }

  private:
    VARIANT Value{};
};

// Paths reach the shell's automation interfaces as UTF-16, converted from the ANSI code page
// the rest of the package uses.
std::wstring Widen(const std::string& text) {
    if (text.empty())
        return std::wstring();
    const int length =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

// The desktop's folder view, through the shell windows' desktop browser.
bool FindDesktopFolderView(TComPtr<IShellFolderViewDual>& folderView) {
    TComPtr<IShellWindows> windows;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                windows.put())))
        return false;
    TVariant location;
    TVariant root;
    long window = 0;
    TComPtr<IDispatch> desktop;
    // S_FALSE means no desktop window: only S_OK with a dispatch goes on.
    if (windows->FindWindowSW(&location.get(), &root.get(), SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                              reinterpret_cast<IDispatch**>(desktop.put())) != S_OK ||
        !desktop)
        return false;
    TComPtr<IServiceProvider> services;
    TComPtr<IShellBrowser> browser;
    TComPtr<IShellView> view;
    TComPtr<IDispatch> background;
    return SUCCEEDED(desktop->QueryInterface(IID_IServiceProvider, services.put())) &&
           SUCCEEDED(
               services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.put())) &&
           SUCCEEDED(browser->QueryActiveShellView(reinterpret_cast<IShellView**>(view.put()))) &&
           view &&
           SUCCEEDED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.put())) &&
           SUCCEEDED(background->QueryInterface(IID_IShellFolderViewDual, folderView.put()));
}

}  // namespace

bool DesktopShellAnswers() {
    TComScope com;
    TComPtr<IShellFolderViewDual> folderView;
    return com.Ready() && FindDesktopFolderView(folderView);
}

bool ShellExecuteAsDesktopUser(const std::string& file, const std::string& folder) {
    TComScope com;
    if (!com.Ready())
        return false;
    TComPtr<IShellFolderViewDual> folderView;
    if (!FindDesktopFolderView(folderView))
        return false;
    TComPtr<IDispatch> application;
    TComPtr<IShellDispatch2> shell;
    if (FAILED(folderView->get_Application(reinterpret_cast<IDispatch**>(application.put()))) ||
        !application || FAILED(application->QueryInterface(IID_IShellDispatch2, shell.put())))
        return false;
    TVariant path(Widen(file));
    TVariant arguments;
    TVariant directory(Widen(folder));
    TVariant operation(L"open");
    TVariant show;
    show.get().vt = VT_I4;
    show.get().lVal = SW_SHOWNORMAL;
    return path.Holds() && directory.Holds() && operation.Holds() &&
           SUCCEEDED(shell->ShellExecute(path.get().bstrVal, arguments.get(), directory.get(),
                                         operation.get(), show.get()));
}

}  // namespace telvo
