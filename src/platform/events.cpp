#include "platform/events.h"

#include <SDL.h>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

#include "platform/input_keys.h"
#include "platform/joystick.h"
#include "platform/text.h"
#include "platform/window_impl.h"

namespace {

PlatWndProc g_WndProc = nullptr;
std::atomic<bool> g_QuitPosted{false};
std::atomic<bool> g_QuitTaken{false};

std::mutex g_QueueLock;
std::deque<PlatEvent> g_Posted;
std::vector<std::function<void()>> g_MainCalls;

std::mutex g_KeyLock;
std::array<bool, SDL_NUM_SCANCODES> g_ScanDown{};
uint8_t g_ButtonsDown = 0;  // bit (vk - 1) for the mouse keys 1, 2, 4, 5, 6

// Files of the drop being collected, by window index.
std::vector<std::string> g_DropFiles;
int32_t g_DropWindow = -1;

int32_t IndexOfSdl(uint32_t sdlId) {
  PlatWindow* w = PlatWin_FromSdlId(sdlId);
  return w ? w->index : -1;
}

int32_t MouseKey(uint8_t sdlButton) {
  switch (sdlButton) {
    case SDL_BUTTON_LEFT: return 1;
    case SDL_BUTTON_RIGHT: return 2;
    case SDL_BUTTON_MIDDLE: return 4;
    case SDL_BUTTON_X1: return 5;
    case SDL_BUTTON_X2: return 6;
    default: return 0;
  }
}

void Deliver(const PlatEvent& ev) {
  if (g_WndProc) g_WndProc(ev);
}

bool TranslateWindowEvent(const SDL_WindowEvent& we, PlatEvent* ev) {
  ev->window = IndexOfSdl(we.windowID);
  switch (we.event) {
    case SDL_WINDOWEVENT_CLOSE: ev->msg = PlatMsg::Close; return true;
    case SDL_WINDOWEVENT_FOCUS_GAINED: ev->msg = PlatMsg::Activate; ev->a = 1; return true;
    case SDL_WINDOWEVENT_FOCUS_LOST: ev->msg = PlatMsg::Activate; ev->a = 0; return true;
    case SDL_WINDOWEVENT_EXPOSED: ev->msg = PlatMsg::Exposed; return true;
    case SDL_WINDOWEVENT_MOVED: ev->msg = PlatMsg::Move; break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      if (PlatWindow* w = PlatWin_FromSdlId(we.windowID)) PlatWin_NoteSize(w);
      ev->msg = PlatMsg::Size;
      break;
    case SDL_WINDOWEVENT_MINIMIZED: ev->msg = PlatMsg::Minimized; return true;
    case SDL_WINDOWEVENT_MAXIMIZED: ev->msg = PlatMsg::Maximized; return true;
    case SDL_WINDOWEVENT_RESTORED: ev->msg = PlatMsg::Restored; return true;
    case SDL_WINDOWEVENT_DISPLAY_CHANGED: ev->msg = PlatMsg::DisplayChanged; ev->a = we.data1; return true;
    default: return false;
  }
  ev->x = we.data1;
  ev->y = we.data2;
  return true;
}

void SetScan(SDL_Scancode sc, bool down) {
  std::lock_guard<std::mutex> lock(g_KeyLock);
  if (sc >= 0 && sc < SDL_NUM_SCANCODES) g_ScanDown[static_cast<size_t>(sc)] = down;
}

void SetButton(int32_t key, bool down) {
  if (key <= 0) return;
  std::lock_guard<std::mutex> lock(g_KeyLock);
  uint8_t bit = static_cast<uint8_t>(1u << (key - 1));
  g_ButtonsDown = down ? (g_ButtonsDown | bit) : (g_ButtonsDown & ~bit);
}

// Turns one SDL event into a record; false when the engine has no use for it.
bool Translate(const SDL_Event& e, PlatEvent* ev) {
  switch (e.type) {
    case SDL_WINDOWEVENT: return TranslateWindowEvent(e.window, ev);
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      SetScan(e.key.keysym.scancode, e.type == SDL_KEYDOWN);
      ev->msg = e.type == SDL_KEYDOWN ? PlatMsg::KeyDown : PlatMsg::KeyUp;
      ev->window = IndexOfSdl(e.key.windowID);
      ev->a = Keys_VkFromScancode(e.key.keysym.scancode);
      ev->b = e.key.repeat ? 1 : 0;
      return true;
    }
    case SDL_TEXTINPUT:
      ev->msg = PlatMsg::Char;
      ev->window = IndexOfSdl(e.text.windowID);
      ev->text = Text_Utf8ToSjis(e.text.text);
      return true;
    case SDL_MOUSEMOTION: {
      // Positions are the client area's: a menu bar strip above it takes
      // what happens on it.
      PlatWindow* w = PlatWin_FromSdlId(e.motion.windowID);
      if (w && PlatMenuBar_OnMouse(w, e)) return false;
      ev->msg = PlatMsg::MouseMove;
      ev->window = w ? w->index : -1;
      ev->x = e.motion.x;
      ev->y = e.motion.y - PlatWin_BarRows(w);
      return true;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      PlatWindow* w = PlatWin_FromSdlId(e.button.windowID);
      if (w && PlatMenuBar_OnMouse(w, e)) return false;
      ev->msg = e.type == SDL_MOUSEBUTTONDOWN ? PlatMsg::ButtonDown : PlatMsg::ButtonUp;
      ev->window = w ? w->index : -1;
      ev->a = MouseKey(e.button.button);
      ev->x = e.button.x;
      ev->y = e.button.y - PlatWin_BarRows(w);
      SetButton(ev->a, e.type == SDL_MOUSEBUTTONDOWN);
      return ev->a != 0;
    }
    case SDL_MOUSEWHEEL: {
      int32_t dy = e.wheel.y;
      if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) dy = -dy;
      if (dy == 0) return false;
      ev->msg = PlatMsg::Wheel;
      ev->window = IndexOfSdl(e.wheel.windowID);
      ev->a = dy * 120;
      return true;
    }
    case SDL_DROPBEGIN:
      g_DropFiles.clear();
      g_DropWindow = IndexOfSdl(e.drop.windowID);
      return false;
    case SDL_DROPFILE:
      if (e.drop.file) g_DropFiles.emplace_back(e.drop.file);
      if (g_DropWindow < 0) g_DropWindow = IndexOfSdl(e.drop.windowID);
      SDL_free(e.drop.file);
      return false;
    case SDL_DROPCOMPLETE:
      if (g_DropFiles.empty()) return false;
      ev->msg = PlatMsg::DropFiles;
      ev->window = g_DropWindow >= 0 ? g_DropWindow : IndexOfSdl(e.drop.windowID);
      ev->files.swap(g_DropFiles);
      g_DropFiles.clear();
      g_DropWindow = -1;
      return true;
    case SDL_JOYDEVICEADDED: PlatJoy_OnAdded(e.jdevice.which); return false;
    case SDL_JOYDEVICEREMOVED: PlatJoy_OnRemoved(e.jdevice.which); return false;
    case SDL_QUIT:
      // A signal or the session asks to end: a close of the main window that
      // the engine treats as an orderly quit (b = 1).
      ev->msg = PlatMsg::Close;
      ev->window = 0;
      ev->b = 1;
      return true;
    default: return false;
  }
}

