// Files, folders and the carried resource, read and written directly for the install tests,
// bypassing the code under test.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "install/data_file_writer.h"
#include "startup/win_handles.h"

namespace telvo::test {

// The bytes of a resource of the test program itself; empty when it has none.
std::string_view OwnResource(const char* name, const char* type);

// The writer as the update flow calls it, for a target given as one path: the folder part
// opened once, as the flow opens the install folder, and the carried resource `resourceName`
// of type "cok" written there under the name that ends the path.
TWriteResult WriteDataFileAt(
    const std::string& targetPath, const std::function<bool()>& mayReplace = [] { return true; },
    const char* resourceName = "vost");

void WriteFileBytes(const std::string& path, std::string_view bytes);

// Bytes of a size that no payload has, unlike any payload's start: an older data file.
std::string OldFileBytes(size_t size);

// Names of the entries of `folder` (with a trailing backslash), "." and ".." left out, sorted.
std::vector<std::string> FolderNames(const std::string& folder);

// True when the file at `path` holds exactly `expected`, compared block by block so that a
// large file is never read into memory whole.
bool FileEquals(const std::string& path, std::string_view expected);

uint64_t FileSize(const std::string& path);

// Another process that holds `path` open for `holdMs`, sharing it as `share` says (not at all
// unless told); started and waited for until it holds the file. Killed at destruction if still
// running.
class THeldFile {
  public:
    THeldFile(const std::string& path, uint32_t holdMs, uint32_t share = 0);
    ~THeldFile();
    THeldFile(const THeldFile&) = delete;
    THeldFile& operator=(const THeldFile&) = delete;

    bool Holding() const { return IsHolding; }
    // Waits for the holder to end and returns its exit code.
    int Wait(uint32_t timeoutMs = 20000);

  private:
    TProcessHandle Process;
    bool IsHolding = false;
};

// Puts one of the package's seams (writer_seams.h) back when the scope ends, on every road.
template <typename TSeam, TSeam (*Replace)(TSeam)>
class TSeamScope {
  public:
    explicit TSeamScope(TSeam seam) : Previous(Replace(std::move(seam))) {}
    ~TSeamScope() { Replace(std::move(Previous)); }
    TSeamScope(const TSeamScope&) = delete;
    TSeamScope& operator=(const TSeamScope&) = delete;

  private:
    TSeam Previous;
};

}  // namespace telvo::test
