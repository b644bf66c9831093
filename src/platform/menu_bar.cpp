// Menu bars of windows: a strip above the client area (the window grows by
// its height, the client keeps its size), drawn by the menu code and
// answering the mouse itself; a press on an entry drops its submenu down as
// a popup. The bar keeps its own copy of the menu, so the engine may
// rebuild or destroy its menus on another thread while the bar is shown.
#include <SDL.h>

#include <map>
#include <memory>
#include <mutex>

#include "platform/events.h"
#include "platform/menu.h"
#include "platform/window_impl.h"

PlatMenuChosenFn g_PlatMenuBarChosen = nullptr;

namespace {

// A menu and its submenus, copied; menus[0] is the bar itself.
struct BarCopy {
  std::vector<std::unique_ptr<PlatMenu>> menus;
};

struct BarState {
  std::shared_ptr<const BarCopy> copy;
  int32_t hot = -1;
};

std::mutex g_BarLock;
std::map<const PlatWindow*, BarState> g_Bars;

PlatMenu* CopyInto(BarCopy& c, const PlatMenu& m, int depth) {
  c.menus.push_back(std::make_unique<PlatMenu>(m));
  PlatMenu* mine = c.menus.back().get();
  for (PlatMenuItem& it : mine->items) {
    // A menu that reaches itself again is cut there.
    if (it.submenu) it.submenu = depth < 64 ? CopyInto(c, *it.submenu, depth + 1) : nullptr;
  }
  return mine;
}

std::shared_ptr<const BarCopy> Copy(const PlatMenu* menu) {
  if (!menu) return nullptr;
  auto c = std::make_shared<BarCopy>();
  CopyInto(*c, *menu, 0);
  return c;
}

BarState Get(const PlatWindow* w) {
  std::lock_guard<std::mutex> lock(g_BarLock);
  auto it = g_Bars.find(w);
  return it == g_Bars.end() ? BarState{} : it->second;
}

int32_t StripWidth(PlatWindow* w) {
  int sw = 0, sh = 0;
  SDL_GetWindowSize(w->sdl, &sw, &sh);
  return sw;
}

// Main thread: draws the strip and puts it on the screen.
void Paint(PlatWindow* w) {
  if (!w->sdl) return;
  BarState st = Get(w);
  std::vector<uint32_t> px;
  int32_t width = StripWidth(w);
  if (st.copy) {
    const PlatMenu& bar = *st.copy->menus[0];
    PlatMenu_DrawBar(bar, PlatMenu_LayoutBar(bar, width), st.hot, &px);
  }
  std::lock_guard<std::mutex> lock(g_PlatPresentLock);
  w->barPixels.swap(px);
  w->barPixelsW = st.copy ? width : 0;
  PlatPresent_CommitLocked(w);
}

// Main thread: the window grows or shrinks by the strip below its top edge;
// the client area keeps its size.
void SetStripHeight(PlatWindow* w, int32_t h) {
  if (!w->sdl || w->barOnly || w->barH == h) return;
  int sw = 0, sh = 0;
  SDL_GetWindowSize(w->sdl, &sw, &sh);
  int32_t delta = h - w->barH;
  w->barH = h;
  if (!w->fullscreen) SDL_SetWindowSize(w->sdl, sw, std::max(1, sh + delta));
  PlatWin_NoteSize(w);
}

void SetHot(PlatWindow* w, int32_t hot) {
  {
    std::lock_guard<std::mutex> lock(g_BarLock);
    auto it = g_Bars.find(w);
    if (it == g_Bars.end() || it->second.hot == hot) return;
    it->second.hot = hot;
  }
  Paint(w);
}

// Main thread: entry i of the bar pressed.
void Press(PlatWindow* w, const BarCopy& copy, const PlatMenuLayout& layout, int32_t i) {
  const PlatMenuItem& it = copy.menus[0]->items[size_t(i)];
  if (!PlatMenu_Selectable(it)) return;
  uint32_t id = it.id;
  if (it.submenu) {
    SetHot(w, i);
    int x = 0, y = 0;
    SDL_GetWindowPosition(w->sdl, &x, &y);
    const PlatMenuBox& b = layout.items[size_t(i)];
    id = PlatMenu_TrackPopup(*it.submenu, x + b.x, y + kMenuBarHeight, w);
    SetHot(w, -1);
    if (!id) return;
  }
  if (g_PlatMenuBarChosen) g_PlatMenuBarChosen(w, id);
}

}  // namespace