void RunMainCalls() {
  std::vector<std::function<void()>> calls;
  {
    std::lock_guard<std::mutex> lock(g_QueueLock);
    calls.swap(g_MainCalls);
  }
  for (auto& fn : calls) fn();
}

bool PopPosted(PlatEvent* ev) {
  std::lock_guard<std::mutex> lock(g_QueueLock);
  if (g_Posted.empty()) return false;
  *ev = std::move(g_Posted.front());
  g_Posted.pop_front();
  return true;
}

}  // namespace

void Plat_SetWndProc(PlatWndProc proc) { g_WndProc = proc; }

bool Plat_PumpEvents() {
  if (g_QuitTaken) return false;
  RunMainCalls();
  if (SDL_WasInit(SDL_INIT_EVENTS)) {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
      PlatEvent ev;
      if (Translate(e, &ev)) Deliver(ev);
    }
  }
  PlatEvent ev;
  while (PopPosted(&ev)) Deliver(ev);
  RunMainCalls();
  PlatPresent_CommitPending();
  if (g_QuitPosted) {
    g_QuitTaken = true;
    return false;
  }
  return true;
}

void Plat_PostQuit() { g_QuitPosted = true; }

void Plat_ResetQuit() {
  g_QuitPosted = false;
  g_QuitTaken = false;
}

void Plat_ResetEvents() {
  Plat_ResetQuit();
  {
    std::lock_guard<std::mutex> lock(g_QueueLock);
    g_Posted.clear();
    g_MainCalls.clear();
  }
  Plat_ReleaseAllKeys();
  g_DropFiles.clear();
  g_DropWindow = -1;
  g_WndProc = nullptr;
  if (SDL_WasInit(SDL_INIT_EVENTS)) SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}

void Plat_PostEvent(const PlatEvent& ev) {
  std::lock_guard<std::mutex> lock(g_QueueLock);
  g_Posted.push_back(ev);
}

