// Popup menus in borderless popup windows of the engine-drawn toolkit: one
// window per open level, each level running the toolkit's modal loop inside
// the loop of the level that opened it, until an item is chosen or the
// popup is dismissed.
#include <memory>
#include <mutex>
#include <vector>

#include "platform/events.h"
#include "platform/menu.h"
#include "platform/ui_window.h"
#include "platform/window.h"

PlatMenuTurnFn g_PlatMenuTurnHook = nullptr;

namespace {

// Virtual keys the popup answers.
constexpr int32_t kVkEnter = 13, kVkEscape = 27, kVkSpace = 32, kVkLeft = 37, kVkUp = 38,
                  kVkRight = 39, kVkDown = 40;

struct Level {
  const PlatMenu* menu = nullptr;
  PlatMenuLayout layout;
  UiWindowPtr win;
  PlatRect screen;
  int32_t hot = -1;
};

struct Track {
  std::vector<std::unique_ptr<Level>> levels;
  PlatWindow* owner = nullptr;
  uint32_t chosen = 0;
  bool finished = false;  // chosen or dismissed: every level closes
  int32_t backTo = -1;    // levels above this one close, it goes on
};

std::mutex g_OpenLock;
std::vector<PlatRect> g_Open;  // screen rectangles of the open levels, for tests

void NoteOpen(const Track& t) {
  std::lock_guard<std::mutex> lock(g_OpenLock);
  g_Open.clear();
  for (const auto& l : t.levels) g_Open.push_back(l->screen);
}

void Redraw(Level& l) {
  UiCanvas& c = UiWindow_Canvas(l.win.get());
  PlatMenu_DrawPopup(*l.menu, l.layout, l.hot, &c.px);
  UiWindow_Present(l.win.get());
}

bool Inside(const PlatRect& r, int32_t x, int32_t y) {
  return x >= r.x && y >= r.y && x < r.x + r.w && y < r.y + r.h;
}

// The open level under a desktop point, -1 for none.
int32_t LevelAt(const Track& t, int32_t x, int32_t y) {
  for (int32_t k = int32_t(t.levels.size()) - 1; k >= 0; --k)
    if (Inside(t.levels[size_t(k)]->screen, x, y)) return k;
  return -1;
}

bool OpenLevel(Track& t, const PlatMenu& menu, int32_t x, int32_t y) {
  auto l = std::make_unique<Level>();
  l->menu = &menu;
  l->layout = PlatMenu_LayoutPopup(menu);
  UiWindowDesc d;
  d.w = l->layout.width;
  d.h = l->layout.height;
  d.x = x;
  d.y = y;
  d.popup = true;
  d.owner = t.owner;
  l->win = UiWindow_Open(d);
  if (!l->win) return false;
  UiWindow_ScreenRect(l->win.get(), &l->screen);
  t.levels.push_back(std::move(l));
  NoteOpen(t);
  Redraw(*t.levels.back());
  return true;
}

void RunLevel(Track& t, int32_t n);

// Opens the submenu of item i of level n and runs it; false when the level
// n must end as well (a choice, a dismissal, or a press on a level below).
bool OpenSub(Track& t, int32_t n, int32_t i, bool selectFirst) {
  Level& l = *t.levels[size_t(n)];
  const PlatMenuItem& it = l.menu->items[size_t(i)];
  const PlatMenuBox& b = l.layout.items[size_t(i)];
  if (!OpenLevel(t, *it.submenu, l.screen.x + l.layout.width - kMenuBorder * 2,
                 l.screen.y + b.y - kMenuBorder))
    return true;
  Level& sub = *t.levels.back();
  if (selectFirst) {
    sub.hot = PlatMenu_NextSelectable(*sub.menu, -1, 1);
    Redraw(sub);
  }
  RunLevel(t, n + 1);
  t.levels.pop_back();
  NoteOpen(t);
  if (t.finished) return false;
  if (t.backTo >= 0 && t.backTo < n) return false;
  t.backTo = -1;
  return true;
}

// An item of level n taken: a submenu opens, any other selectable item ends
// the popup with its id. False when level n ends.
bool Take(Track& t, int32_t n, int32_t i) {
  Level& l = *t.levels[size_t(n)];
  if (i < 0 || i >= int32_t(l.menu->items.size())) return true;
  const PlatMenuItem& it = l.menu->items[size_t(i)];
  if (!PlatMenu_Selectable(it)) return true;
  if (it.submenu) return OpenSub(t, n, i, true);
  t.chosen = it.id;
  t.finished = true;
  return false;
}

bool OnKey(Track& t, int32_t n, int32_t key) {
  Level& l = *t.levels[size_t(n)];
  switch (key) {
    case kVkUp:
    case kVkDown:
      l.hot = PlatMenu_NextSelectable(*l.menu, l.hot, key == kVkDown ? 1 : -1);
      Redraw(l);
      return true;
    case kVkRight:
      if (l.hot >= 0 && l.menu->items[size_t(l.hot)].submenu) return OpenSub(t, n, l.hot, true);
      return true;
    case kVkLeft: return n == 0;
    case kVkEscape:
      if (n == 0) t.finished = true;
      return false;
    case kVkEnter:
    case kVkSpace: return Take(t, n, l.hot);
    default: return true;
  }
}

bool OnMove(Track& t, int32_t n, int32_t x, int32_t y) {
  Level& l = *t.levels[size_t(n)];
  int32_t i = PlatMenu_HitTest(l.layout, x, y);
  if (i == l.hot) return true;
  l.hot = i;
  Redraw(l);
  if (i >= 0 && l.menu->items[size_t(i)].submenu && PlatMenu_Selectable(l.menu->items[size_t(i)]))
    return OpenSub(t, n, i, false);
  return true;
}

// A press somewhere else: on a lower level it closes the levels above that
// one; anywhere outside the popup it dismisses it.
bool OnOutside(Track& t, int32_t n) {
  int32_t gx = 0, gy = 0;
  int32_t k = PlatMouse_GlobalPos(&gx, &gy) ? LevelAt(t, gx, gy) : -1;
  if (k >= 0 && k < n) {
    t.backTo = k;
    return false;
  }
  if (k == n) return true;
  t.finished = true;
  return false;
}

// While a submenu is open the levels below it hear nothing: the pointer
// resting on another item of one of them closes the levels above it.
bool OnTick(Track& t, int32_t n) {
  int32_t gx = 0, gy = 0;
  if (!PlatMouse_GlobalPos(&gx, &gy)) return true;
  int32_t k = LevelAt(t, gx, gy);
  if (k < 0 || k >= n) return true;
  Level& low = *t.levels[size_t(k)];
  int32_t i = PlatMenu_HitTest(low.layout, gx - low.screen.x, gy - low.screen.y);
  if (i < 0 || i == low.hot) return true;
  t.backTo = k;
  return false;
}

void RunLevel(Track& t, int32_t n) {
  UiWindow* w = t.levels[size_t(n)]->win.get();
  UiEnd end = UiWindow_RunModal(w, [&t, n](const UiEvent& ev) {
    if (g_PlatMenuTurnHook) g_PlatMenuTurnHook();
    if (t.finished || (t.backTo >= 0 && t.backTo < n)) return false;
    switch (ev.kind) {
      case UiEventKind::KeyDown: return OnKey(t, n, ev.key);
      case UiEventKind::MouseMove: return OnMove(t, n, ev.x, ev.y);
      case UiEventKind::ButtonUp:
        if (ev.button != 1 && ev.button != 2) return true;
        return Take(t, n, PlatMenu_HitTest(t.levels[size_t(n)]->layout, ev.x, ev.y));
      case UiEventKind::OutsidePress: return OnOutside(t, n);
      case UiEventKind::Close: t.finished = true; return false;
      case UiEventKind::Tick: return OnTick(t, n);
      default: return true;
    }
  });
  if (end == UiEnd::BySignal) t.finished = true;
}

uint32_t TrackOnMain(const PlatMenu& menu, int32_t x, int32_t y, PlatWindow* owner) {
  Track t;
  t.owner = owner;
  if (!OpenLevel(t, menu, x, y)) return 0;
  RunLevel(t, 0);
  t.levels.clear();
  NoteOpen(t);
  return t.chosen;
}

}  // namespace

uint32_t PlatMenu_TrackPopup(const PlatMenu& menu, int32_t x, int32_t y, PlatWindow* owner) {
  if (!UiWindow_CanShow()) return 0;
  uint32_t chosen = 0;
  Plat_RunOnMainWait([&] { chosen = TrackOnMain(menu, x, y, owner); });
  return chosen;
}

std::vector<PlatRect> PlatMenu_OpenPopups() {
  std::lock_guard<std::mutex> lock(g_OpenLock);
  return g_Open;
}
