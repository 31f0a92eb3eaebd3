#include "install/folder_size.h"

#include <windows.h>

namespace telvo {

namespace {

// A folder of the walk: the install folder's opening, borrowed, or a sub-folder's, owned.
class TOpenedFolder final : public TWalkFolder {
  public:
    explicit TOpenedFolder(const TInstallDirectory& borrowed) : Folder(borrowed) {}
    explicit TOpenedFolder(TInstallDirectory&& owned) : Owned(std::move(owned)), Folder(Owned) {}

    void List(const TEntrySink& sink) const override {
        Folder.VisitEntries({}, [&](const TInstallDirectory::TEntry& entry) {
            return sink(TFolderEntry{entry.Name, entry.Attributes, entry.SizeLow});
        });
    }

    std::unique_ptr<TWalkFolder> OpenFolder(std::wstring_view name) const override {
        TInstallDirectory sub = Folder.OpenFolder(std::wstring(name));
        if (!sub)
            return nullptr;
        return std::make_unique<TOpenedFolder>(std::move(sub));
    }

  private:
    TInstallDirectory Owned;
    const TInstallDirectory& Folder;
};

}  // namespace

int32_t GetFolderSize(const TInstallDirectory& folder) {
    // GetTickCount, not GetTickCount64 (Windows Vista on): the difference of two of its values
    // stays right across its wrap after 49.7 days.
    const DWORD start = GetTickCount();
    return GetFolderSize(
        folder, {kWalkEntryLimit, [start] { return GetTickCount() - start >= kWalkTimeLimitMs; }});
}

int32_t GetFolderSize(const TInstallDirectory& folder, const TWalkBound& bound) {
    if (!folder)
        return kNoFolderSize;
    const std::optional<uint32_t> total = WalkFolderTree(TOpenedFolder(folder), bound);
    return total ? SizeInKilobytes(*total) : kNoFolderSize;
}

}  // namespace telvo
