#include "platform/present.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

#include "platform/window_impl.h"

namespace {

std::mutex g_WindowsLock;

// Canvas follows the client size; a new size starts black.
void FitCanvas(PlatWindow* w) {
  int32_t cw = w->clientW.load(), ch = w->clientH.load();
  if (cw == w->canvasW && ch == w->canvasH) return;
  w->canvasW = std::max(0, cw);
  w->canvasH = std::max(0, ch);
  w->canvas.assign(static_cast<size_t>(w->canvasW) * static_cast<size_t>(w->canvasH), 0u);
}

}  // namespace

std::unique_lock<std::mutex> PlatPresent_LockWindows() {
  return std::unique_lock<std::mutex>(g_WindowsLock);
}

// Main thread, present lock held.
void PlatPresent_CommitLocked(PlatWindow* w) {
  w->commitPending = false;
  if (!w->sdl) return;
  SDL_Surface* s = SDL_GetWindowSurface(w->sdl);
  int32_t bar = PlatWin_BarRows(w);
  if (!s || (w->canvas.empty() && !bar)) return;
  if (SDL_MUSTLOCK(s)) SDL_LockSurface(s);
  // The menu bar strip first, then the picture below it.
  int bw = std::min(s->w, w->barPixelsW), bh = std::min(s->h, bar);
  if (bw > 0 && bh > 0 && w->barPixels.size() >= size_t(bw) * size_t(bh))
    SDL_ConvertPixels(bw, bh, SDL_PIXELFORMAT_ARGB8888, w->barPixels.data(), w->barPixelsW * 4,
                      s->format->format, s->pixels, s->pitch);
  int cw = std::min(s->w, w->canvasW), ch = std::min(s->h - bh, w->canvasH);
  if (cw > 0 && ch > 0 && !w->canvas.empty())
    SDL_ConvertPixels(cw, ch, SDL_PIXELFORMAT_ARGB8888, w->canvas.data(), w->canvasW * 4,
                      s->format->format, static_cast<uint8_t*>(s->pixels) + size_t(bh) * s->pitch,
                      s->pitch);
  if (SDL_MUSTLOCK(s)) SDL_UnlockSurface(s);
  SDL_UpdateWindowSurface(w->sdl);
}

void PlatPresent_Blit(PlatWindow* w, const uint8_t* src, int32_t srcW, int32_t srcH,
                      int32_t pitch, int32_t dstX, int32_t dstY, int32_t dstW, int32_t dstH) {
  if (!w || !src || srcW <= 0 || srcH <= 0 || dstW <= 0 || dstH <= 0) return;
  std::lock_guard<std::mutex> lock(g_PlatPresentLock);
  if (!w->sdl) return;  // destroyed while the frame was on its way
  FitCanvas(w);
  int32_t x0 = std::max(0, dstX), y0 = std::max(0, dstY);
  int32_t x1 = std::min(w->canvasW, dstX + dstW), y1 = std::min(w->canvasH, dstY + dstH);
  if (x0 >= x1 || y0 >= y1) return;
  bool same = srcW == dstW && srcH == dstH;
  for (int32_t y = y0; y < y1; ++y) {
    int64_t sy = same ? y - dstY : static_cast<int64_t>(y - dstY) * srcH / dstH;
    const uint8_t* row = src + sy * pitch;
    uint32_t* out = w->canvas.data() + static_cast<size_t>(y) * static_cast<size_t>(w->canvasW);
    if (same) {
      std::memcpy(out + x0, row + static_cast<size_t>(x0 - dstX) * 4,
                  static_cast<size_t>(x1 - x0) * 4);
      continue;
    }
    for (int32_t x = x0; x < x1; ++x) {
      int64_t sx = static_cast<int64_t>(x - dstX) * srcW / dstW;
      std::memcpy(out + x, row + sx * 4, 4);
    }
  }
}

void PlatPresent_Commit(PlatWindow* w) {
  if (!w) return;
  std::lock_guard<std::mutex> lock(g_PlatPresentLock);
  if (Plat_IsMainThread()) PlatPresent_CommitLocked(w);
  else w->commitPending = true;
}

bool PlatPresent_ReadBack(PlatWindow* w, std::vector<uint32_t>* bgra, int32_t* width,
                          int32_t* height) {
  if (!w || !bgra) return false;
  std::lock_guard<std::mutex> lock(g_PlatPresentLock);
  SDL_Surface* s = w->sdl ? SDL_GetWindowSurface(w->sdl) : nullptr;
  if (!s) return false;
  // The client area only: a menu bar strip above it is the frame's.
  int32_t bar = std::min(s->h, PlatWin_BarRows(w)), h = s->h - bar;
  bgra->assign(static_cast<size_t>(s->w) * static_cast<size_t>(h), 0u);
  if (SDL_MUSTLOCK(s)) SDL_LockSurface(s);
  if (h > 0)
    SDL_ConvertPixels(s->w, h, s->format->format,
                      static_cast<const uint8_t*>(s->pixels) + size_t(bar) * s->pitch, s->pitch,
                      SDL_PIXELFORMAT_ARGB8888, bgra->data(), s->w * 4);
  if (SDL_MUSTLOCK(s)) SDL_UnlockSurface(s);
  if (width) *width = s->w;
  if (height) *height = h;
  return true;
}

bool PlatPresent_ReadCanvas(PlatWindow* w, std::vector<uint32_t>* bgra, int32_t* width,
                            int32_t* height) {
  if (!w || !bgra) return false;
  std::lock_guard<std::mutex> lock(g_PlatPresentLock);
  *bgra = w->canvas;
  if (width) *width = w->canvasW;
  if (height) *height = w->canvasH;
  return true;
}
