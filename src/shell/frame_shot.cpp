// The main window's last presented frame written as a PNG at shut-down, for
// the demo script and for checking a run by eye. While the option is on,
// every presented frame is kept (the window itself is gone by the time the
// shut-down runs).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "graphics/graphics.h"
#include "platform/present.h"
#include "shell/shell.h"
#include "shell/startup.h"

namespace {

std::mutex g_ShotLock;
std::vector<uint32_t> g_Kept;
int32_t g_KeptW = 0, g_KeptH = 0;

}  // namespace

bool Frame_ScreenshotWanted() {
  static const bool wanted = [] {
    const char* p = std::getenv(kScreenshotEnv);
    return p && *p;
  }();
  return wanted;
}

void Frame_KeepShownFrame() {
  WindowRec* rec = g_WindowRecs[0];
  if (!rec || !rec->handle) return;
  std::vector<uint32_t> px;
  int32_t w = 0, h = 0;
  if (!PlatPresent_ReadCanvas(rec->handle, &px, &w, &h)) return;
  std::lock_guard<std::mutex> lock(g_ShotLock);
  g_Kept.swap(px);
  g_KeptW = w;
  g_KeptH = h;
}

int Frame_SaveLastFrame(const char* hostPath) {
  std::lock_guard<std::mutex> lock(g_ShotLock);
  int32_t w = g_KeptW, h = g_KeptH;
  if (w <= 0 || h <= 0 || g_Kept.size() < size_t(w) * size_t(h)) {
    std::fprintf(stderr, "screenshot: no frame was presented\n");
    return -1;
  }
  LayerImage img;
  img.pixels = Img_AllocPixels(nullptr, w, h, nullptr);
  if (!img.pixels) return -1;
  img.width = uint32_t(w);
  img.height = uint32_t(h);
  std::memcpy(img.pixels, g_Kept.data(), size_t(w) * size_t(h) * 4);
  int r = Img_SavePng(&img, hostPath, 6);
  std::free(img.pixels);
  img.pixels = nullptr;
  if (r == 0) std::fprintf(stderr, "screenshot: saved the last frame to %s\n", hostPath);
  return r;
}
