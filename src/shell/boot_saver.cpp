// The screen-saver command line of an executable that carries a preview.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/text.h"
#include "shell/shell.h"

namespace {

bool IsSwitch(const char* arg, char letter) {
  return arg && (arg[0] == '/' || arg[0] == '-') &&
         (arg[1] == letter || arg[1] == letter - 'a' + 'A');
}

// A window handle given as a decimal number: digits only, nonzero.
bool ParseHandle(const char* s, unsigned long long* out) {
  if (!s || !*s) return false;
  for (const char* p = s; *p; ++p)
    if (*p < '0' || *p > '9') return false;
  errno = 0;
  *out = std::strtoull(s, nullptr, 10);
  return errno == 0 && *out != 0;
}

// The preview draws into a window that belongs to the screen-saver settings
// of the desktop; this host's window layer cannot draw into a foreign
// window, so the preview is not offered. Nonzero: not created.
int Boot_CreatePreviewWindow(unsigned long long parent) {
  std::fprintf(stderr, "screen-saver preview in window %llu is not supported on this system\n",
               parent);
  return 1;
}

}  // namespace

int Boot_HandleScreenSaverArgs(int argc, char** argv) {
  const char* first = argc > 1 ? argv[1] : nullptr;
  if (argc == 3 && std::strlen(first) >= 2 && IsSwitch(first, 'p')) {
    unsigned long long parent = 0;
    if (!ParseHandle(argv[2], &parent))
      std::fprintf(stderr, "screen-saver preview: bad window handle\n");
    else
      Boot_CreatePreviewWindow(parent);
    // Without a preview window there is no loop to wait in: end at once.
    Boot_ReleaseMutexes();
    return -1;
  }
  if (argc == 3 && IsSwitch(first, 'a')) {  // password change is not offered
    Boot_ReleaseMutexes();
    return -1;
  }
  if (argc == 1 || (argc == 2 && IsSwitch(first, 'c'))) {
    static const std::string caption = Text_Utf8ToSjis("情報");
    static const std::string text = Text_Utf8ToSjis("スクリーンセーバー\n\nVersion 1.00");
    Sys_MessageBoxF(caption.c_str(), "%s", text.c_str());
    Boot_ReleaseMutexes();
    return -1;
  }
  return 0;  // for example /s: run as a screen saver
}
