// Everything of wubble-render that depends on the operating system: how the
// output reaches what -o names, the batch's files, and a few facts about the
// process (stop_requests.h has the interrupts). safe_write_posix.cpp and safe_write_windows.cpp implement it; the
// rest of the tool is plain C++. Every failure returns false with errno set.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// The command line as UTF-8: on Windows from the wide command line (main's
// argv is in the ANSI code page there); elsewhere argv itself.
char **Utf8Arguments(int argc, char **argv);

// All `size` bytes to standard output, as they are (binary mode on
// Windows). A short write counts as a failure.
bool WriteStandardOutput(const uint8_t *data, size_t size);

// Writes the bytes to what `path` names:
// - a regular file or a new name: through a temporary file in the same
//   folder, synced, and a rename, so a failed write leaves the old file as
//   it was and no partial file; a replaced file keeps its mode and, where the
//   process may, its owner and group (on Windows its attributes and
//   security);
// - a symbolic link: the same for the file it points to, which may not
//   exist yet; the link stays (on Windows the link is replaced);
// - a FIFO, a device, a named pipe, or (on POSIX) the file standard output
//   or standard error is open on: written directly, in place.
bool WriteFileSafely(const std::string &path, const uint8_t *data, size_t size);

// Writes the bytes to dir/name through a temporary name in `dir` that ends
// otherwise than any name the batch writes, then a rename over whatever has
// that name. Not synced: for a batch a sync costs more than a render. Safe to
// call from several threads at once.
bool WriteNewFileInDir(const std::string &dir, const std::string &name, const uint8_t *data,
                       size_t size);

// A file can be made in `dir`: tried, not guessed from permissions.
bool CanWriteInDir(const std::string &dir);

// The file `path` names, or standard input for "-", opened to read its bytes
// as they are (binary mode on Windows). Null on failure.
std::FILE *OpenList(const std::string &path);

// How many processors this process may run on; at least 1.
int ProcessorCount();

// Standard error is a terminal that can show a progress line drawn over
// itself.
bool StandardErrorIsTerminal();
