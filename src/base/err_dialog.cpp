// The error dialog, the editor it opens, and the plain message box.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/editor.h"
#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/process.h"
#include "platform/text.h"
#include "base/base.h"

std::atomic<uint8_t> g_ErrDialogShown{0};

namespace {

// Editors that take a line option, by program file name (compared without
// case). {path} and {line} are filled in; each entry is one argument.
struct EditorRow {
  const char* names[3];
  const char* args[4];
};

constexpr EditorRow kEditors[] = {
    // Windows editors a game author may have named in $VISUAL.
    {{"apsaly.exe"}, {"/j{line}", "{path}"}},
    {{"EmEditor.exe"}, {"{path}", "/l", "{line}"}},
    {{"Ginnie.exe", "GinnieFE.exe", "Jcref.exe"}, {"{path}", "/r{line}"}},
    {{"JmEdit2.exe"}, {"{path}/{line}"}},
    {{"K2Editor.exe", "WZEDITOR.exe"}, {"{path}", "/j{line}"}},
    {{"MIW.exe"}, {"{path}+{line}"}},
    {{"oseditor2.exe"}, {"/j{line}", "{path}"}},
    {{"otbedit.exe"}, {"{path}", "/r{line}"}},
    {{"QXW32.exe"}, {"-J{line}", "{path}"}},
    {{"tepa.exe", "hidemaru.exe"}, {"/j{line}", "{path}"}},
    {{"TeraPad.exe"}, {"/jl={line}", "{path}"}},
    {{"whinny.exe"}, {"{path}/{line}"}},
    {{"sakura.exe"}, {"{path}", "-Y={line}"}},
    // Editors of the Linux desktop.
    {{"vi", "vim", "nvim"}, {"+{line}", "{path}"}},
    {{"gvim", "nano", "emacs"}, {"+{line}", "{path}"}},
    {{"gedit", "gnome-text-editor", "mousepad"}, {"+{line}", "{path}"}},
    {{"geany", "micro", "pluma"}, {"+{line}", "{path}"}},
    {{"kate", "kwrite"}, {"-l", "{line}", "{path}"}},
    {{"code", "codium", "subl"}, {"-g", "{path}:{line}"}},
};

bool SameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x += 32;
    if (y >= 'A' && y <= 'Z') y += 32;
    if (x != y) return false;
  }
  return true;
}

std::string Fill(std::string_view pattern, const std::string& path, int32_t line) {
  std::string out;
  for (size_t i = 0; i < pattern.size();) {
    if (pattern.compare(i, 6, "{path}") == 0) {
      out += path;
      i += 6;
    } else if (pattern.compare(i, 6, "{line}") == 0) {
      out += std::to_string(line);
      i += 6;
    } else {
      out += pattern[i++];
    }
  }
  return out;
}

// The part after the last '/' or '\' (empty when it ends with one).
std::string_view BaseName(std::string_view s) {
  size_t cut = std::string_view::npos;
  for (size_t i = 0; i < s.size(); ++i) {
    if (Sjis_IsLead(uint8_t(s[i])) && i + 1 < s.size()) {
      ++i;
      continue;
    }
    if (s[i] == '/' || s[i] == '\\') cut = i;
  }
  return cut == std::string_view::npos ? s : s.substr(cut + 1);
}

const std::string& Label(int which) {
  static const std::string close = Text_Utf8ToSjis("閉じる");
  static const std::string edit = Text_Utf8ToSjis("エディタで開く");
  return which ? edit : close;
}

// Drops a lead byte left alone at the end by a cut.
void TrimCutLead(char* s) {
  size_t i = 0;
  while (s[i]) {
    if (Sjis_IsLead(uint8_t(s[i]))) {
      if (!s[i + 1]) {
        s[i] = '\0';
        return;
      }
      i += 2;
    } else {
      ++i;
    }
  }
}

}  // namespace

std::vector<std::string> ErrDlg_EditorArgs(std::string_view editorName, const std::string& path,
                                           int32_t line) {
  std::string_view name = BaseName(editorName);
  for (const EditorRow& row : kEditors) {
    for (const char* n : row.names) {
      if (!n || !SameNoCase(name, n)) continue;
      std::vector<std::string> out;
      for (const char* a : row.args)
        if (a) out.push_back(Fill(a, path, line));
      return out;
    }
  }
  return {path};
}

bool ErrDlg_OpenEditor() {
  if (!g_ErrFile) return false;
  std::vector<std::string> argv = Sys_FindTextEditor();
  if (argv.empty()) return false;
  std::string path = Fs_ResolvePath(g_ExeDir + g_ErrFile);
  for (std::string& a : ErrDlg_EditorArgs(argv[0], path, g_ErrLine)) argv.push_back(a);
  // The engine has no terminal of its own to lend a terminal editor.
  if (Sys_IsTerminalEditor(argv[0])) {
    std::vector<std::string> wrapped = Sys_TerminalPrefix();
    wrapped.insert(wrapped.end(), argv.begin(), argv.end());
    argv = std::move(wrapped);
  }
  return Proc_Spawn(argv) == 0;
}

std::string ErrDlg_SetText(const char* text) {
  // The platform's box takes '\n' line breaks itself; only the bound stays.
  std::string bounded;
  for (const char* t = text ? text : ""; *t;) {
    size_t step = (Sjis_IsLead(uint8_t(*t)) && t[1]) ? 2 : 1;
    if (bounded.size() + step >= kErrDialogTextSize) break;
    bounded.append(t, step);
    t += step;
  }
  return bounded;
}

bool ErrDlg_Proc(int button) {
  if (button == kErrDlgEditButton) {
    ErrDlg_OpenEditor();
    return false;  // the dialog stays until it is closed
  }
  return true;
}

void ErrDlg_Show(const char* text) {
  if (g_ErrDialogShown.exchange(1)) return;  // only the first error of a run
  if (g_ErrDialogOpenHook) g_ErrDialogOpenHook();
  MsgBoxRequest req;
  req.caption = g_ErrCaption ? g_ErrCaption : "";
  req.text = ErrDlg_SetText(text);
  req.icon = MsgBoxIcon::Error;
  bool editable = g_ErrFile != nullptr;
  req.owned = true;
  // On screen the editor button leaves the dialog up, as the dialog's own
  // procedure does; a recorder answers it like any other button.
  if (g_DebugMode == 1)
    req.buttons.push_back({kErrDlgEditButton, Label(1), editable, editable, false, true});
  req.buttons.push_back(
      {kErrDlgCloseButton, Label(0), !(g_DebugMode == 1 && editable), true, true});
  req.onStayingPress = [](int id) { ErrDlg_Proc(id); };
  // A box without a screen re-appears after the editor was started.
  for (int turn = 0; turn < 64; ++turn)
    if (ErrDlg_Proc(MsgBox_Show(req))) break;
}

int Sys_MessageBoxF(const char* caption, const char* format, ...) {
  char buf[kErrTextBufferSize] = {};
  if (format) {
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(buf, sizeof buf, format, ap);
    va_end(ap);
  }
  // A cut text must not end in the first half of a double-byte character.
  TrimCutLead(buf);
  MsgBoxRequest req;
  req.caption = caption ? caption : "";
  req.defaultCaption = caption == nullptr;
  req.text = buf;
  return MsgBox_Show(req);
}
