// Engine-drawn windows on SDL: a plain SDL window whose surface shows the
// canvas, not one of the engine's numbered windows (the window procedure
// never sees its events), and the modal loop that takes its events.
#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "platform/events.h"
#include "platform/input_keys.h"
#include "platform/signals.h"
#include "platform/text.h"
#include "platform/ui_window.h"
#include "platform/window_impl.h"

struct UiWindow {
  SDL_Window* sdl = nullptr;
  uint32_t id = 0;
  UiCanvas canvas;
  bool shown = false;
  bool typingBefore = false;  // the engine's text input when the window opened
};

void UiWindowDeleter::operator()(UiWindow* w) const {
  if (!w) return;
  if (w->sdl) SDL_DestroyWindow(w->sdl);
  delete w;
}

namespace {

constexpr uint32_t kUiWaitMs = 20;      // longest wait for an event (signals are seen in it)
constexpr size_t kKeptEventsMax = 256;  // engine events held back during one loop

std::mutex g_ModalLock;
std::vector<UiWindow*> g_ModalStack;  // innermost last; main thread writes, tests read

bool HeadlessDriver(const char* name) {
  return name && (SDL_strcasecmp(name, "dummy") == 0 || SDL_strcasecmp(name, "offscreen") == 0);
}

// Position of a w x h window: centred over the owner when it is on the
// screen, else centred in the work area; kept inside the work area.
void Place(const UiWindowDesc& d, const PlatRect& area, int32_t* x, int32_t* y) {
  int32_t cx = area.x + area.w / 2, cy = area.y + area.h / 2;
  if (d.owner && d.owner->sdl &&
      (SDL_GetWindowFlags(d.owner->sdl) & (SDL_WINDOW_SHOWN | SDL_WINDOW_MINIMIZED)) ==
          SDL_WINDOW_SHOWN) {
    int ox = 0, oy = 0, ow = 0, oh = 0;
    SDL_GetWindowPosition(d.owner->sdl, &ox, &oy);
    SDL_GetWindowSize(d.owner->sdl, &ow, &oh);
    cx = ox + ow / 2;
    cy = oy + oh / 2;
  }
  *x = d.x != kUiCentred ? d.x : cx - d.w / 2;
  *y = d.y != kUiCentred ? d.y : cy - d.h / 2;
  *x = std::max(area.x, std::min(*x, area.x + area.w - d.w));
  *y = std::max(area.y, std::min(*y, area.y + area.h - d.h));
}

bool Translate(const SDL_Event& e, UiEvent* ev) {
  switch (e.type) {
    case SDL_KEYDOWN: {
      ev->kind = UiEventKind::KeyDown;
      ev->key = Keys_VkFromScancode(e.key.keysym.scancode);
      uint16_t mod = e.key.keysym.mod;
      ev->shift = (mod & KMOD_SHIFT) != 0;
      ev->ctrl = (mod & KMOD_CTRL) != 0;
      ev->alt = (mod & KMOD_ALT) != 0;
      ev->repeat = e.key.repeat != 0;
      return ev->key != 0;
    }
    case SDL_TEXTINPUT:
      ev->kind = UiEventKind::Text;
      ev->text = Text_Utf8ToSjis(e.text.text);
      return !ev->text.empty();
    case SDL_TEXTEDITING:
      ev->kind = UiEventKind::Editing;
      ev->text = Text_Utf8ToSjis(e.edit.text);
      ev->caret = e.edit.start;
      return true;
    case SDL_MOUSEMOTION:
      ev->kind = UiEventKind::MouseMove;
      ev->x = e.motion.x;
      ev->y = e.motion.y;
      return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      ev->kind = e.type == SDL_MOUSEBUTTONDOWN ? UiEventKind::ButtonDown : UiEventKind::ButtonUp;
      ev->button = e.button.button == SDL_BUTTON_LEFT    ? 1
                   : e.button.button == SDL_BUTTON_RIGHT ? 2
                   : e.button.button == SDL_BUTTON_MIDDLE ? 4
                                                          : 0;
      ev->x = e.button.x;
      ev->y = e.button.y;
      return ev->button != 0;
    case SDL_MOUSEWHEEL:
      ev->kind = UiEventKind::Wheel;
      ev->y = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
      return ev->y != 0;
    case SDL_WINDOWEVENT:
      switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE: ev->kind = UiEventKind::Close; return true;
        case SDL_WINDOWEVENT_FOCUS_GAINED: ev->kind = UiEventKind::FocusGained; return true;
        case SDL_WINDOWEVENT_FOCUS_LOST: ev->kind = UiEventKind::FocusLost; return true;
        default: return false;
      }
    default: return false;
  }
}

