// The registry text file: a line parser and the lookup of one value.
#include "platform/registry_file.h"

#include <cstdlib>

#include "platform/fs.h"

namespace {

constexpr size_t kRegFileMaxBytes = 4u << 20;  // larger files are not read whole

std::string Fold(std::string_view s, bool isKey) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    if (isKey && c == '/') c = '\\';
    out.push_back(c);
  }
  if (isKey)
    while (!out.empty() && out.back() == '\\') out.pop_back();
  return out;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// A quoted text starting at s[0] == '"': its unescaped bytes and the rest
// after the closing quote; false without a closing quote.
bool Unquote(std::string_view s, std::string* out, std::string_view* rest) {
  out->clear();
  for (size_t i = 1; i < s.size(); ++i) {
    char c = s[i];
    if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
      out->push_back(s[++i]);
    } else if (c == '"') {
      *rest = s.substr(i + 1);
      return true;
    } else {
      out->push_back(c);
    }
  }
  return false;
}

bool ParseDword(std::string_view s, uint32_t* v) {
  if (s.empty() || s.size() > 8) return false;
  uint32_t x = 0;
  for (char c : s) {
    int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10
          : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    if (d < 0) return false;
    x = x << 4 | uint32_t(d);
  }
  *v = x;
  return true;
}

// One "name=value" line into an entry; false when it does not parse.
bool ParseValueLine(std::string_view line, RegFile::Entry* e) {
  std::string name;
  std::string_view rest;
  if (!line.empty() && line[0] == '"') {
    if (!Unquote(line, &name, &rest)) return false;
    rest = Trim(rest);
  } else {
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) return false;
    name = std::string(Trim(line.substr(0, eq)));
    rest = line.substr(eq);
  }
  // "@", quoted or not, is the key's default value, as a lookup of "@"
  // takes it: every entry stays reachable by the name it was written with.
  if (name == "@") name.clear();
  if (rest.empty() || rest[0] != '=') return false;
  std::string_view v = Trim(rest.substr(1));
  e->name = Fold(name, false);
  if (v.size() >= 6 && Fold(v.substr(0, 6), false) == "dword:") {
    e->value.kind = RegValue::Kind::Dword;
    return ParseDword(Trim(v.substr(6)), &e->value.number);
  }
  e->value.kind = RegValue::Kind::String;
  if (!v.empty() && v[0] == '"') {
    std::string_view after;
    return Unquote(v, &e->value.text, &after) && Trim(after).empty();
  }
  e->value.text = std::string(v);
  return true;
}

}  // namespace

RegFile Reg_ParseFile(std::string_view text) {
  RegFile f;
  std::string key;
  bool inSection = false;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = Trim(text.substr(at, end - at));
    at = end + 1;
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      inSection = line.back() == ']' && line.size() >= 2;
      if (inSection) key = Fold(Trim(line.substr(1, line.size() - 2)), true);
      continue;
    }
    RegFile::Entry e;
    if (!inSection || !ParseValueLine(line, &e)) continue;
    e.key = key;
    f.entries.push_back(std::move(e));
  }
  return f;
}

const RegValue* Reg_Find(const RegFile& file, std::string_view key, std::string_view name) {
  std::string k = Fold(key, true), n = Fold(name, false);
  if (n == "@") n.clear();
  // The last entry wins, as when the file is read top to bottom.
  for (size_t i = file.entries.size(); i-- > 0;) {
    const RegFile::Entry& e = file.entries[i];
    if (e.key == k && e.name == n) return &e.value;
  }
  return nullptr;
}

RegFile Reg_LoadFiles(const std::string& beside, const std::string& game) {
  RegFile all;
  std::string user;
  const char* cfg = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  if (cfg && *cfg) user = std::string(cfg) + "/" + game + "/registry.ini";
  else if (home && *home) user = std::string(home) + "/.config/" + game + "/registry.ini";
  for (const std::string& path : {beside, user}) {
    std::vector<uint8_t> bytes;
    if (path.empty() || !Fs_ReadBytes(path, 0, kRegFileMaxBytes, &bytes)) continue;
    RegFile f = Reg_ParseFile(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    for (auto& e : f.entries) all.entries.push_back(std::move(e));
  }
  return all;
}
