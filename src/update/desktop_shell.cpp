#include "update/desktop_shell.h"

#include <windows.h>
#include <exdisp.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shobjidl.h>

#include "startup/win_handles.h"
#include "update/com_security.h"

namespace telvo {
namespace {

// COM for the calling thread for the life of the scope: a single-threaded apartment of its own,
// or the apartment it is already in (a caller that set the process's COM security on this
// thread is in the multithreaded one); only a successful initialisation is undone. Ready only where
// the run set the process's COM security first (com_security.h): the start's thread never sets it
// itself, since by then COM may have set defaults of its own.
class TComScope {
  public:
    TComScope() : Result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~TComScope() {
        if (SUCCEEDED(Result))
            CoUninitialize();
    }
    TComScope(const TComScope&) = delete;
    TComScope& operator=(const TComScope&) = delete;
    bool Ready() const {
        return (SUCCEEDED(Result) || Result == RPC_E_CHANGED_MODE) &&
               ProcessComSecurity() == TComSecurity::Set;
    }

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
