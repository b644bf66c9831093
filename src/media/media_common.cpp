// What the players share: window 0's geometry through the shell's hook,
// script file names in the engine's form and the file test.
#include <cstdio>
#include <cstring>

#include "base/base.h"
#include "media/media.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "vm/vm.h"

MediaWindowFn g_MediaWindowHook = nullptr;

MediaWindowInfo Media_Window0() {
  MediaWindowInfo w;
  if (g_MediaWindowHook) g_MediaWindowHook(&w);
  return w;
}

void Media_ShownRect(const MediaWindowInfo& w, const int32_t logical[4], int32_t out[4]) {
  out[0] = w.boxX + logical[0];
  out[1] = w.boxY + logical[1];
  out[2] = w.logicalW ? int32_t(int64_t(logical[2]) * w.shownW / w.logicalW) : logical[2];
  out[3] = w.logicalH ? int32_t(int64_t(logical[3]) * w.shownH / w.logicalH) : logical[3];
}

void Media_NormalizeName(const char* name, char* out, size_t cap) {
  Str_CopySjis(out, cap, name ? name : "");
  Str_ToLowerSjis(out);
  Str_ReplaceCharSjis(out, '/', '\\');
}

bool Media_FileReadable(const char* engineName) {
  std::string host;
  if (!Fs_Resolve(engineName, &host)) return false;
  std::FILE* f = std::fopen(host.c_str(), "rb");
  if (!f) return false;
  std::fclose(f);
  return true;
}

void Media_ApplyRectArgs(int first, int32_t* x, int32_t* y, int32_t* w, int32_t* h) {
  int32_t* fields[4] = {x, y, w, h};
  for (int k = 0; k < 4; ++k) {
    int s = g_ArgGiven[first + k];
    if (s) *fields[k] = int32_t(Cmd_ApplyOp(int(g_ArgSlot[s].op), *fields[k], g_ArgInt[s]));
  }
}
