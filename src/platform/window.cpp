#include "platform/window.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "platform/cursor.h"
#include "platform/displays.h"
#include "platform/text.h"
#include "platform/window_impl.h"
#include "platform/x11_errors.h"

std::mutex g_PlatPresentLock;

namespace {

std::vector<PlatWindow*> g_Windows;  // guarded by g_PlatPresentLock
// Destroyed windows: the records stay until the process ends, so a thread
// that still holds one (a frame being presented) finds a dead window, never
// freed memory.
std::vector<std::unique_ptr<PlatWindow>> g_DeadWindows;
std::thread::id g_MainThread;
bool g_VideoUp = false;

// Without a session bus, SDL's video start-up has D-Bus launch one through
// the X display (a daemon left behind and memory never given back); the
// engine needs no such bus. Set before main, so it holds whichever part of
// the engine starts SDL first.
const bool kNoBusAutolaunch = [] {
  if (!std::getenv("DBUS_SESSION_BUS_ADDRESS")) setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
  return true;
}();
bool g_CursorShown = true;
bool g_FakeMouse = false;
int32_t g_FakeMouseX = 0, g_FakeMouseY = 0;

SDL_HitTestResult HitTest(SDL_Window*, const SDL_Point* p, void* data) {
  PlatWindow* w = static_cast<PlatWindow*>(data);
  int32_t y = p->y - PlatWin_BarRows(w);
  if (w && y >= 0 && w->dragTest && w->dragTest(w->index, p->x, y)) return SDL_HITTEST_DRAGGABLE;
  return SDL_HITTEST_NORMAL;
}

}  // namespace

bool Plat_VideoInit() {
  if (g_VideoUp) return true;
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return false;
  // Ours, not Xlib's exit(), ends the process when the X server goes away.
  PlatX11_InstallIoErrorHandler();
  // Joysticks are optional: a host without them still gets windows.
  SDL_InitSubSystem(SDL_INIT_JOYSTICK);
  SDL_EventState(SDL_DROPFILE, SDL_ENABLE);
  SDL_EventState(SDL_DROPBEGIN, SDL_ENABLE);
  SDL_EventState(SDL_DROPCOMPLETE, SDL_ENABLE);
  g_MainThread = std::this_thread::get_id();
  g_VideoUp = true;
  return true;
}

void Plat_VideoQuit() {
  if (g_VideoUp) PlatCursor_ForgetScreen();
  // SDL counts its starts: the display queries may have started the video
  // before the windows did. Every start ends here, so that the next
  // Plat_VideoInit connects again with the driver then asked for.
  while (SDL_WasInit(SDL_INIT_JOYSTICK)) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  while (SDL_WasInit(SDL_INIT_VIDEO)) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  while (SDL_WasInit(SDL_INIT_EVENTS)) SDL_QuitSubSystem(SDL_INIT_EVENTS);
  g_VideoUp = false;
}

bool Plat_IsMainThread() { return !g_VideoUp || std::this_thread::get_id() == g_MainThread; }

const char* Plat_VideoDriver() {
  const char* d = g_VideoUp ? SDL_GetCurrentVideoDriver() : nullptr;
  return d ? d : "";
}

PlatWindow* PlatWin_Create(const PlatWindowDesc& desc) {
  if (!Plat_VideoInit()) return nullptr;
  uint32_t flags = SDL_WINDOW_HIDDEN;
  if (!desc.bordered) flags |= SDL_WINDOW_BORDERLESS;
  if (desc.resizable) flags |= SDL_WINDOW_RESIZABLE;
  if (desc.alwaysOnTop) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
  if (desc.skipTaskbar) flags |= SDL_WINDOW_SKIP_TASKBAR;
  SDL_Window* s = SDL_CreateWindow("", desc.x, desc.y, std::max(1, desc.clientW),
                                   std::max(1, desc.clientH), flags);
  if (!s) return nullptr;
  PlatWindow* w = new PlatWindow;
  w->sdl = s;
  w->sdlId = SDL_GetWindowID(s);
  w->index = desc.index;
  PlatWin_NoteSize(w);
  std::lock_guard<std::mutex> lock(g_PlatPresentLock);
  g_Windows.push_back(w);
  return w;
}

void PlatWin_Destroy(PlatWindow* w) {
  if (!w) return;
  PlatMenuBar_Forget(w);
  std::lock_guard<std::mutex> lock(g_PlatPresentLock);
  g_Windows.erase(std::remove(g_Windows.begin(), g_Windows.end(), w), g_Windows.end());
  SDL_DestroyWindow(w->sdl);
  w->sdl = nullptr;
  w->sdlId = 0;
  w->dragTest = nullptr;
  w->canvas.clear();
  w->canvas.shrink_to_fit();
  w->canvasW = w->canvasH = 0;
  w->clientW = w->clientH = 0;
  w->commitPending = false;
  g_DeadWindows.emplace_back(w);
}

int32_t PlatWin_Index(const PlatWindow* w) { return w ? w->index : -1; }

