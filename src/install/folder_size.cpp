#include "install/folder_size.h"

#include <windows.h>

#include "install/folder_walk.h"
#include "startup/code_page.h"
#include "startup/win_handles.h"

namespace telvo {

namespace {

void ListFolder(const std::string& folder, const TEntrySink& sink) {
    WIN32_FIND_DATAA data;
    TFindHandle find(FindFirstFileA((folder + "*.*").c_str(), &data));
    if (!find)
        return;
    do {
        sink(TFolderEntry{data.cFileName, data.dwFileAttributes, data.nFileSizeLow});
    } while (FindNextFileA(find.get(), &data));
}

}  // namespace

int32_t GetFolderSize(const std::string& folder) {
    if (folder.empty())
        return kNoFolderSize;
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return kNoFolderSize;
    std::string root = folder;
    AddTrailingBackslash(root, AnsiLeadBytes());
    return SizeInKilobytes(WalkFolderTree(root, ListFolder));
}

}  // namespace telvo
