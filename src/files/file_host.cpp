// Host file system access of the resource files. Names and sizes go through
// the platform's name mapping; the folder listing of the pack search uses the
// standard library's directory iteration.
#include "files/file_host.h"

#include <filesystem>
#include <system_error>

#include "files/files.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace stdfs = std::filesystem;

bool Host_MapName(const char* winName, std::string* hostPath) {
  // Names are relative to the game's folder; one that starts at the host's
  // root is not a name of the game tree.
  if (!winName || !*winName || winName[0] == '\\' || winName[0] == '/') return false;
  return Fs_Resolve(winName, hostPath);
}

bool Host_RegularFileSize(const std::string& hostPath, uint64_t* size) {
  int64_t n = Fs_FileSize(hostPath);
  if (n < 0) return false;
  *size = uint64_t(n);
  return true;
}

bool Host_ListFolder(const std::string& hostPath, std::vector<HostDirEntry>* out) {
  std::error_code ec;
  stdfs::directory_iterator it(hostPath, ec), end;
  if (ec) return false;
  for (; !ec && it != end; it.increment(ec)) {
    HostDirEntry e;
    e.sjisName = Text_Utf8ToSjis(it->path().filename().string());
    e.hostPath = it->path().string();
    std::error_code ec2;
    e.isDir = it->is_directory(ec2);
    out->push_back(std::move(e));
  }
  return true;
}

std::string Host_Absolute(const std::string& hostPath) {
  std::error_code ec;
  stdfs::path p = stdfs::absolute(hostPath, ec);
  return ec ? hostPath : p.lexically_normal().string();
}
