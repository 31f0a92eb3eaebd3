#include "folder/folder_seams.h"

#include <utility>

namespace telvo {
namespace {

TFileCallStall& Stall() {
    static TFileCallStall stall;
    return stall;
}

bool& FinalPathsHiddenFlag() {
    static bool hidden = false;
    return hidden;
}

bool& FileIdsHiddenFlag() {
    static bool hidden = false;
    return hidden;
}

bool& VolumesRemoteFlag() {
    static bool remote = false;
    return remote;
}

}  // namespace

bool FinalPathsHidden() {
    return FinalPathsHiddenFlag();
}

bool HideFinalPaths(bool hide) {
    return std::exchange(FinalPathsHiddenFlag(), hide);
}

bool FileIdsHidden() {
    return FileIdsHiddenFlag();
}

bool HideFileIds(bool hide) {
    return std::exchange(FileIdsHiddenFlag(), hide);
}

bool VolumesShownRemote() {
    return VolumesRemoteFlag();
}

bool ShowVolumesRemote(bool remote) {
    return std::exchange(VolumesRemoteFlag(), remote);
}

TFileCallStall FileCallStall() {
    return Stall();
}

TFileCallStall ReplaceFileCallStall(TFileCallStall stall) {
    return std::exchange(Stall(), std::move(stall));
}

}  // namespace telvo
