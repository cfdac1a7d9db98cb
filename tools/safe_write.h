// Writing wubble-render's output without ever replacing what the user named.
// POSIX; a port to another system swaps this file pair.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Writes all `size` bytes to the open descriptor `fd`. A short write counts
// as a failure. Returns false with errno set.
bool WriteAll(int fd, const uint8_t *data, size_t size);

// Writes the bytes to what `path` names:
// - a regular file or a new name: through a temporary file in the same
//   folder and a rename, so a failed write leaves the old file as it was and
//   no partial file; a replaced file keeps its mode and, where the process
//   may, its owner and group;
// - a symbolic link: the same for the file it points to, which may not
//   exist yet; the link stays;
// - a FIFO, a device, or the file standard output or standard error is
//   open on: written directly, in place.
// Returns false with errno set.
bool WriteFileSafely(const std::string &path, const uint8_t *data, size_t size);