// The window an event is meant for (0 when none).
uint32_t WindowOf(const SDL_Event& e) {
  switch (e.type) {
    case SDL_WINDOWEVENT: return e.window.windowID;
    case SDL_KEYDOWN:
    case SDL_KEYUP: return e.key.windowID;
    case SDL_TEXTINPUT: return e.text.windowID;
    case SDL_TEXTEDITING: return e.edit.windowID;
    case SDL_MOUSEMOTION: return e.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: return e.button.windowID;
    case SDL_MOUSEWHEEL: return e.wheel.windowID;
    default: return 0;
  }
}

// Input of any kind: it never reaches the engine while a modal window is up.
// Devices coming and going are not input: the engine still has to hear of them.
bool IsInput(uint32_t type) {
  switch (type) {
    case SDL_JOYDEVICEADDED:
    case SDL_JOYDEVICEREMOVED:
    case SDL_CONTROLLERDEVICEADDED:
    case SDL_CONTROLLERDEVICEREMOVED:
    case SDL_CONTROLLERDEVICEREMAPPED: return false;
    default: return type >= SDL_KEYDOWN && type < SDL_CLIPBOARDUPDATE;
  }
}

// Repaints an engine window that was uncovered while the loop runs (the
// engine's own repaint waits until the loop ends).
void RepaintEngineWindow(uint32_t id) {
  PlatWindow* pw = PlatWin_FromSdlId(id);
  if (!pw) return;
  std::lock_guard<std::mutex> lock(g_PlatPresentLock);
  PlatPresent_CommitLocked(pw);
}

struct Loop {
  UiWindow* w;
  const UiEventFn& handler;
  std::vector<SDL_Event> kept;
  bool go = true;
  UiEnd end = UiEnd::ByHandler;

  void Deliver(const UiEvent& ev) {
    if (go && !handler(ev)) go = false;
  }

  void Route(const SDL_Event& e) {
    uint32_t id = WindowOf(e);
    if (id == w->id) {
      if (e.type == SDL_WINDOWEVENT && (e.window.event == SDL_WINDOWEVENT_EXPOSED ||
                                        e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)) {
        UiWindow_Present(w);
        return;
      }
      UiEvent ev;
      if (Translate(e, &ev)) Deliver(ev);
      return;
    }
    if (e.type == SDL_QUIT) {
      // The session (or, without the engine's handler, a signal) asks to
      // end: this window gives its escape answer, the engine sees the quit.
      kept.push_back(e);
      end = UiEnd::BySignal;
      go = false;
      return;
    }
    if (IsInput(e.type)) {
      if (e.type == SDL_MOUSEBUTTONDOWN) {
        UiEvent ev;
        ev.kind = UiEventKind::OutsidePress;
        Deliver(ev);
      }
      return;
    }
    if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_EXPOSED)
      RepaintEngineWindow(e.window.windowID);
    if (kept.size() < kKeptEventsMax) kept.push_back(e);
  }
};

UiWindow* Innermost() {
  std::lock_guard<std::mutex> lock(g_ModalLock);
  return g_ModalStack.empty() ? nullptr : g_ModalStack.back();
}

}  // namespace

