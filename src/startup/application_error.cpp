#include "startup/application_error.h"

#include <windows.h>
#include <cxxabi.h>

#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <typeinfo>

#include "startup/application_error_text.h"
#include "startup/message_box.h"
#include "startup/registry_error.h"

namespace telvo {
namespace {

std::string ModuleNameOf(const void* address) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            static_cast<LPCSTR>(address), &module))
        module = nullptr;
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    return FileNamePart(std::string(path, length < MAX_PATH ? length : MAX_PATH));
}

// The class name as the program spells it, without the namespace.
std::string ClassNameOf(const std::type_info& type) {
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> demangled(
        abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), &std::free);
    std::string name = status == 0 && demangled ? demangled.get() : type.name();
    const std::string ours = "telvo::";
    if (name.compare(0, ours.size(), ours) == 0)
        name.erase(0, ours.size());
    return name;
}

[[noreturn]] void EndWithApplicationError(const std::string& className, const void* address,
                                          const std::string& message) {
    TBoxRequest box;
    box.Text = FormatApplicationError(className, ModuleNameOf(address),
                                      reinterpret_cast<uintptr_t>(address), message);
    box.Caption = "Application Error";
    box.Style = kFatalErrorBoxStyle;
    ShowBox(box);
    ExitProcess(kExitUncaughtError);
}

// Reports the exception in flight; called only inside a catch block or the terminate handler.
[[noreturn]] void EndWithCurrentException(const void* fallbackAddress) {
    try {
        throw;
    } catch (const ERegistryException& e) {
        EndWithApplicationError(ClassNameOf(typeid(e)), e.Address(), e.what());
    } catch (const std::exception& e) {
        EndWithApplicationError(ClassNameOf(typeid(e)), fallbackAddress, e.what());
    } catch (...) {
        EndWithApplicationError("Exception", fallbackAddress, "Unknown exception");
    }
}

LONG WINAPI OnHardwareException(EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
    const void* address = record.ExceptionAddress;
    const uintptr_t kind = record.NumberParameters >= 1 ? record.ExceptionInformation[0] : 0;
    const uintptr_t target = record.NumberParameters >= 2 ? record.ExceptionInformation[1] : 0;
    const THardwareErrorText text =
        DescribeHardwareException(record.ExceptionCode, reinterpret_cast<uintptr_t>(address),
                                  ModuleNameOf(address), kind, target);
    EndWithApplicationError(text.ClassName, address, text.Message);
}

void OnTerminate() {
    if (std::current_exception())
        EndWithCurrentException(__builtin_return_address(0));
    EndWithApplicationError("Exception", __builtin_return_address(0), "Abnormal termination");
}

}  // namespace

int RunGuarded(const std::function<int()>& body) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(OnHardwareException);
    std::set_terminate(OnTerminate);
    try {
        return body();
    } catch (...) {
        EndWithCurrentException(__builtin_return_address(0));
    }
}

}  // namespace telvo
