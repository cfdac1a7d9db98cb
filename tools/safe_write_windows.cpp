// wubble-render's file writing and process facts on Windows. Names are UTF-8
// inside the tool and wide at every Win32 call. Symbolic links and junctions
// are not followed here: a link named by -o is replaced by the new file like
// any other name. FIFOs do not exist; named pipes, consoles and the other
// devices are written in place, as on POSIX.
#include "safe_write.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>

#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004
#endif

// The messages print strerror(errno), so Win32 failures become errno values.
static void SetErrnoFrom(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
      errno = ENOENT;
      break;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      errno = EACCES;
      break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      errno = ENOSPC;
      break;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      errno = EEXIST;
      break;
    case ERROR_DIRECTORY:
      errno = ENOTDIR;
      break;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
      errno = EINVAL;
      break;
    case ERROR_FILENAME_EXCED_RANGE:
      errno = ENAMETOOLONG;
      break;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      errno = ENOMEM;
      break;
    default:
      errno = EIO;
  }
}

static void SetErrnoFromLast() { SetErrnoFrom(GetLastError()); }

// UTF-8 as Utf8Arguments gives it; a name that is not UTF-8 came from the
// ANSI code page.
static std::wstring Widen(const std::string &text) {
  if (text.empty()) return std::wstring();
  for (UINT page : {UINT(CP_UTF8), UINT(CP_ACP)}) {
    DWORD flags = page == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
    int n = MultiByteToWideChar(page, flags, text.data(), int(text.size()), nullptr, 0);
    if (n <= 0) continue;
    std::wstring wide(size_t(n), L'\0');
    MultiByteToWideChar(page, flags, text.data(), int(text.size()), &wide[0], n);
    return wide;
  }
  return std::wstring();
}

