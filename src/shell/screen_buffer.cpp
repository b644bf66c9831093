// The shown-size screen buffer. Size handlers on the main thread only ask
// for a size; the thread that presents re-allocates before it presents, so
// a scaler never writes into a buffer that a resize has freed.
#include <cstdio>
#include <cstdlib>

#include "platform/text.h"
#include "shell/shell.h"

ScreenBuffer g_ScreenBuffer;
std::mutex g_ScreenLock;

namespace {
bool g_Pending = false;
int32_t g_PendingW = 0, g_PendingH = 0;
}  // namespace

size_t Screen_BufferBytes(int32_t w, int32_t h) {
  if (w <= 0 || h <= 0) return 0;
  size_t row = static_cast<size_t>(w) * 4;
  return row * static_cast<size_t>(h) + row + 4;
}

namespace {

enum AllocResult { kAllocOk, kAllocTooWide, kAllocFailed };

// Lock held. Leaves no buffer on failure; the caller reports after the lock
// is gone (a report may wait for the main thread, which may want the lock).
AllocResult AllocLocked(int32_t w, int32_t h) {
  size_t bytes = Screen_BufferBytes(w, h);
  void* p = nullptr;
  if (w <= kScreenBufferMaxWidth && bytes) p = std::realloc(g_ScreenBuffer.pixels, bytes);
  if (!p) {
    std::free(g_ScreenBuffer.pixels);
    g_ScreenBuffer = ScreenBuffer{};
    return w > kScreenBufferMaxWidth ? kAllocTooWide : kAllocFailed;
  }
  g_ScreenBuffer.pixels = static_cast<uint8_t*>(p);
  g_ScreenBuffer.width = w;
  g_ScreenBuffer.height = h;
  return kAllocOk;
}

int Report(AllocResult r, int32_t w, int32_t h) {
  if (r == kAllocOk) return 0;
  if (r == kAllocTooWide) {
    static const std::string kFmt = Text_Utf8ToSjis("ＣＧサイズが大きすぎます。X=%d, Y=%d");
    char text[160];
    std::snprintf(text, sizeof text, kFmt.c_str(), w, h);
    g_WndUi.box("", text);
    g_WndUi.error(100010, 1);
  } else {
    g_WndUi.error(104030, 1);
  }
  return -1;
}

}  // namespace

int Screen_AllocBuffer(int32_t w, int32_t h) {
  AllocResult r;
  {
    std::lock_guard<std::mutex> lock(g_ScreenLock);
    g_Pending = false;
    r = AllocLocked(w, h);
  }
  return Report(r, w, h);
}

void Screen_RequestBuffer(int32_t w, int32_t h) {
  std::lock_guard<std::mutex> lock(g_ScreenLock);
  g_Pending = true;
  g_PendingW = w;
  g_PendingH = h;
}

void Screen_ApplyPendingBuffer() {
  AllocResult r;
  int32_t w, h;
  {
    std::lock_guard<std::mutex> lock(g_ScreenLock);
    if (!g_Pending) return;
    g_Pending = false;
    w = g_PendingW;
    h = g_PendingH;
    if (g_ScreenBuffer.pixels && w == g_ScreenBuffer.width && h == g_ScreenBuffer.height) return;
    r = AllocLocked(w, h);
  }
  Report(r, w, h);
}

void Screen_FreeBuffer() {
  std::lock_guard<std::mutex> lock(g_ScreenLock);
  std::free(g_ScreenBuffer.pixels);
  g_ScreenBuffer = ScreenBuffer{};
  g_Pending = false;
}
