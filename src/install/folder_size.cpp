#include "install/folder_size.h"

#include "install/folder_walk.h"

namespace telvo {

namespace {

// A folder of the walk: the install folder's opening, borrowed, or a sub-folder's, owned.
class TOpenedFolder final : public TWalkFolder {
  public:
    explicit TOpenedFolder(const TInstallDirectory& borrowed) : Folder(borrowed) {}
    explicit TOpenedFolder(TInstallDirectory&& owned) : Owned(std::move(owned)), Folder(Owned) {}

    void List(const TEntrySink& sink) const override {
        for (const TInstallDirectory::TEntry& entry : Folder.Entries())
            sink(TFolderEntry{entry.Name, entry.Attributes, entry.SizeLow});
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
    if (!folder)
        return kNoFolderSize;
    return SizeInKilobytes(WalkFolderTree(TOpenedFolder(folder)));
}

}  // namespace telvo