static std::string Narrow(const wchar_t *wide) {
  int n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return std::string();
  std::string text(size_t(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, &text[0], n, nullptr, nullptr);
  text.resize(size_t(n - 1));
  return text;
}

char **Utf8Arguments(int argc, char **argv) {
  static std::vector<std::string> texts;
  static std::vector<char *> pointers;
  int count = 0;
  wchar_t **wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return argv;
  if (count == argc) {
    for (int i = 0; i < count; i++) texts.push_back(Narrow(wide[i]));
    for (std::string &text : texts) pointers.push_back(&text[0]);
    pointers.push_back(nullptr);
  }
  LocalFree(wide);
  return pointers.empty() ? argv : pointers.data();
}

static bool WriteAll(HANDLE file, const uint8_t *data, size_t size) {
  for (size_t done = 0; done < size;) {
    DWORD chunk = DWORD(size - done < (1u << 30) ? size - done : (1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, data + done, chunk, &written, nullptr)) {
      SetErrnoFromLast();
      return false;
    }
    if (written == 0) {
      errno = EIO;
      return false;
    }
    done += written;
  }
  return true;
}

// After a failed write the temporary file goes, and errno stays that of the
// failure.
static bool DiscardUnless(bool ok, const std::wstring &temp) {
  if (!ok) {
    int saved = errno;
    DeleteFileW(temp.c_str());
    errno = saved;
  }
  return ok;
}

// Closes `file` after work that went well if `ok`. errno is that of the
// first failure.
static bool CloseAfter(HANDLE file, bool ok) {
  int saved = errno;
  bool closed = CloseHandle(file) != 0;
  if (!ok) {
    errno = saved;
  } else if (!closed) {
    SetErrnoFromLast();
  }
  return ok && closed;
}

bool WriteStandardOutput(const uint8_t *data, size_t size) {
  // Text mode would turn each byte 10 of the image into 13 10.
  std::fflush(stdout);
  if (_setmode(_fileno(stdout), _O_BINARY) == -1) return false;
  for (size_t done = 0; done < size;) {
    unsigned chunk = unsigned(size - done < (1u << 30) ? size - done : (1u << 30));
    int n = _write(_fileno(stdout), data + done, chunk);
    if (n < 0) return false;
    if (n == 0) {
      errno = EIO;
      return false;
    }
    done += size_t(n);
  }
  return true;
}

// A new file `folder` + `prefix` + six letters, made here and nowhere else.
// `folder` is empty or ends in a separator.
static HANDLE CreateTemporary(const std::wstring &folder, const wchar_t *prefix, DWORD flags,
                              std::wstring *name) {
  static std::atomic<uint32_t> counter{0};
  const wchar_t letters[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
  for (int attempt = 0; attempt < 100; attempt++) {
    uint32_t mix = (GetCurrentProcessId() * 2654435761u) ^ (GetTickCount() * 40503u) ^
                   (counter++ * 2246822519u);
    std::wstring tail;
    for (int i = 0; i < 6; i++, mix /= 36) tail.push_back(letters[mix % 36]);
    *name = folder + prefix + tail;
    HANDLE file = CreateFileW(name->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | flags, nullptr);
    if (file != INVALID_HANDLE_VALUE) return file;
    DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
      SetErrnoFrom(error);
      return INVALID_HANDLE_VALUE;
    }
  }
  errno = EEXIST;
  return INVALID_HANDLE_VALUE;
}

static bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// The folder part of `path`, with its separator: "" for a bare name, and
// "C:" for "C:name", which names a file in that drive's current folder.
static std::string FolderOf(const std::string &path) {
  size_t end = path.find_last_of("/\\");
  if (end != std::string::npos) return path.substr(0, end + 1);
  if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
  return "";
}

// Writes the bytes through a temporary name in the folder of `target`, then
// moves it there: over `target` with ReplaceFileW when it `exists`, so it
// keeps the old file's attributes and security; where the file system
// cannot do that, and for a new name, with MoveFileExW.
static bool ReplaceThroughTemporary(const std::string &target, bool exists, const uint8_t *data,
                                    size_t size) {
  std::wstring temp;
  HANDLE file = CreateTemporary(Widen(FolderOf(target)), L".wubble-", 0, &temp);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = WriteAll(file, data, size);
  if (ok && !FlushFileBuffers(file)) {
    SetErrnoFromLast();
    ok = false;
  }
  ok = CloseAfter(file, ok);
  std::wstring wide = Widen(target);
  if (ok) {
    bool moved = exists && ReplaceFileW(wide.c_str(), temp.c_str(), nullptr,
                                        REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
    if (!moved) {
      moved = MoveFileExW(temp.c_str(), wide.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    }
    if (!moved) {
      SetErrnoFromLast();
      ok = false;
    }
  }
  return DiscardUnless(ok, temp);
}

// A device, a console or a named pipe: opened and written as it is.
static bool WriteInPlace(const std::wstring &path, const uint8_t *data, size_t size) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    SetErrnoFromLast();
    return false;
  }
  return CloseAfter(file, WriteAll(file, data, size));
}

bool WriteFileSafely(const std::string &path, const uint8_t *data, size_t size) {
  if (path.empty() || IsSeparator(path.back())) {  // "name/" is a folder, never a file
    errno = path.empty() ? ENOENT : EISDIR;
    return false;
  }
  std::wstring wide = Widen(path);
  // \\.\ names devices and pipes; opening a pipe only to look at it would
  // take one of its instances.
  if (wide.compare(0, 4, L"\\\\.\\") == 0) return WriteInPlace(wide, data, size);
  HANDLE probe = CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (probe == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) return ReplaceThroughTemporary(path, false, data, size);
    SetErrnoFrom(error);
    return false;
  }
  DWORD type = GetFileType(probe);
  BY_HANDLE_FILE_INFORMATION info{};
  bool folder = type == FILE_TYPE_DISK && GetFileInformationByHandle(probe, &info) &&
                (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  CloseHandle(probe);
  if (folder) {
    errno = EISDIR;
    return false;
  }
  if (type != FILE_TYPE_DISK) return WriteInPlace(wide, data, size);
  return ReplaceThroughTemporary(path, true, data, size);
}

static std::wstring FolderPrefix(const std::string &dir) {
  return Widen(!dir.empty() && IsSeparator(dir.back()) ? dir : dir + "/");
}

bool WriteNewFileInDir(const std::string &dir, const std::string &name, const uint8_t *data,
                       size_t size) {
  std::wstring temp;
  HANDLE file = CreateTemporary(FolderPrefix(dir), L".wubble-batch-", 0, &temp);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = CloseAfter(file, WriteAll(file, data, size));
  if (ok && !MoveFileExW(temp.c_str(), Widen(dir + "/" + name).c_str(), MOVEFILE_REPLACE_EXISTING)) {
    SetErrnoFromLast();
    ok = false;
  }
  return DiscardUnless(ok, temp);
}

bool CanWriteInDir(const std::string &dir) {
  DWORD attributes = GetFileAttributesW(Widen(dir).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    errno = ENOTDIR;
    return false;
  }
  std::wstring temp;
  HANDLE file = CreateTemporary(FolderPrefix(dir), L".wubble-batch-", FILE_FLAG_DELETE_ON_CLOSE, &temp);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

// Text mode would turn CR LF into LF and end the list at a Ctrl+Z.
std::FILE *OpenList(const std::string &path) {
  if (path != "-") return _wfopen(Widen(path).c_str(), L"rb");
  return _setmode(_fileno(stdin), _O_BINARY) == -1 ? nullptr : stdin;
}

int ProcessorCount() {
  DWORD_PTR process = 0, system = 0;
  int count = 0;
  if (GetProcessAffinityMask(GetCurrentProcess(), &process, &system)) {
    for (; process; process &= process - 1) count++;
  }
  if (count > 0) return count;
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return info.dwNumberOfProcessors > 0 ? int(info.dwNumberOfProcessors) : 1;
}

// The progress line redraws itself with escape sequences, which a Windows
// console shows only once asked to.
bool StandardErrorIsTerminal() {
  HANDLE console = GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (!GetConsoleMode(console, &mode)) return false;
  if (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) return true;
  return SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}