void PlatMenuBar_Attach(PlatWindow* w, const PlatMenu* menu) {
  if (!w) return;
  std::shared_ptr<const BarCopy> copy = Copy(menu);
  {
    std::lock_guard<std::mutex> lock(g_BarLock);
    if (copy) g_Bars[w] = BarState{copy, -1};
    else g_Bars.erase(w);
  }
  bool on = copy != nullptr;
  // Window records outlive their windows: the call finds a dead one idle.
  Plat_RunOnMain([w, on] {
    if (!w->sdl) return;
    SetStripHeight(w, on ? kMenuBarHeight : 0);
    Paint(w);
  });
}

const PlatMenu* PlatMenuBar_Get(const PlatWindow* w) {
  BarState st = Get(w);
  return st.copy ? st.copy->menus[0].get() : nullptr;
}

PlatWindow* PlatMenuBar_CreateStrip(int32_t index, int32_t x, int32_t y, int32_t width) {
  PlatWindowDesc d;
  d.index = index;
  d.x = x;
  d.y = y;
  d.clientW = std::max(1, width);
  d.clientH = kMenuBarHeight;
  d.bordered = false;
  d.alwaysOnTop = true;
  d.skipTaskbar = true;
  PlatWindow* w = PlatWin_Create(d);
  if (!w) return nullptr;
  w->barOnly = true;
  w->barH = kMenuBarHeight;
  PlatWin_NoteSize(w);
  return w;
}

bool PlatMenuBar_ReadStrip(PlatWindow* w, std::vector<uint32_t>* bgra, int32_t* width) {
  if (!w || !bgra) return false;
  std::lock_guard<std::mutex> lock(g_PlatPresentLock);
  SDL_Surface* s = w->sdl ? SDL_GetWindowSurface(w->sdl) : nullptr;
  int32_t rows = std::min(s ? s->h : 0, PlatWin_BarRows(w));
  if (!s || rows <= 0) return false;
  bgra->assign(size_t(s->w) * size_t(rows), 0u);
  if (SDL_MUSTLOCK(s)) SDL_LockSurface(s);
  SDL_ConvertPixels(s->w, rows, s->format->format, s->pixels, s->pitch, SDL_PIXELFORMAT_ARGB8888,
                    bgra->data(), s->w * 4);
  if (SDL_MUSTLOCK(s)) SDL_UnlockSurface(s);
  if (width) *width = s->w;
  return true;
}

bool PlatMenuBar_OnMouse(PlatWindow* w, const SDL_Event& e) {
  int32_t rows = PlatWin_BarRows(w);
  if (rows <= 0) return false;
  BarState st = Get(w);
  bool motion = e.type == SDL_MOUSEMOTION;
  int32_t x = motion ? e.motion.x : e.button.x, y = motion ? e.motion.y : e.button.y;
  if (y >= rows) {
    if (motion && st.hot >= 0) SetHot(w, -1);
    return false;
  }
  if (!st.copy) return true;
  const PlatMenu& bar = *st.copy->menus[0];
  PlatMenuLayout layout = PlatMenu_LayoutBar(bar, StripWidth(w));
  int32_t i = PlatMenu_HitTest(layout, x, y);
  if (motion) {
    SetHot(w, i >= 0 && PlatMenu_Selectable(bar.items[size_t(i)]) ? i : -1);
  } else if (e.type == SDL_MOUSEBUTTONDOWN && e.button.button == SDL_BUTTON_LEFT && i >= 0) {
    Press(w, *st.copy, layout, i);
  }
  return true;
}

void PlatMenuBar_Forget(PlatWindow* w) {
  std::lock_guard<std::mutex> lock(g_BarLock);
  g_Bars.erase(w);
}
