// WriteInPieces: writes a block of memory to a file as a series of write requests of a bounded
// size, so that no single request carries the whole data file.
#pragma once

#include <windows.h>

#include <cstdint>

namespace telvo {

// The length of each write request but the last. Linux backs the page cache of a new file in
// blocks sized after the write request (up to 2 MiB), and a virtual machine that hands free
// memory back to its host has large blocks faulted in again, page by page, while the bytes are
// copied into them: then a copy of the 118 MB data file takes 250-400 ms instead of about 35 ms.
// Measured under Wine, in runs right after the file was written: one request of the whole size
// stalled so in about half of the runs and requests of 1 MiB still often; requests of 64 KiB,
// what CopyFileA uses here, hardly ever, at the same cost in the usual case.
inline constexpr uint32_t kWritePieceSize = 64u << 10;

// Writes the `size` bytes at `data` at the file's current position, in requests of
// kWritePieceSize bytes, the last one shorter. Each request must write its whole length: a
// failed or short one ends the write with false, leaving what was written so far in the file.
// Needs no buffer of its own: each request reads straight from `data`.
bool WriteInPieces(HANDLE file, const void* data, uint32_t size);

}  // namespace telvo
