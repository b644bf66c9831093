// Paths of the executable and the instance name derived from them.
#include "files/files.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "shell/shell.h"


namespace {

// Replaces every single-byte `from` by `to`, stepping over double-byte
// characters whole (their second byte may be 0x5C, the '\').
std::string ReplaceSingle(std::string s, char from, char to) {
  for (size_t i = 0; i < s.size(); ++i) {
    if (Sjis_IsLead(uint8_t(s[i])) && i + 1 < s.size()) {
      ++i;
      continue;
    }
    if (s[i] == from) s[i] = to;
  }
  return s;
}

// True when the last character of `s` is a single-byte `c` (not the second
// byte of a double-byte character).
bool EndsWithSingle(const std::string& s, char c) {
  size_t i = 0, last = std::string::npos;
  while (i < s.size()) {
    last = i;
    i += (Sjis_IsLead(uint8_t(s[i])) && i + 1 < s.size()) ? 2 : 1;
  }
  return last != std::string::npos && last + 1 == s.size() && s[last] == c;
}

}  // namespace

void Boot_InitPathsFrom(const std::string& hostExePath) {
  g_ModulePathHost = hostExePath;
  g_ExeDirHost = Fs_DirName(hostExePath);
  // The engine form: Shift-JIS, '/' as '\', lower-cased (A-Z only).
  std::string p = ReplaceSingle(Text_Utf8ToSjis(hostExePath), '/', '\\');
  Str_ToLowerSjis(p.data());
  g_ModulePath = p;
  size_t cut = std::string::npos;
  for (size_t i = 0; i < p.size(); ++i) {
    if (Sjis_IsLead(uint8_t(p[i])) && i + 1 < p.size()) {
      ++i;
      continue;
    }
    if (p[i] == '\\') cut = i;
  }
  g_ExeDir = cut == std::string::npos ? std::string() : p.substr(0, cut + 1);
  if (!EndsWithSingle(g_ExeDir, '\\')) g_ExeDir += '\\';
  g_InstanceName = ReplaceSingle(g_ModulePath, '\\', ':');
}

void Boot_InitPaths() { Boot_InitPathsFrom(Fs_ExePath()); }
