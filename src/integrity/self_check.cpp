#include "integrity/self_check.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "folder/file_in_use.h"
#include "integrity/seal.h"
#include "startup/nt_files.h"
#include "startup/win_handles.h"

namespace telvo {
namespace {

constexpr DWORD kChunkSize = 1 << 20;

bool ReadFully(HANDLE file, uint8_t* buffer, DWORD size, DWORD& got) {
    got = 0;
    while (got < size) {
        DWORD step = 0;
        if (!ReadFile(file, buffer + got, size - got, &step, nullptr))
            return false;
        if (step == 0)
            break;
        got += step;
    }
    return true;
}

constexpr DWORD kShareWhileChecking = FILE_SHARE_READ | FILE_SHARE_DELETE;

TSelfCheck CheckOpenFile(const TFileHandle& file) {
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size))
        return TSelfCheck::Unreadable;
    const uint64_t fileSize = static_cast<uint64_t>(size.QuadPart);

    std::vector<uint8_t> buffer(kChunkSize);
    DWORD got = 0;
    if (!ReadFully(file.get(), buffer.data(), kChunkSize, got))
        return TSelfCheck::Unreadable;
    const auto layout = FindSealLayout(buffer.data(), got, fileSize);
    if (!layout)
        return TSelfCheck::NoSeal;

    TSealSlot slot{};
    TSealDigest digest(*layout);
    uint64_t position = 0;
    while (got > 0) {
        // The slot may straddle two chunks; copy what of it this chunk holds.
        const uint64_t slotEnd = layout->SlotOffset + sizeof slot;
        if (layout->SlotOffset < position + got && slotEnd > position) {
            const uint64_t from = std::max(layout->SlotOffset, position);
            const uint64_t to = std::min<uint64_t>(slotEnd, position + got);
            std::memcpy(reinterpret_cast<uint8_t*>(&slot) + (from - layout->SlotOffset),
                        buffer.data() + (from - position), static_cast<size_t>(to - from));
        }
        digest.Feed(buffer.data(), got);
        position += got;
        if (!ReadFully(file.get(), buffer.data(), kChunkSize, got))
            return TSelfCheck::Unreadable;
    }
    if (position != fileSize)
        return TSelfCheck::Unreadable;
    switch (JudgeSeal(slot, digest.Finish())) {
        case TSealState::Valid:
            return TSelfCheck::Valid;
        case TSealState::Missing:
            return TSelfCheck::NoSeal;
        default:
            return TSelfCheck::Broken;
    }
}

}  // namespace

TSelfCheck CheckFileSeal(const std::string& path) {
    return CheckOpenFile(
        TFileHandle(CreateFileA(path.c_str(), GENERIC_READ, kShareWhileChecking, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr)));
}

TSelfCheck CheckOwnSeal() {
    // By its wide path: the package may have been started from a folder whose name the ANSI
    // code page cannot spell, and then its ANSI name opens nothing. Up to the longest path.
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    std::wstring ntPath;
    if (length == 0 || length >= path.size() || !NtPathOf(path.substr(0, length), ntPath))
        return TSelfCheck::Unreadable;
    // Opened as the install folder is, never waiting for another process: whoever may read the
    // package's file (in a shared downloads folder, on a share) can hold it under an
    // opportunistic lock whose break it never acknowledges, and an open that waited for that
    // would hold the run for good, the writer lock with it. Such a holder, and one that opened
    // the file without sharing it for reading, is waited for as the writer waits for a held
    // data file; held past that, the file is one that cannot be read.
    TFileHandle file;
    RetryWhileInUse(
        [&] {
            const DWORD error =
                OpenWithoutWaiting(nullptr, ntPath, GENERIC_READ, kShareWhileChecking, FILE_OPEN,
                                   FILE_NON_DIRECTORY_FILE | FILE_SEQUENTIAL_ONLY, file);
            return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION
                       ? TAttemptResult::InUse
                       : TAttemptResult::Done;
        },
        [] { Sleep(kFileInUseRetryDelayMs); });
    return CheckOpenFile(file);
}

}  // namespace telvo
