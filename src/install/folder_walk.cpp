#include "install/folder_walk.h"

#include <cstring>
#include <vector>

namespace telvo {

uint32_t WalkFolderTree(const std::string& folder, const TFolderLister& list) {
    uint32_t total = 0;
    std::vector<std::string> found;
    std::string current = folder;
    for (size_t next = 0;; ++next) {
        list(current, [&](const TFolderEntry& entry) {
            if (!(entry.Attributes & kAttributeDirectory)) {
                total = AddFileSize(total, entry.SizeLow);
            } else if (std::strcmp(entry.Name, ".") != 0 && std::strcmp(entry.Name, "..") != 0 &&
                       !(entry.Attributes & kAttributeReparsePoint)) {
                found.push_back(current + entry.Name + '\\');
            }
        });
        if (next == found.size())
            break;
        current = std::move(found[next]);
    }
    return total;
}

}  // namespace telvo
