#include "install/piece_write.h"

#include <algorithm>

namespace telvo {

bool WriteInPieces(HANDLE file, const void* data, uint32_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (uint32_t done = 0; done < size;) {
        const DWORD piece = std::min(kWritePieceSize, size - done);
        DWORD written = 0;
        if (!WriteFile(file, bytes + done, piece, &written, nullptr) || written != piece)
            return false;
        done += piece;
    }
    return true;
}

}  // namespace telvo
