#include "install/writer_seams.h"

#include <utility>

#include "install/install_directory.h"
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

TFileCallStall& Stall() {
    static TFileCallStall stall;
    return stall;
}

bool& FinalPathsHiddenFlag() {
    static bool hidden = false;
    return hidden;
}

bool& FileIdsHiddenFlag() {
    static bool hidden = false;
    return hidden;
}

bool& VolumesRemoteFlag() {
    static bool remote = false;
    return remote;
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

TFileCallStall FileCallStall() {
    return Stall();
}

TFileCallStall ReplaceFileCallStall(TFileCallStall stall) {
    return std::exchange(Stall(), std::move(stall));
}

bool FinalPathsHidden() {
    return FinalPathsHiddenFlag();
}

bool HideFinalPaths(bool hide) {
    return std::exchange(FinalPathsHiddenFlag(), hide);
}

bool FileIdsHidden() {
    return FileIdsHiddenFlag();
}

bool HideFileIds(bool hide) {
    return std::exchange(FileIdsHiddenFlag(), hide);
}

bool VolumesShownRemote() {
    return VolumesRemoteFlag();
}

bool ShowVolumesRemote(bool remote) {
    return std::exchange(VolumesRemoteFlag(), remote);
}

}  // namespace telvo
