// What the run decides about the install folder and its entries without touching Windows: which
// paths may name the folder at all, whether an entry lies where its folder says it should, and
// whether two files are one. The folder is opened once per run and everything is acted on
// through that handle (install_directory.h); these are its rules.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace telvo {

// Whether an open file is the entry of a name: Unknown where nothing tells.
enum class TSameFile { Yes, No, Unknown };

// What identifies a file on its volume: the volume's serial number and the file's id, 128 bits
// where the system gives them (Windows 8 on), else the 64-bit file index in the low half, which
// is not unique on every file system. Two identities compare only when both are of one width.
struct TFileIdentity {
    uint64_t Volume = 0;
    std::array<uint8_t, 16> Id{};
    bool Wide = false;
};

// Whether two files are one by their identities; nullopt stands for an identity the system did
// not give, and an id of all zeros (which a server may give for every file) is none either.
TSameFile SameByIdentity(const std::optional<TFileIdentity>& own,
                         const std::optional<TFileIdentity>& found);

// Whether a file is the entry of a name, from two answers: where the system says the file lies,
// and its identity against the entry's. Yes where one says so and neither says no; No only where
// both say no; Unknown otherwise. A redirector may answer the first from the name the file was
// opened with, so neither answer alone may have the file deleted.
TSameFile SameFileOfAnswers(TSameFile byPath, TSameFile byIdentity);

// True when `folder` can only name a folder of a file system: a drive-letter path, a UNC
// share, their "\\?\" forms ("\\?\C:\", "\\?\UNC\") or a relative path. The device and
// object namespaces ("\\.\", "\??\", "\\?\GLOBALROOT\", any other "\\?\" form) are
// refused: through them a name reaches devices and object-manager links, and the writer works
// only in a folder of a file system.
bool IsFileSystemFolderPath(std::string_view folder);

// True when `entryPath`, the final path of an opened entry as the system gives it, is
// `folderPath` (the final path of the folder it was opened in) + "\" + `name`: the entry is
// the folder's own and was not reached through a link. ASCII letters compare without regard to
// case.
bool IsPathOfEntry(std::wstring_view folderPath, std::wstring_view entryPath,
                   std::wstring_view name);

}  // namespace telvo
