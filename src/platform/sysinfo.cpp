// Administrator test by effective user id, memory figures from /proc/meminfo.
#include "platform/sysinfo.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
constexpr int64_t kCap32 = 0x7FFFFFFF;

// The kB value of the line "<key>: <n> kB", or -1 when absent.
int64_t FieldKb(std::string_view text, std::string_view key) {
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    if (line.size() > key.size() && line.substr(0, key.size()) == key && line[key.size()] == ':') {
      int64_t v = 0;
      bool any = false;
      for (size_t i = key.size() + 1; i < line.size(); ++i) {
        char c = line[i];
        if (c == ' ' || c == '\t') {
          if (any) break;
          continue;
        }
        if (c < '0' || c > '9') break;
        if (v > (INT64_MAX / 10 - 9) / 1024) return INT64_MAX / 1024;  // absurd: saturate
        v = v * 10 + (c - '0');
        any = true;
      }
      return any ? v : -1;
    }
    at = end + 1;
  }
  return -1;
}
}  // namespace

bool SysInfo_IsAdmin() { return geteuid() == 0; }

MemoryStatus SysInfo_ParseMeminfo(std::string_view text) {
  MemoryStatus m;
  int64_t total = FieldKb(text, "MemTotal");
  int64_t avail = FieldKb(text, "MemAvailable");
  if (avail < 0) avail = FieldKb(text, "MemFree");
  if (total <= 0 || avail < 0) return m;
  if (avail > total) avail = total;
  m.loadPercent = int32_t(100 - (avail * 100) / total);
  int64_t tb = total * 1024, ab = avail * 1024;
  m.totalBytes = tb > kCap32 ? kCap32 : tb;
  m.availBytes = ab > kCap32 ? kCap32 : ab;
  return m;
}

MemoryStatus SysInfo_Memory() {
  std::FILE* f = std::fopen("/proc/meminfo", "rb");
  if (!f) return {};
  std::string text(8192, '\0');
  size_t n = std::fread(text.data(), 1, text.size(), f);
  std::fclose(f);
  text.resize(n);
  return SysInfo_ParseMeminfo(text);
}
