// WriteInPieces: writes a block of memory to a file as a series of write requests of a bounded
// size, so that no single request carries the whole data file.
#pragma once

#include <windows.h>

#include <cstdint>

namespace telvo {

// The length of each write request but the last. Linux backs the page cache of a new file in
// blocks sized after the write request, up to 2 MiB; a virtual machine that hands free 2 MiB
// blocks back to its host has those faulted in again, page by page, while the bytes are copied
// into them. One request of the whole 118 MB data file then took 250-300 ms now and then instead
// of about 35 ms; requests of 1 MiB take their memory from smaller free blocks and cost the same
// in the usual case.
inline constexpr uint32_t kWritePieceSize = 1u << 20;

// Writes the `size` bytes at `data` at the file's current position, in requests of
// kWritePieceSize bytes, the last one shorter. Each request must write its whole length: a
// failed or short one ends the write with false, leaving what was written so far in the file.
// Needs no buffer of its own: each request reads straight from `data`.
bool WriteInPieces(HANDLE file, const void* data, uint32_t size);

}  // namespace telvo