void Plat_RunOnMain(std::function<void()> fn) {
  if (Plat_IsMainThread()) {
    fn();
    return;
  }
  std::lock_guard<std::mutex> lock(g_QueueLock);
  g_MainCalls.push_back(std::move(fn));
}

bool Plat_RunOnMainWait(std::function<void()> fn) {
  if (Plat_IsMainThread()) {
    fn();
    return true;
  }
  struct Done {
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
  };
  auto d = std::make_shared<Done>();
  Plat_RunOnMain([d, fn = std::move(fn)] {
    fn();
    std::lock_guard<std::mutex> lock(d->m);
    d->done = true;
    d->cv.notify_all();
  });
  std::unique_lock<std::mutex> lock(d->m);
  // Woken regularly so a main thread that stopped pumping cannot hold this
  // thread for ever.
  while (!d->done) {
    if (g_QuitTaken) return false;
    d->cv.wait_for(lock, std::chrono::milliseconds(10));
  }
  return true;
}

void Plat_SetTextInput(bool on) {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
  if (on) SDL_StartTextInput();
  else SDL_StopTextInput();
}

bool Plat_IsTextInputOn() {
  return SDL_WasInit(SDL_INIT_VIDEO) && SDL_IsTextInputActive() == SDL_TRUE;
}

void Plat_GetKeyState(uint8_t out[256]) {
  for (int i = 0; i < 256; ++i) out[i] = 0;
  std::lock_guard<std::mutex> lock(g_KeyLock);
  for (int sc = 0; sc < SDL_NUM_SCANCODES; ++sc) {
    if (!g_ScanDown[static_cast<size_t>(sc)]) continue;
    uint8_t vk = Keys_VkFromScancode(sc);
    if (!vk) continue;
    out[vk] = 0x80;
    if (uint8_t g = Keys_GenericOf(vk)) out[g] = 0x80;
  }
  for (int key = 1; key <= 6; ++key)
    if (g_ButtonsDown & (1u << (key - 1))) out[key] = 0x80;
}

void Plat_ReleaseAllKeys() {
  std::lock_guard<std::mutex> lock(g_KeyLock);
  g_ScanDown.fill(false);
  g_ButtonsDown = 0;
}

namespace {
uint32_t SdlIdOf(int32_t window) {
  PlatWindow* w = PlatWin_FromIndex(window);
  return w ? w->sdlId : 0;
}
// Rows above the client area of a window (its menu bar strip).
int32_t BarRowsOf(int32_t window) { return PlatWin_BarRows(PlatWin_FromIndex(window)); }
}  // namespace

void Plat_InjectKey(int32_t scancode, bool down, int32_t window) {
  SDL_Event e{};
  e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  e.key.windowID = SdlIdOf(window);
  e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  e.key.keysym.scancode = static_cast<SDL_Scancode>(scancode);
  SDL_PushEvent(&e);
}

void Plat_InjectButton(int32_t button, bool down, int32_t window, int32_t x, int32_t y) {
  SDL_Event e{};
  e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  e.button.windowID = SdlIdOf(window);
  e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
  static const uint8_t kSdl[7] = {0, SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT, 0, SDL_BUTTON_MIDDLE,
                                  SDL_BUTTON_X1, SDL_BUTTON_X2};
  e.button.button = (button >= 1 && button <= 6) ? kSdl[button] : 0;
  e.button.x = x;
  e.button.y = y + BarRowsOf(window);
  e.button.clicks = 1;
  SDL_PushEvent(&e);
}

void Plat_InjectMotion(int32_t window, int32_t x, int32_t y) {
  SDL_Event e{};
  e.type = SDL_MOUSEMOTION;
  e.motion.windowID = SdlIdOf(window);
  e.motion.x = x;
  e.motion.y = y + BarRowsOf(window);
  SDL_PushEvent(&e);
}

void Plat_InjectWheel(int32_t window, int32_t notches) {
  SDL_Event e{};
  e.type = SDL_MOUSEWHEEL;
  e.wheel.windowID = SdlIdOf(window);
  e.wheel.y = notches;
  e.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
  SDL_PushEvent(&e);
}

void Plat_InjectDrop(int32_t window, const std::vector<std::string>& utf8Paths) {
  uint32_t id = SdlIdOf(window);
  SDL_Event e{};
  e.type = SDL_DROPBEGIN;
  e.drop.windowID = id;
  SDL_PushEvent(&e);
  for (const std::string& p : utf8Paths) {
    SDL_Event f{};
    f.type = SDL_DROPFILE;
    f.drop.windowID = id;
    f.drop.file = SDL_strdup(p.c_str());
    SDL_PushEvent(&f);
  }
  SDL_Event c{};
  c.type = SDL_DROPCOMPLETE;
  c.drop.windowID = id;
  SDL_PushEvent(&c);
}
