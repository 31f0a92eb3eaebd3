#include "install/writer_seams.h"

#include <utility>

#include "folder/install_directory.h"
#include "startup/safe_loading.h"

namespace telvo {
namespace {

TTagSource& TagSource() {
    static TTagSource source;
    return source;
}

TRenameInto& Rename() {
    static TRenameInto rename;
    return rename;
}

}  // namespace

bool DrawTemporaryTag(uint32_t& tag) {
    using TGenRandom = BOOLEAN(WINAPI*)(PVOID, ULONG);
    static const auto genRandom =
        reinterpret_cast<TGenRandom>(SystemEntry("advapi32.dll", "SystemFunction036"));
    return genRandom(&tag, sizeof tag) != FALSE;
}

bool NextTemporaryTag(uint32_t& tag) {
    return TagSource() ? TagSource()(tag) : DrawTemporaryTag(tag);
}

TTagSource ReplaceTemporaryTagSource(TTagSource source) {
    return std::exchange(TagSource(), std::move(source));
}

DWORD RenameInto(const TInstallDirectory& folder, HANDLE file, const std::wstring& name) {
    return Rename() ? Rename()(folder, file, name) : folder.MoveInto(file, name);
}

TRenameInto ReplaceRenameInto(TRenameInto rename) {
    return std::exchange(Rename(), std::move(rename));
}

}  // namespace telvo
