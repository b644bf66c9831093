#include "platform/fs.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>

#include "platform/text.h"

namespace {

bool AsciiCaseEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = x - 'A' + 'a';
    if (y >= 'A' && y <= 'Z') y = y - 'A' + 'a';
    if (x != y) return false;
  }
  return true;
}

struct DirCloser {
  void operator()(DIR* d) const { closedir(d); }
};

// Finds `name` inside folder `dir`: exact first, then the first entry (in
// sorted order, so the choice is stable) that matches without case.
bool FindEntry(const std::string& dir, const std::string& name, std::string* found) {
  std::string probe = dir + (dir.empty() || dir.back() == '/' ? "" : "/") + name;
  struct stat st;
  if (lstat(probe.c_str(), &st) == 0) {
    *found = name;
    return true;
  }
  std::unique_ptr<DIR, DirCloser> d(opendir(dir.empty() ? "." : dir.c_str()));
  if (!d) return false;
  std::string best;
  bool any = false;
  while (dirent* e = readdir(d.get())) {
    std::string_view n = e->d_name;
    if (AsciiCaseEqual(n, name) && (!any || n < best)) {
      best = std::string(n);
      any = true;
    }
  }
  if (any) *found = best;
  return any;
}

// Splits an engine name into CP932 components on both separators, keeping the
// second byte of a double-byte character (which may be 0x5C) inside it.
std::vector<std::string> SplitEngineName(std::string_view s) {
  std::vector<std::string> parts;
  std::string cur;
  for (size_t i = 0; i < s.size(); ++i) {
    unsigned char c = s[i];
    if (Sjis_IsLead(c) && i + 1 < s.size()) {
      cur += char(c);
      cur += s[++i];
      continue;
    }
    if (c == '\\' || c == '/') {
      parts.push_back(cur);
      cur.clear();
      continue;
    }
    cur += char(c);
  }
  parts.push_back(cur);
  return parts;
}

std::string HomeDir() {
  const char* h = std::getenv("HOME");
  return h && *h ? h : "/tmp";
}

}  // namespace

bool Fs_Resolve(std::string_view engineName, std::string* hostPath) {
  bool absolute = !engineName.empty() && (engineName[0] == '\\' || engineName[0] == '/');
  std::vector<std::string> comps;
  auto join = [&] {
    std::string p = absolute ? "/" : "";
    for (size_t i = 0; i < comps.size(); ++i) p += (i ? "/" : "") + comps[i];
    return p;
  };
  bool exists = true;
  for (const std::string& part : SplitEngineName(engineName)) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!comps.empty() && comps.back() != "..") {
        comps.pop_back();
      } else if (!absolute) {
        comps.push_back("..");
      }
      continue;
    }
    std::string utf8 = Text_SjisToUtf8(part);
    std::string found;
    if (exists && FindEntry(join(), utf8, &found)) {
      comps.push_back(found);
    } else {
      exists = false;
      comps.push_back(utf8);
    }
  }
  std::string path = join();
  if (path.empty()) path = ".";
  // A trailing separator names a folder: keep it for callers that append.
  if (!engineName.empty() && (engineName.back() == '\\' || engineName.back() == '/') &&
      path.back() != '/')
    path += '/';
  *hostPath = path;
  return exists;
}

std::string Fs_ResolvePath(std::string_view engineName) {
  std::string out;
  Fs_Resolve(engineName, &out);
  return out;
}

std::string Fs_ExePath() {
  std::string buf(4096, '\0');
  ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return "";
  buf.resize(size_t(n));
  return buf;
}

std::string Fs_DirName(const std::string& hostPath) {
  size_t cut = hostPath.find_last_of('/');
  if (cut == std::string::npos) return ".";
  if (cut == 0) return "/";
  return hostPath.substr(0, cut);
}

std::string Fs_XdgDataDir() {
  const char* x = std::getenv("XDG_DATA_HOME");
  if (x && x[0] == '/') return x;
  return HomeDir() + "/.local/share";
}

std::string Fs_DocumentsDir() {
  const char* cfg = std::getenv("XDG_CONFIG_HOME");
  std::string file = (cfg && cfg[0] == '/' ? std::string(cfg) : HomeDir() + "/.config") +
                     "/user-dirs.dirs";
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    const std::string key = "XDG_DOCUMENTS_DIR=";
    if (line.rfind(key, 0) != 0) continue;
    std::string v = line.substr(key.size());
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
    if (v.rfind("$HOME", 0) == 0) v = HomeDir() + v.substr(5);
    if (!v.empty() && v[0] == '/') return v;
  }
  return HomeDir() + "/Documents";
}

bool Fs_SetCurrentDir(const std::string& hostPath) { return chdir(hostPath.c_str()) == 0; }

bool Fs_Exists(const std::string& hostPath) {
  struct stat st;
  return stat(hostPath.c_str(), &st) == 0;
}

int64_t Fs_FileSize(const std::string& hostPath) {
  struct stat st;
  if (stat(hostPath.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  return int64_t(st.st_size);
}

bool Fs_ReadBytes(const std::string& hostPath, uint64_t offset, size_t maxBytes,
                  std::vector<uint8_t>* out) {
  out->clear();
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(hostPath.c_str(), "rb"), std::fclose);
  if (!f) return false;
  if (fseeko(f.get(), off_t(offset), SEEK_SET) != 0) return true;
  out->resize(maxBytes);
  size_t got = std::fread(out->data(), 1, maxBytes, f.get());
  out->resize(got);
  return true;
}
