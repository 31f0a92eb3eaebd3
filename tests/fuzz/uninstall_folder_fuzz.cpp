// The install folder as the package reads it from an uninstall entry's "UninstallString" (the
// entry may sit in a registry hive the user can write), and the folder rule every folder text
// passes through. Each input is one value; one of 32 bytes or more also gives its first 32 bytes
// as a table of lead bytes for the rest.
#include <cstdint>
#include <string>

#include "discovery/path_rules.h"
#include "code_page_932.h"
#include "fuzz_check.h"

namespace telvo {
namespace {

constexpr std::string_view kWowNode = "WOW6432Node\\";
const TLeadBytes kSingleByte;

// The folder is a leading part of the named path (inside the quotes when the value begins with
// one), ends in a backslash and is shorter than that path: it never names the whole value.
void CheckFolder(std::string_view value, const TLeadBytes& lead) {
    const std::string folder = UninstallFolderPart(value, lead);
    if (folder.empty())
        return;
    std::string_view path = value;
    if (path.starts_with('"'))
        path = path.substr(1, path.find('"', 1) - 1);
    FUZZ_CHECK(path.starts_with(folder));
    FUZZ_CHECK(folder.size() < path.size());
    FUZZ_CHECK(LastBackslashBefore(folder, folder.size(), lead) == folder.size() - 1);
    FUZZ_CHECK(folder.find('"') == folder.npos || !value.starts_with('"'));
    std::string again = folder;
    AddTrailingBackslash(again, lead);
    FUZZ_CHECK(again == folder);
    // A file inside the folder gives the folder back.
    FUZZ_CHECK(UninstallFolderPart(folder + "unins000.exe", lead) == folder);
    FUZZ_CHECK(UninstallFolderPart("\"" + folder + "unins000.exe\" /S", lead) == folder ||
               folder.find('"') != folder.npos);
}

// The folder rule keeps the text, ends it in a backslash character (never a lead byte's second
// byte) and changes nothing when applied again.
void CheckTrailingBackslash(std::string_view text, const TLeadBytes& lead) {
    if (text.empty())
        return;
    std::string folder(text);
    AddTrailingBackslash(folder, lead);
    FUZZ_CHECK(folder.starts_with(text) && folder.size() <= text.size() + 2);
    FUZZ_CHECK(test::EndsInBackslashCharacter(folder, lead));
    FUZZ_CHECK(folder == text || !test::EndsInBackslashCharacter(text, lead));
    std::string again = folder;
    AddTrailingBackslash(again, lead);
    FUZZ_CHECK(again == folder);
}

// The 32-bit view's twin holds the key path with one node put in after its first backslash.
void CheckWowPath(std::string_view keyPath) {
    const std::string twin = Wow6432KeyPath(keyPath);
    FUZZ_CHECK(twin.size() == keyPath.size() + kWowNode.size());
    const size_t split = keyPath.find('\\');
    const size_t at = split == keyPath.npos ? 0 : split + 1;
    FUZZ_CHECK(std::string_view(twin).substr(at, kWowNode.size()) == kWowNode);
    FUZZ_CHECK(twin.substr(0, at) + twin.substr(at + kWowNode.size()) == keyPath);
}

}  // namespace
}  // namespace telvo

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view value = telvo::fuzz::AsText(data, size);
    static const telvo::TLeadBytes codePage932 = telvo::test::CodePage932();
    telvo::CheckFolder(value, telvo::kSingleByte);
    telvo::CheckFolder(value, codePage932);
    telvo::CheckWowPath(value);
    telvo::CheckTrailingBackslash(value, telvo::kSingleByte);
    telvo::CheckTrailingBackslash(value, codePage932);
    if (size >= 32) {
        telvo::TLeadBytes lead;
        for (size_t bit = 0; bit < 256; ++bit) lead[bit] = (data[bit / 8] >> (bit % 8)) & 1;
        telvo::CheckTrailingBackslash(value.substr(32), lead);
    }
    return 0;
}
