// Key counters: keyboard, mouse buttons as keys and the mouse position per
// window. The main thread samples (Main_PollInput), the frame thread counts
// (Input_UpdateFrame); the sample is handed over under one lock.
#include "platform/events.h"
#include "platform/window.h"
#include "render/render.h"
#include "shell/frame.h"
#include "shell/shell.h"

std::atomic<int32_t> g_ActiveWindow{-1};
KeyTransitionFn g_KeyTransitions[4] = {Input_KeyStayUp, Input_KeyPress, Input_KeyRelease,
                                       Input_KeyStayDown};

namespace {

constexpr std::array<uint8_t, kKeyTableSize> BuildKeyTable() {
  std::array<uint8_t, kKeyTableSize> t{};
  size_t n = 0;
  auto range = [&](int a, int b) {
    for (int k = a; k <= b; ++k) t[n++] = static_cast<uint8_t>(k);
  };
  range(8, 9); range(13, 13); range(16, 19); range(27, 27); range(32, 40); range(44, 57);
  range(65, 90); range(96, 135); range(144, 145); range(160, 165); range(186, 192);
  range(219, 222); range(226, 226);
  return t;
}

struct MousePos {
  int32_t x = 0, y = 0;
  uint8_t outside = 1, farOutside = 1;
};

// Sample handed from the main thread to the frame.
struct InputSample {
  uint8_t pressed[256] = {};
  int32_t active = -1;
  int32_t wheel = 0;   // summed notches since the last frame (120 each)
  uint8_t moved = 0;   // 0x80 after a mouse move
  bool havePos = false;               // the mouse positions below are new
  std::array<MousePos, kWindowCount> mouse{};
};
std::mutex g_InputLock;
InputSample g_Sample;

// Position of one window's mouse in its logical units, with the outside
// rules; the main window's through one view of the letter-box and sizes.
MousePos MouseFor(const WindowRec* rec, const ScreenView& v, int32_t gx, int32_t gy) {
  MousePos m;
  PlatRect c;
  if (!rec->handle || !PlatWin_GetClientRect(rec->handle, &c)) return m;
  int64_t x = gx - c.x, y = gy - c.y;
  int64_t ox = 0, oy = 0;
  if (rec->index == 0) {
    x -= v.boxX;
    y -= v.boxY;
    ox = v.boxX;
    oy = v.boxY;
    if (v.shownW) { x = x * rec->logicalW / v.shownW; ox = ox * rec->logicalW / v.shownW; }
    if (v.shownH) { y = y * rec->logicalH / v.shownH; oy = oy * rec->logicalH / v.shownH; }
  }
  m.x = static_cast<int32_t>(x);
  m.y = static_cast<int32_t>(y);
  bool inside = x >= 0 && x < rec->logicalW && y >= 0 && y < rec->logicalH;
  m.outside = inside ? 0 : 1;
  m.farOutside = (!inside && (x < -ox || y < -oy || x >= rec->logicalW + ox ||
                              y >= rec->logicalH + oy)) ? 1 : 0;
  return m;
}

}  // namespace

const std::array<uint8_t, kKeyTableSize> g_KeyTable = BuildKeyTable();

void Input_KeyStayUp(int key) { g_KeyCounters[key].counter -= 1; }
void Input_KeyPress(int key) {
  KeyCounter& k = g_KeyCounters[key];
  k.counter = 1;
  k.edge = 2;
  k.presses += 1;
}
void Input_KeyRelease(int key) {
  g_KeyCounters[key].counter = -1;
  g_KeyCounters[key].edge = 0;
}
void Input_KeyStayDown(int key) { g_KeyCounters[key].counter += 1; }

void Input_RunTransition(int key) {
  int i = g_KeyCounters[key].edge + ((g_KeyPressed[key] & 0x80) ? 1 : 0);
  g_KeyTransitions[i & 3](key);
}

void Win_InitHandlerTables() {
  g_KeyTransitions[0] = Input_KeyStayUp;
  g_KeyTransitions[1] = Input_KeyPress;
  g_KeyTransitions[2] = Input_KeyRelease;
  g_KeyTransitions[3] = Input_KeyStayDown;
}

void Input_OnMouseWheel(int32_t delta) {
  std::lock_guard<std::mutex> lock(g_InputLock);
  // Several notches before the next frame add up instead of replacing
  // each other; the frame only looks at the sign.
  int32_t sum = g_Sample.wheel + delta;
  g_Sample.wheel = sum > 32767 ? 32767 : sum < -32768 ? -32768 : sum;
}