bool UiWindow_HaveDisplay() {
  const char* x = std::getenv("DISPLAY");
  const char* w = std::getenv("WAYLAND_DISPLAY");
  return (x && *x) || (w && *w);
}

bool UiWindow_CanShow() {
  if (!UiWindow_HaveDisplay()) return false;
  const char* driver =
      SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetCurrentVideoDriver() : std::getenv("SDL_VIDEODRIVER");
  return !HeadlessDriver(driver);
}

PlatRect UiWindow_WorkArea(const UiWindowDesc& d) {
  int display = 0;
  if (d.owner && d.owner->sdl) {
    display = std::max(0, SDL_GetWindowDisplayIndex(d.owner->sdl));
  } else {
    int mx = 0, my = 0;
    SDL_GetGlobalMouseState(&mx, &my);
    SDL_Point p{mx, my};
    for (int i = 0; i < SDL_GetNumVideoDisplays(); ++i) {
      SDL_Rect b;
      if (SDL_GetDisplayBounds(i, &b) == 0 && SDL_PointInRect(&p, &b)) display = i;
    }
  }
  SDL_Rect r{0, 0, 800, 600};
  if (SDL_GetDisplayUsableBounds(display, &r) != 0) SDL_GetDisplayBounds(display, &r);
  return {r.x, r.y, r.w, r.h};
}

UiWindowPtr UiWindow_Open(const UiWindowDesc& d) {
  if (d.w <= 0 || d.h <= 0 || !UiWindow_CanShow() || !Plat_VideoInit() || !UiText_Ready())
    return nullptr;
  uint32_t flags = SDL_WINDOW_HIDDEN;
  if (d.popup)
    flags |= SDL_WINDOW_BORDERLESS | SDL_WINDOW_POPUP_MENU | SDL_WINDOW_SKIP_TASKBAR |
             SDL_WINDOW_ALWAYS_ON_TOP;
  if (d.topmost) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
  int32_t x = 0, y = 0;
  Place(d, UiWindow_WorkArea(d), &x, &y);
  SDL_Window* s = SDL_CreateWindow(Text_SjisToUtf8(d.caption).c_str(), x, y, d.w, d.h, flags);
  if (!s) return nullptr;
  UiWindowPtr w(new UiWindow);
  w->sdl = s;
  w->id = SDL_GetWindowID(s);
  w->canvas.Resize(d.w, d.h, 0xF0F0F0);
  w->typingBefore = SDL_IsTextInputActive();
  if (d.owner && d.owner->sdl) SDL_SetWindowModalFor(s, d.owner->sdl);
  return w;
}

UiCanvas& UiWindow_Canvas(UiWindow* w) { return w->canvas; }

void UiWindow_Present(UiWindow* w) {
  if (!w || !w->sdl) return;
  if (!w->shown) {
    w->shown = true;
    SDL_ShowWindow(w->sdl);
    // Without a window manager nothing hands the new window the keyboard.
    UiWindow_Raise(w);
  }
  SDL_Surface* s = SDL_GetWindowSurface(w->sdl);
  if (!s || w->canvas.px.empty()) return;
  int cw = std::min(s->w, w->canvas.w), ch = std::min(s->h, w->canvas.h);
  if (SDL_MUSTLOCK(s)) SDL_LockSurface(s);
  SDL_ConvertPixels(cw, ch, SDL_PIXELFORMAT_ARGB8888, w->canvas.px.data(), w->canvas.w * 4,
                    s->format->format, s->pixels, s->pitch);
  if (SDL_MUSTLOCK(s)) SDL_UnlockSurface(s);
  SDL_UpdateWindowSurface(w->sdl);
}

void UiWindow_SetTextInput(UiWindow* w, bool on, const PlatRect* caret) {
  if (!w) return;
  if (!on) {
    if (SDL_IsTextInputActive()) SDL_StopTextInput();
    return;
  }
  if (caret) {
    SDL_Rect r{caret->x, caret->y, caret->w, caret->h};
    SDL_SetTextInputRect(&r);
  }
  if (!SDL_IsTextInputActive()) SDL_StartTextInput();
}

