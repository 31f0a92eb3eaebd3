#include "install/folder_walk.h"

#include <vector>

namespace telvo {

std::optional<uint32_t> WalkFolderTree(const TWalkFolder& top, const TWalkBound& bound) {
    uint32_t total = 0;
    uint32_t entries = 0;
    bool bounded = false;
    // Sub-folders are opened as they are found, each through its parent, and kept open only
    // until they have been listed.
    std::vector<std::unique_ptr<TWalkFolder>> found;
    const TWalkFolder* current = &top;
    for (size_t next = 0;; ++next) {
        current->List([&](const TFolderEntry& entry) {
            if (entry.Name == L"." || entry.Name == L"..")
                return true;
            if (entries == bound.MaxEntries || (bound.Expired && bound.Expired())) {
                bounded = true;
                return false;
            }
            ++entries;
            if (!(entry.Attributes & kAttributeDirectory)) {
                total = AddFileSize(total, entry.SizeLow);
            } else if (!(entry.Attributes & kAttributeReparsePoint)) {
                if (std::unique_ptr<TWalkFolder> folder = current->OpenFolder(entry.Name))
                    found.push_back(std::move(folder));
            }
            return true;
        });
        if (bounded)
            return std::nullopt;
        if (next > 0)
            found[next - 1].reset();
        if (next == found.size())
            break;
        current = found[next].get();
    }
    return total;
}

}  // namespace telvo
