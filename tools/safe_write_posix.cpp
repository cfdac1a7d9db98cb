// wubble-render's file writing and process facts on POSIX systems.
#include "safe_write.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

// The mode a new file gets, read before main: umask can only be read by
// setting it, which must not race with the batch threads' files.
static mode_t ReadNewFileMode() {
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}
static const mode_t new_file_mode = ReadNewFileMode();

static bool WriteAll(int fd, const uint8_t *data, size_t size) {
  for (size_t done = 0; done < size;) {
    ssize_t n = write(fd, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) {
      errno = EIO;
      return false;
    }
    done += size_t(n);
  }
  return true;
}

static bool SameFile(const struct stat &a, const struct stat &b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Follows `path` while it is a symbolic link, to the name the data belongs
// under; the last name need not exist. A relative link is read from the
// link's own folder; the kernel resolves the joined path, ".." included.
static bool FollowLinks(std::string path, std::string *out) {
  std::vector<char> buffer(PATH_MAX + 1);
  for (int hops = 0; hops < 40; hops++) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      *out = path;
      return true;
    }
    ssize_t n = readlink(path.c_str(), buffer.data(), buffer.size());
    if (n < 0) return false;
    if (size_t(n) == buffer.size()) {
      errno = ENAMETOOLONG;
      return false;
    }
    std::string link(buffer.data(), size_t(n));
    size_t slash = path.rfind('/');
    path = link[0] == '/' || slash == std::string::npos ? link : path.substr(0, slash + 1) + link;
  }
  errno = ELOOP;
  return false;
}

// After a failed write the temporary file goes, and errno stays that of the
// failure.
static bool DiscardUnless(bool ok, const std::string &temp) {
  if (!ok) {
    int saved = errno;
    unlink(temp.c_str());
    errno = saved;
  }
  return ok;
}

// Closes `fd` after work that went well if `ok`. errno is that of the first
// failure.
static bool CloseAfter(int fd, bool ok) {
  int saved = errno;
  bool closed = close(fd) == 0;
  if (!ok) errno = saved;
  return ok && closed;
}

// Owner first: a change of owner may clear the set-id bits that the mode then
// restores. A process that may not give the file away keeps at least the
// group if it can; otherwise the file becomes its own, as a new one would.
static void KeepOwner(int fd, const struct stat &old) {
  if (fchown(fd, old.st_uid, old.st_gid) != 0) {
    int group_kept = fchown(fd, uid_t(-1), old.st_gid);
    (void)group_kept;
  }
}

// A FIFO, a device, or a regular file that has no name to replace: opened
// and written as it is. O_TRUNC changes nothing but regular files.
static bool WriteInPlace(const std::string &path, const uint8_t *data, size_t size) {
  int fd = open(path.c_str(), O_WRONLY | O_TRUNC | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return false;
  return CloseAfter(fd, WriteAll(fd, data, size));
}

// The temporary file's name is short, so it fits wherever the target's
// name fits; a leading dot keeps it out of plain listings while it exists.
static bool ReplaceFile(const std::string &target, const struct stat *old, const uint8_t *data,
                        size_t size) {
  size_t slash = target.rfind('/');
  std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  if (folder.size() == target.size()) {  // "name/" is a folder, never a file
    errno = EISDIR;
    return false;
  }
  std::string temp = folder + ".wubble-XXXXXX";
  int fd = mkstemp(&temp[0]);
  if (fd < 0) return false;
  bool ok;
  if (old) {
    KeepOwner(fd, *old);
    ok = fchmod(fd, old->st_mode & 07777) == 0;
  } else {
    ok = fchmod(fd, new_file_mode) == 0;  // mkstemp made it private
  }
  ok = CloseAfter(fd, ok && WriteAll(fd, data, size) && fsync(fd) == 0);
  return DiscardUnless(ok && std::rename(temp.c_str(), target.c_str()) == 0, temp);
}

bool WriteFileSafely(const std::string &path, const uint8_t *data, size_t size) {
  struct stat st;
  bool exists = stat(path.c_str(), &st) == 0;
  if (!exists && errno != ENOENT) return false;
  if (exists && !S_ISREG(st.st_mode)) return WriteInPlace(path, data, size);
  if (exists) {
    // /dev/stdout and the like, with the stream redirected to a file: the
    // shell opened it (perhaps to append), so the bytes go down that stream.
    for (int fd : {STDOUT_FILENO, STDERR_FILENO}) {
      struct stat stream;
      if (fstat(fd, &stream) == 0 && SameFile(stream, st)) return WriteAll(fd, data, size);
    }
  }
  std::string target;
  if (!FollowLinks(path, &target)) return false;
  if (exists) {
    // A link through /proc may lead to a file without a name of its own.
    struct stat named;
    if (lstat(target.c_str(), &named) != 0 || !SameFile(named, st)) {
      return WriteInPlace(path, data, size);
    }
  }
  return ReplaceFile(target, exists ? &st : nullptr, data, size);
}

char **Utf8Arguments(int, char **argv) { return argv; }

bool WriteStandardOutput(const uint8_t *data, size_t size) {
  return WriteAll(STDOUT_FILENO, data, size);
}

bool WriteNewFileInDir(const std::string &dir, const std::string &name, const uint8_t *data,
                       size_t size) {
  std::string temp = dir + "/.wubble-batch-XXXXXX";
  int fd = mkstemp(&temp[0]);
  if (fd < 0) return false;
  bool ok = CloseAfter(fd, fchmod(fd, new_file_mode) == 0 && WriteAll(fd, data, size));
  return DiscardUnless(ok && std::rename(temp.c_str(), (dir + "/" + name).c_str()) == 0, temp);
}

bool CanWriteInDir(const std::string &dir) {
  struct stat info;
  if (stat(dir.c_str(), &info) == 0 && !S_ISDIR(info.st_mode)) {
    errno = ENOTDIR;
    return false;
  }
  std::string temp = dir + "/.wubble-batch-XXXXXX";
  int fd = mkstemp(&temp[0]);
  if (fd < 0) return false;
  close(fd);
  unlink(temp.c_str());
  return true;
}

std::FILE *OpenList(const std::string &path) {
  if (path == "-") return stdin;
  return std::fopen(path.c_str(), "rbe");
}

int ProcessorCount() {
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0) return CPU_COUNT(&set);
  long online = sysconf(_SC_NPROCESSORS_ONLN);
  return online > 0 ? int(online) : 1;
}

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) != 0; }
