// Numbered error reports: text lookup, the script place, the quit flag.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include "platform/text.h"
#include "base/err_texts.h"
#include "base/base.h"

std::atomic<uint8_t> g_QuitRequested{0};
std::atomic<uint8_t> g_ShutdownRequested{0};
ErrTextTable g_ErrTextTable;
ErrPlaceFn g_ErrPlaceHook = nullptr;
ErrDialogOpenFn g_ErrDialogOpenHook = nullptr;
const char* g_ErrFile = nullptr;
int32_t g_ErrLine = 1;
const char* g_ErrCaption = "TAVREN Debug Info.";
// g_DebugMode is defined with the task runner (src/vm/task_runner.cpp).
TraceFn g_TraceHook = nullptr;
ErrObserverFn g_ErrObserver = nullptr;

namespace {

// The prefixed text (a format) and the final text of the last report.
char g_ErrFormatBuf[kErrTextBufferSize];
char g_ErrTextBuf[kErrTextBufferSize];
std::mutex g_ErrBufferLock;

void SetQuit(int quit) {
  g_QuitRequested = uint8_t(quit);
  if (quit) g_ShutdownRequested = 1;
}

// Copies `src` after `at` in the format buffer, whole characters only, and
// returns the new length.
size_t AppendBounded(size_t at, const char* src) {
  while (*src) {
    size_t step = (Sjis_IsLead(uint8_t(*src)) && src[1]) ? 2 : 1;
    if (at + step >= kErrTextBufferSize) break;
    std::memcpy(g_ErrFormatBuf + at, src, step);
    at += step;
    src += step;
  }
  g_ErrFormatBuf[at] = '\0';
  return at;
}

// Writes the place prefix for `scene` and `line`. The name goes in with
// every '%' doubled: the buffer is a format, and a scene file named
// "100%.qvs" must print as itself instead of taking an argument.
size_t WritePrefix(const char* scene, int32_t line) {
  char escaped[kErrTextBufferSize / 2];
  size_t n = 0;
  for (const char* s = scene; *s && n + 3 < sizeof escaped;) {
    size_t step = (Sjis_IsLead(uint8_t(*s)) && s[1]) ? 2 : 1;
    if (*s == '%') escaped[n++] = '%';
    std::memcpy(escaped + n, s, step);
    n += step;
    s += step;
  }
  escaped[n] = '\0';
  const ErrArg args[] = {ErrArg(static_cast<const char*>(escaped)), ErrArg(line)};
  return Err_FormatChecked(g_ErrFormatBuf, kErrTextBufferSize, Err_PlacePrefix(), args, 2);
}

const char* BuildFormat(int32_t number, int quit, bool withPlace) {
  g_ErrFile = nullptr;
  g_ErrLine = 1;
  const char* text = Err_GetText(number);
  const char* scene = nullptr;
  int32_t line = 1;
  size_t at = 0;
  if (withPlace && g_ErrPlaceHook && g_ErrPlaceHook(&scene, &line) && scene) {
    at = WritePrefix(scene, line);
    g_ErrFile = scene;
    g_ErrLine = line;
  }
  AppendBounded(at, text);
  SetQuit(quit);
  return g_ErrFormatBuf;
}

}  // namespace

const char* Err_GetText(int32_t number) {
  const char* found = nullptr;
  int32_t n = g_ErrTextTable.count;
  if (n > kErrTextTableMax) n = kErrTextTableMax;
  for (int32_t i = 0; i < n; ++i) {
    if (g_ErrTextTable.numbers[i] == uint32_t(number)) {
      found = g_ErrTextTable.texts[i];
      break;
    }
  }
  if (const char* builtIn = Err_BuiltInText(number)) return builtIn;
  return found ? found : Err_InternalText();
}

const char* Err_FormatScript(int32_t number, int quit) { return BuildFormat(number, quit, true); }
const char* Err_FormatPlain(int32_t number, int quit) { return BuildFormat(number, quit, false); }

void Err_Report(int32_t number, int quit, bool withPlace, const ErrArg* args, size_t count) {
  std::string text;
  {
    // The main and the frame thread may both report; the buffers are
    // shared, the dialog (which may wait for the user) is not held under it.
    std::lock_guard<std::mutex> lock(g_ErrBufferLock);
    const char* format = BuildFormat(number, quit, withPlace);
    Err_FormatChecked(g_ErrTextBuf, kErrTextBufferSize, format, args, count);
    text = g_ErrTextBuf;
  }
  Sys_Trace("error %d: %s", int(number), text.c_str());
  if (ErrObserverFn observer = g_ErrObserver) observer(number, quit);
  ErrDlg_Show(text.c_str());
}

void Err_Script(int32_t number, int quit) { Err_Report(number, quit, true, nullptr, 0); }
void Err_Show(int32_t number, int quit) { Err_Report(number, quit, false, nullptr, 0); }

void Sys_Trace(const char* format, ...) {
  TraceFn hook = g_TraceHook;
  if (!hook || !format) return;
  char buf[kErrTextBufferSize];
  va_list ap;
  va_start(ap, format);
  std::vsnprintf(buf, sizeof buf, format, ap);
  va_end(ap);
  hook(buf);
}