PlatWindow* PlatWin_FromIndex(int32_t index) {
  std::lock_guard<std::mutex> lock(g_PlatPresentLock);
  for (auto it = g_Windows.rbegin(); it != g_Windows.rend(); ++it)
    if ((*it)->index == index) return *it;
  return nullptr;
}

void PlatWin_NoteSize(PlatWindow* w) {
  int cw = 0, ch = 0;
  SDL_GetWindowSize(w->sdl, &cw, &ch);
  w->clientW = cw;
  w->clientH = std::max(0, ch - PlatWin_BarRows(w));
}

void PlatPresent_CommitPending() {
  std::lock_guard<std::mutex> lock(g_PlatPresentLock);
  for (PlatWindow* w : g_Windows)
    if (w->commitPending) PlatPresent_CommitLocked(w);
}

PlatWindow* PlatWin_FromSdlId(uint32_t id) {
  std::lock_guard<std::mutex> lock(g_PlatPresentLock);
  for (PlatWindow* w : g_Windows)
    if (w->sdlId == id) return w;
  return nullptr;
}

void PlatWin_SetTitle(PlatWindow* w, std::string_view sjis) {
  if (w) SDL_SetWindowTitle(w->sdl, Text_SjisToUtf8(sjis).c_str());
}

bool PlatWin_SetIcon(PlatWindow* w, const uint32_t* bgra, int32_t width, int32_t height) {
  if (!w || !bgra || width <= 0 || height <= 0) return false;
  // ARGB8888 is B, G, R, A in memory on this little-endian target.
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(bgra), width, height,
                                                      32, width * 4, SDL_PIXELFORMAT_ARGB8888);
  if (!s) return false;
  SDL_SetWindowIcon(w->sdl, s);
  SDL_FreeSurface(s);
  return true;
}

void PlatWin_SetBordered(PlatWindow* w, bool on) {
  if (w) SDL_SetWindowBordered(w->sdl, on ? SDL_TRUE : SDL_FALSE);
}
void PlatWin_SetResizable(PlatWindow* w, bool on) {
  if (w) SDL_SetWindowResizable(w->sdl, on ? SDL_TRUE : SDL_FALSE);
}
void PlatWin_SetAlwaysOnTop(PlatWindow* w, bool on) {
  if (w) SDL_SetWindowAlwaysOnTop(w->sdl, on ? SDL_TRUE : SDL_FALSE);
}
bool PlatWin_SetOpacity(PlatWindow* w, float opacity) {
  return w && SDL_SetWindowOpacity(w->sdl, std::clamp(opacity, 0.0f, 1.0f)) == 0;
}

void PlatWin_Show(PlatWindow* w) { if (w) SDL_ShowWindow(w->sdl); }
void PlatWin_Hide(PlatWindow* w) { if (w) SDL_HideWindow(w->sdl); }
void PlatWin_Raise(PlatWindow* w) { if (w) SDL_RaiseWindow(w->sdl); }
void PlatWin_Minimize(PlatWindow* w) { if (w) SDL_MinimizeWindow(w->sdl); }
void PlatWin_Maximize(PlatWindow* w) { if (w) SDL_MaximizeWindow(w->sdl); }
void PlatWin_Restore(PlatWindow* w) { if (w) SDL_RestoreWindow(w->sdl); }

bool PlatWin_IsShown(const PlatWindow* w) {
  return w && (SDL_GetWindowFlags(w->sdl) & SDL_WINDOW_SHOWN) != 0;
}
bool PlatWin_IsMinimized(const PlatWindow* w) {
  return w && (SDL_GetWindowFlags(w->sdl) & SDL_WINDOW_MINIMIZED) != 0;
}
bool PlatWin_IsMaximized(const PlatWindow* w) {
  return w && (SDL_GetWindowFlags(w->sdl) & SDL_WINDOW_MAXIMIZED) != 0;
}

bool PlatWin_GetClientRect(const PlatWindow* w, PlatRect* out) {
  if (!w || !out) return false;
  SDL_GetWindowPosition(w->sdl, &out->x, &out->y);
  SDL_GetWindowSize(w->sdl, &out->w, &out->h);
  // The menu bar strip belongs to the frame, as a system menu bar would.
  int32_t bar = PlatWin_BarRows(w);
  out->y += bar;
  out->h = std::max(0, out->h - bar);
  return true;
}

void PlatWin_GetFrame(const PlatWindow* w, int32_t* left, int32_t* top, int32_t* right,
                      int32_t* bottom) {
  int t = 0, l = 0, b = 0, r = 0;
  if (w && SDL_GetWindowBordersSize(w->sdl, &t, &l, &b, &r) != 0) t = l = b = r = 0;
  t += PlatWin_BarRows(w);
  if (left) *left = l;
  if (top) *top = t;
  if (right) *right = r;
  if (bottom) *bottom = b;
}

