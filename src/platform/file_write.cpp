// Durable writes on POSIX file descriptors: every write checked, fsync
// before the rename or the patch that depends on it, close checked.
#include "platform/file_write.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace {

FileWFaultFn g_Fault = nullptr;

// Writes all n bytes at `offset`; 0 or errno.
int WriteAllAt(int fd, const std::string& path, uint64_t offset, const uint8_t* p, size_t n) {
  if (g_Fault) {
    if (int e = g_Fault(path, offset, n)) {
      // A fault leaves a partial write behind, as a full disk would.
      if (n / 2) (void)!pwrite(fd, p, n / 2, off_t(offset));
      return e;
    }
  }
  while (n) {
    ssize_t w = pwrite(fd, p, n, off_t(offset));
    if (w < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (w == 0) return EIO;
    p += w;
    n -= size_t(w);
    offset += uint64_t(w);
  }
  return 0;
}

int SyncAndClose(int fd) {
  int e = fsync(fd) != 0 ? errno : 0;
  if (close(fd) != 0 && !e) e = errno;
  return e;
}

}  // namespace

void FileW_SetFaultHook(FileWFaultFn fn) { g_Fault = fn; }

int FileW_Replace(const std::string& path, const uint8_t* data, size_t n) {
  std::string tmp = path + ".tmp";
  int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return errno;
  int e = WriteAllAt(fd, tmp, 0, data, n);
  if (e) {
    close(fd);
  } else {
    e = SyncAndClose(fd);
  }
  if (!e && std::rename(tmp.c_str(), path.c_str()) != 0) e = errno;
  if (e) {
    unlink(tmp.c_str());
    return e;
  }
  // The rename itself is made durable by syncing the folder.
  std::string dir = path.substr(0, path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/'));
  int dfd = open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    fsync(dfd);
    close(dfd);
  }
  return 0;
}

int FileW_AppendThenPatch(const std::string& path, uint64_t tailAt, const uint8_t* tail, size_t tailLen,
                          const uint8_t* head, size_t headLen) {
  int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return errno;
  int e = WriteAllAt(fd, path, tailAt, tail, tailLen);
  if (!e && fsync(fd) != 0) e = errno;
  if (e) {
    (void)!ftruncate(fd, off_t(tailAt));
    close(fd);
    return e;
  }
  e = WriteAllAt(fd, path, 0, head, headLen);
  int c = SyncAndClose(fd);
  return e ? e : c;
}
