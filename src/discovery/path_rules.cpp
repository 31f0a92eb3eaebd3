#include "discovery/path_rules.h"

namespace telvo {

void AddTrailingBackslash(std::string& folder) {
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
}

std::string UninstallFolderPart(std::string_view uninstallString) {
    std::string_view path = uninstallString;
    if (path.starts_with('"')) {
        path.remove_prefix(1);
        path = path.substr(0, path.find('"'));
    }
    if (path.size() < 2)
        return {};
    const size_t cut = path.find_last_of('\\', path.size() - 2);
    if (cut == std::string_view::npos)
        return {};
    return std::string(path.substr(0, cut + 1));
}

std::string Wow6432KeyPath(std::string_view keyPath) {
    const size_t split = keyPath.find('\\');
    const size_t head = split == std::string_view::npos ? 0 : split + 1;
    return std::string(keyPath.substr(0, head)) + "WOW6432Node\\" +
           std::string(keyPath.substr(head));
}

}  // namespace telvo
