#include "discovery/path_rules.h"

namespace telvo {
namespace {

size_t LastCharacterStart(std::string_view text, const TLeadBytes& leadBytes) {
    size_t last = 0;
    for (size_t at = 0; at < text.size();) {
        last = at;
        at += leadBytes[static_cast<unsigned char>(text[at])] && at + 1 < text.size() ? 2 : 1;
    }
    return last;
}

}  // namespace

size_t LastBackslashBefore(std::string_view text, size_t end, const TLeadBytes& leadBytes) {
    size_t found = std::string_view::npos;
    // A lead byte with nothing after it is a character of its own.
    for (size_t at = 0; at < text.size() && at < end;) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (leadBytes[byte] && at + 1 < text.size()) {
            at += 2;
            continue;
        }
        if (byte == '\\')
            found = at;
        ++at;
    }
    return found;
}

void AddTrailingBackslash(std::string& folder, const TLeadBytes& leadBytes) {
    const auto endsInBackslash = [&] {
        return LastBackslashBefore(folder, folder.size(), leadBytes) == folder.size() - 1;
    };
    if (folder.empty() || endsInBackslash())
        return;
    folder += '\\';
    // A lead byte that ended the text takes that backslash as its second byte, as Windows reads
    // the text: a second one ends the folder.
    if (!endsInBackslash())
        folder += '\\';
}

std::string UninstallFolderPart(std::string_view uninstallString, const TLeadBytes& leadBytes) {
    std::string_view path = uninstallString;
    if (path.starts_with('"')) {
        path.remove_prefix(1);
        path = path.substr(0, path.find('"'));
    }
    if (path.size() < 2)
        return {};
    // The last character is never the cut: a text that ends in a backslash gives the folder
    // above it.
    const size_t cut = LastBackslashBefore(path, LastCharacterStart(path, leadBytes), leadBytes);
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
