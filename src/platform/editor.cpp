#include "platform/editor.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/fs.h"
#include "platform/process.h"

namespace {

std::vector<std::string> SplitBlanks(const std::string& s) {
  std::vector<std::string> out;
  std::istringstream in(s);
  std::string w;
  while (in >> w) out.push_back(w);
  return out;
}

// Splits an Exec value: blanks separate, double quotes group, backslash
// escapes inside quotes.
std::vector<std::string> SplitExec(const std::string& v) {
  std::vector<std::string> out;
  std::string cur;
  bool quoted = false, any = false;
  for (size_t i = 0; i < v.size(); ++i) {
    char c = v[i];
    if (quoted && c == '\\' && i + 1 < v.size()) {
      cur += v[++i];
    } else if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if (!quoted && (c == ' ' || c == '\t')) {
      if (any || !cur.empty()) out.push_back(cur);
      cur.clear();
      any = false;
    } else {
      cur += c;
    }
  }
  if (any || !cur.empty()) out.push_back(cur);
  return out;
}

std::vector<std::string> DataDirs() {
  std::vector<std::string> dirs{Fs_XdgDataDir()};
  const char* env = std::getenv("XDG_DATA_DIRS");
  std::string list = env && *env ? env : "/usr/local/share:/usr/share";
  std::stringstream in(list);
  std::string d;
  while (std::getline(in, d, ':'))
    if (!d.empty()) dirs.push_back(d);
  return dirs;
}

std::vector<std::string> DefaultTextApplication() {
  std::string out;
  if (!Proc_Capture({"xdg-mime", "query", "default", "text/plain"}, &out)) return {};
  std::vector<std::string> names = SplitBlanks(out);
  if (names.empty() || names[0].find('/') != std::string::npos) return {};
  for (const std::string& dir : DataDirs()) {
    std::ifstream f(dir + "/applications/" + names[0]);
    if (!f) continue;
    std::stringstream text;
    text << f.rdbuf();
    return Sys_ParseDesktopExec(text.str());
  }
  return {};
}

}  // namespace

std::vector<std::string> Sys_ParseDesktopExec(const std::string& text) {
  std::istringstream in(text);
  std::string line;
  bool inEntry = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line[0] == '[') inEntry = line.rfind("[Desktop Entry]", 0) == 0;
    if (!inEntry || line.rfind("Exec=", 0) != 0) continue;
    std::vector<std::string> argv;
    for (std::string& a : SplitExec(line.substr(5))) {
      if (a.size() == 2 && a[0] == '%') continue;  // field codes: we add the file ourselves
      argv.push_back(a);
    }
    return argv;
  }
  return {};
}

std::vector<std::string> Sys_FindTextEditor() {
  for (const char* var : {"VISUAL", "EDITOR"}) {
    const char* v = std::getenv(var);
    if (v && *v) {
      std::vector<std::string> argv = SplitBlanks(v);
      if (!argv.empty()) return argv;
    }
  }
  return DefaultTextApplication();
}

bool Sys_IsTerminalEditor(const std::string& program) {
  size_t cut = program.find_last_of('/');
  std::string base = cut == std::string::npos ? program : program.substr(cut + 1);
  for (const char* name : {"vi", "vim", "nvim", "nano", "micro", "kak", "joe", "ne", "mg"})
    if (base == name) return true;
  return false;
}

std::vector<std::string> Sys_TerminalPrefix() { return {"x-terminal-emulator", "-e"}; }