void PlatWin_SetClientRect(PlatWindow* w, int32_t x, int32_t y, int32_t width, int32_t height) {
  if (!w) return;
  int32_t bar = PlatWin_BarRows(w);
  SDL_SetWindowPosition(w->sdl, x, y - bar);
  if (width > 0 && height > 0) SDL_SetWindowSize(w->sdl, width, height + bar);
  PlatWin_NoteSize(w);
}

void PlatWin_SetPosition(PlatWindow* w, int32_t x, int32_t y) {
  if (w) SDL_SetWindowPosition(w->sdl, x, y - PlatWin_BarRows(w));
}

void PlatWin_SetTrackLimits(PlatWindow* w, int32_t minW, int32_t minH, int32_t maxW,
                            int32_t maxH) {
  if (!w) return;
  int32_t bar = PlatWin_BarRows(w);
  SDL_SetWindowMinimumSize(w->sdl, std::max(1, minW), std::max(1, minH) + bar);
  // SDL has no "unlimited" maximum: use a size no display reaches.
  SDL_SetWindowMaximumSize(w->sdl, maxW > 0 ? maxW : 16384, maxH > 0 ? maxH + bar : 16384);
}

bool PlatWin_EnterFullscreen(PlatWindow* w, int32_t display, int32_t width, int32_t height,
                             int32_t bpp, bool desktop) {
  if (!w) return false;
  PlatDisplayMode want{width, height, bpp, 0};
  if (PlatDisplay_IsFake()) {
    if (!PlatDisplay_FakeSwitch(display, want)) return false;
    w->fullscreen = true;
    return true;
  }
  SDL_SetWindowPosition(w->sdl, SDL_WINDOWPOS_CENTERED_DISPLAY(display),
                        SDL_WINDOWPOS_CENTERED_DISPLAY(display));
  if (desktop) {
    if (SDL_SetWindowFullscreen(w->sdl, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) return false;
  } else {
    SDL_DisplayMode asked{0, width, height, 0, nullptr}, got{};
    if (!SDL_GetClosestDisplayMode(display, &asked, &got) || got.w != width || got.h != height)
      return false;
    if (SDL_SetWindowDisplayMode(w->sdl, &got) != 0) return false;
    if (SDL_SetWindowFullscreen(w->sdl, SDL_WINDOW_FULLSCREEN) != 0) return false;
  }
  w->fullscreen = true;
  PlatWin_NoteSize(w);
  return true;
}

bool PlatWin_LeaveFullscreen(PlatWindow* w) {
  if (!w) return false;
  if (PlatDisplay_IsFake()) PlatDisplay_FakeSwitch(-1, PlatDisplayMode{0, 0, 0, 0});
  bool ok = true;
  if (SDL_GetWindowFlags(w->sdl) & SDL_WINDOW_FULLSCREEN)
    ok = SDL_SetWindowFullscreen(w->sdl, 0) == 0;
  w->fullscreen = false;
  PlatWin_NoteSize(w);
  return ok;
}

bool PlatWin_IsFullscreen(const PlatWindow* w) { return w && w->fullscreen; }

int32_t PlatWin_DisplayIndex(const PlatWindow* w) {
  if (!w) return 0;
  if (PlatDisplay_IsFake()) {
    PlatRect r;
    PlatWin_GetClientRect(w, &r);
    return PlatDisplay_AtPoint(r.x + r.w / 2, r.y + r.h / 2);
  }
  int i = SDL_GetWindowDisplayIndex(w->sdl);
  return i < 0 ? 0 : i;
}

void PlatWin_SetDragTest(PlatWindow* w, PlatDragTestFn fn) {
  if (!w) return;
  w->dragTest = fn;
  SDL_SetWindowHitTest(w->sdl, fn ? HitTest : nullptr, fn ? w : nullptr);
}

void Plat_SetScreenSaverBlocked(bool blocked) {
  if (!g_VideoUp) return;
  if (blocked) SDL_DisableScreenSaver();
  else SDL_EnableScreenSaver();
}

void PlatCursor_Show(bool shown) {
  g_CursorShown = shown;
  if (g_VideoUp) SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE);
}

bool PlatCursor_IsShown() { return g_CursorShown; }

bool PlatMouse_GlobalPos(int32_t* x, int32_t* y) {
  int gx = 0, gy = 0;
  if (g_FakeMouse) {
    gx = g_FakeMouseX;
    gy = g_FakeMouseY;
  } else if (g_VideoUp) {
    SDL_GetGlobalMouseState(&gx, &gy);
  } else {
    return false;
  }
  if (x) *x = gx;
  if (y) *y = gy;
  return true;
}

void PlatMouse_Warp(int32_t x, int32_t y) {
  if (g_FakeMouse) {
    g_FakeMouseX = x;
    g_FakeMouseY = y;
  } else if (g_VideoUp) {
    SDL_WarpMouseGlobal(x, y);
  }
}

void PlatMouse_SetFake(bool on, int32_t x, int32_t y) {
  g_FakeMouse = on;
  g_FakeMouseX = x;
  g_FakeMouseY = y;
}