void UiWindow_Raise(UiWindow* w) {
  if (!w || !w->sdl || !w->shown) return;
  SDL_RaiseWindow(w->sdl);
  SDL_SetWindowInputFocus(w->sdl);
}

bool UiWindow_ScreenRect(const UiWindow* w, PlatRect* out) {
  if (!w || !w->sdl || !out) return false;
  SDL_GetWindowPosition(w->sdl, &out->x, &out->y);
  SDL_GetWindowSize(w->sdl, &out->w, &out->h);
  return true;
}

UiEnd UiWindow_RunModal(UiWindow* w, const UiEventFn& handler) {
  if (!w) return UiEnd::ByHandler;
  {
    std::lock_guard<std::mutex> lock(g_ModalLock);
    g_ModalStack.push_back(w);
  }
  Loop loop{w, handler, {}};
  uint32_t lastTick = SDL_GetTicks();
  while (loop.go) {
    if (PlatSignal_Pending()) {
      loop.end = UiEnd::BySignal;
      break;
    }
    SDL_Event e;
    if (SDL_WaitEventTimeout(&e, int(kUiWaitMs))) {
      loop.Route(e);
      while (loop.go && SDL_PollEvent(&e)) loop.Route(e);
    }
    if (loop.go && SDL_GetTicks() - lastTick >= kUiTickMs) {
      lastTick = SDL_GetTicks();
      loop.Deliver(UiEvent{});
    }
    // Frames another thread presented meanwhile.
    PlatPresent_CommitPending();
  }
  {
    std::lock_guard<std::mutex> lock(g_ModalLock);
    g_ModalStack.pop_back();
  }
  if (w->typingBefore) SDL_StartTextInput();
  else if (SDL_IsTextInputActive()) SDL_StopTextInput();
  for (SDL_Event& e : loop.kept) SDL_PushEvent(&e);
  // The key-ups of keys held when the window opened went to this window.
  Plat_ReleaseAllKeys();
  return loop.end;
}

bool UiWindow_ModalRect(PlatRect* out) {
  std::lock_guard<std::mutex> lock(g_ModalLock);
  if (g_ModalStack.empty() || !g_ModalStack.back()->shown) return false;
  return UiWindow_ScreenRect(g_ModalStack.back(), out);
}

bool UiWindow_InjectKey(int32_t scancode, bool shift) {
  UiWindow* w = Innermost();
  if (!w) return false;
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.windowID = w->id;
  e.key.state = SDL_PRESSED;
  e.key.keysym.scancode = static_cast<SDL_Scancode>(scancode);
  e.key.keysym.mod = shift ? KMOD_LSHIFT : KMOD_NONE;
  SDL_PushEvent(&e);
  e.type = SDL_KEYUP;
  e.key.state = SDL_RELEASED;
  SDL_PushEvent(&e);
  return true;
}

bool UiWindow_InjectText(const std::string& utf8) {
  UiWindow* w = Innermost();
  if (!w || utf8.size() >= sizeof(SDL_TextInputEvent{}.text)) return false;
  SDL_Event e{};
  e.type = SDL_TEXTINPUT;
  e.text.windowID = w->id;
  std::copy(utf8.begin(), utf8.end(), e.text.text);
  SDL_PushEvent(&e);
  return true;
}

bool UiWindow_InjectClick(int32_t x, int32_t y) {
  UiWindow* w = Innermost();
  if (!w) return false;
  SDL_Event e{};
  e.type = SDL_MOUSEBUTTONDOWN;
  e.button.windowID = w->id;
  e.button.button = SDL_BUTTON_LEFT;
  e.button.state = SDL_PRESSED;
  e.button.clicks = 1;
  e.button.x = x;
  e.button.y = y;
  SDL_PushEvent(&e);
  e.type = SDL_MOUSEBUTTONUP;
  e.button.state = SDL_RELEASED;
  SDL_PushEvent(&e);
  return true;
}
