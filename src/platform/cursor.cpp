// Cursors on SDL: stock shapes as system cursors, colour cursors from pixels.
#include "platform/cursor.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <mutex>
#include <set>
#include <vector>

#include "platform/events.h"

struct PlatCursor {
  int32_t stock = -1;
  SDL_Cursor* sdl = nullptr;  // null without a screen
};

namespace {

std::mutex g_CursorLock;
std::array<PlatCursor, kPlatStockCursorCount> g_Stock;
std::set<const PlatCursor*> g_Live;
PlatCursor* g_Current = nullptr;

// SDL has no up arrow and no help cursor: both are the arrow.
constexpr SDL_SystemCursor kSdlStock[kPlatStockCursorCount] = {
    SDL_SYSTEM_CURSOR_ARROW,    SDL_SYSTEM_CURSOR_IBEAM,     SDL_SYSTEM_CURSOR_WAIT,
    SDL_SYSTEM_CURSOR_CROSSHAIR, SDL_SYSTEM_CURSOR_ARROW,    SDL_SYSTEM_CURSOR_SIZENWSE,
    SDL_SYSTEM_CURSOR_SIZENESW, SDL_SYSTEM_CURSOR_SIZEWE,    SDL_SYSTEM_CURSOR_SIZENS,
    SDL_SYSTEM_CURSOR_SIZEALL,  SDL_SYSTEM_CURSOR_NO,        SDL_SYSTEM_CURSOR_HAND,
    SDL_SYSTEM_CURSOR_WAITARROW, SDL_SYSTEM_CURSOR_ARROW,
};

bool VideoUp() { return SDL_WasInit(SDL_INIT_VIDEO) != 0; }

}  // namespace

PlatCursor* PlatCursor_Stock(int32_t number) {
  if (number < 0 || number >= kPlatStockCursorCount) number = 0;
  std::lock_guard<std::mutex> lock(g_CursorLock);
  PlatCursor* c = &g_Stock[size_t(number)];
  c->stock = number;
  return c;
}

PlatCursor* PlatCursor_CreateColor(const uint32_t* bgra, int32_t w, int32_t h, int32_t hotX,
                                   int32_t hotY) {
  if (!bgra || w < 1 || h < 1 || w > kPlatCursorMaxSide || h > kPlatCursorMaxSide) return nullptr;
  if (hotX < 0 || hotY < 0 || hotX >= w || hotY >= h) return nullptr;
  auto* c = new PlatCursor;
  {
    std::lock_guard<std::mutex> lock(g_CursorLock);
    g_Live.insert(c);
  }
  std::vector<uint32_t> px(bgra, bgra + size_t(w) * size_t(h));
  Plat_RunOnMain([c, px = std::move(px), w, h, hotX, hotY]() mutable {
    if (!VideoUp()) return;
    // ARGB8888 is B, G, R, A in memory on this little-endian target.
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(px.data(), w, h, 32, w * 4,
                                                        SDL_PIXELFORMAT_ARGB8888);
    if (!s) return;
    c->sdl = SDL_CreateColorCursor(s, hotX, hotY);
    SDL_FreeSurface(s);
  });
  return c;
}

void PlatCursor_Destroy(PlatCursor* c) {
  if (!c) return;
  {
    // Only a live colour cursor is destroyed (never a stock one, never twice).
    std::lock_guard<std::mutex> lock(g_CursorLock);
    if (!g_Live.erase(c)) return;
    if (g_Current == c) g_Current = nullptr;
  }
  Plat_RunOnMain([c] {
    if (c->sdl) SDL_FreeCursor(c->sdl);
    delete c;
  });
}

void PlatCursor_Set(PlatCursor* c) {
  if (!c) return;
  if (!PlatCursor_IsLive(c)) return;
  {
    std::lock_guard<std::mutex> lock(g_CursorLock);
    g_Current = c;
  }
  Plat_RunOnMain([c] {
    if (!VideoUp()) return;
    if (c->stock >= 0 && !c->sdl) c->sdl = SDL_CreateSystemCursor(kSdlStock[size_t(c->stock)]);
    if (c->sdl) SDL_SetCursor(c->sdl);
  });
}

PlatCursor* PlatCursor_Current() {
  std::lock_guard<std::mutex> lock(g_CursorLock);
  return g_Current;
}

int32_t PlatCursor_StockNumber(const PlatCursor* c) { return c ? c->stock : -1; }

bool PlatCursor_IsLive(const PlatCursor* c) {
  if (!c) return false;
  // Looked up by address only: a destroyed cursor's memory is gone.
  if (c >= g_Stock.data() && c < g_Stock.data() + g_Stock.size()) return true;
  std::lock_guard<std::mutex> lock(g_CursorLock);
  return g_Live.count(c) != 0;
}

bool PlatCursor_OnScreen(const PlatCursor* c) {
  return c && c->sdl && VideoUp() && SDL_GetCursor() == c->sdl;
}

void PlatCursor_ForgetScreen() {
  std::lock_guard<std::mutex> lock(g_CursorLock);
  for (PlatCursor& c : g_Stock) c.sdl = nullptr;
  for (const PlatCursor* c : g_Live) const_cast<PlatCursor*>(c)->sdl = nullptr;
}