void Input_OnMouseMoved() {
  std::lock_guard<std::mutex> lock(g_InputLock);
  g_Sample.moved = 0x80;
}

void Main_PollInput() {
  Wnd_ApplyScreenSaverBlock();
  for (WindowRec* rec : g_WindowRecs)
    if (rec && rec->handle && PlatWin_IsMinimized(rec->handle)) rec->active = 0;
  int32_t active = -1;
  for (int i = 0; i < kWindowCount && active < 0; ++i)
    if (g_WindowRecs[i] && g_WindowRecs[i]->active) active = i;
  uint8_t pressed[256] = {};
  if (active < 0) Plat_ReleaseAllKeys();
  else Plat_GetKeyState(pressed);
  int32_t gx = 0, gy = 0;
  bool havePos = active >= 0 && PlatMouse_GlobalPos(&gx, &gy);
  std::array<MousePos, kWindowCount> mouse{};
  if (havePos) {
    const ScreenView v = Screen_TakeView();
    for (int i = 0; i < kWindowCount; ++i)
      if (g_WindowRecs[i]) mouse[size_t(i)] = MouseFor(g_WindowRecs[i], v, gx, gy);
  }
  std::lock_guard<std::mutex> lock(g_InputLock);
  std::copy(std::begin(pressed), std::end(pressed), g_Sample.pressed);
  g_Sample.active = active;
  // Positions the frame has not taken yet stay when this turn has none.
  if (!havePos) return;
  g_Sample.havePos = true;
  g_Sample.mouse = mouse;
}

namespace {

void UpdateMouseKeys(int32_t active, int32_t wheel, uint8_t moved) {
  if (!g_InputOptions.mouseKeys) return;
  const WindowRec* rec = active >= 0 ? g_WindowRecs[active] : nullptr;
  static constexpr int kMouseKeys[] = {1, 2, 4, 5, 6, 7};
  if (rec && rec->farOutside) {
    // Far outside the window only what is already held stays held.
    for (int k : kMouseKeys)
      if (g_KeyCounters[k].counter <= 0) g_KeyPressed[k] = 0;
  } else if (rec) {
    if (wheel > 0) g_KeyPressed[5] = 0x80;
    if (wheel < 0) g_KeyPressed[6] = 0x80;
    g_KeyPressed[7] = moved;
  }
  // Without an active window the buttons read as released (the sample is
  // empty), rather than keeping whatever they counted last.
  for (int k = 1; k <= 7; ++k) Input_RunTransition(k);
}

void UpdateKeyboard() {
  if (!g_InputOptions.keyboard) return;
  uint8_t any = 0;
  for (uint8_t k : g_KeyTable) {
    any |= g_KeyPressed[k] & 0x80;
    Input_RunTransition(k);
  }
  g_KeyPressed[0] = any;
  Input_RunTransition(0);
}

}  // namespace

void Input_UpdateFrame() {
  InputSample s;
  {
    std::lock_guard<std::mutex> lock(g_InputLock);
    s = g_Sample;
    g_Sample.wheel = 0;
    g_Sample.moved = 0;
    g_Sample.havePos = false;
  }
  // The mouse fields of the window records belong to the thread that runs
  // the frame: the sample's positions land here.
  for (int i = 0; i < kWindowCount && s.havePos; ++i) {
    WindowRec* rec = g_WindowRecs[i];
    if (!rec) continue;
    const MousePos& m = s.mouse[size_t(i)];
    rec->mouseX = m.x;
    rec->mouseY = m.y;
    rec->outside = m.outside;
    rec->farOutside = m.farOutside;
  }
  std::copy(std::begin(s.pressed), std::end(s.pressed), g_KeyPressed.begin());
  g_ActiveWindow = s.active;
  UpdateMouseKeys(s.active, s.wheel, s.moved);
  UpdateKeyboard();
  if (g_InputOptions.joysticks) Input_PollJoysticks();
  if (WindowRec* main = g_WindowRecs[0]) Cursor_UpdateAutoHide(main, g_Pacing.frameTime, false);
  Cursor_ApplyPending();
  App_UpdateInactivePause(g_WindowRecs[0] && g_WindowRecs[0]->active);
  // The drag itself is carried out by the platform's hit test at the press.
  g_DragRequest = 0;
}
