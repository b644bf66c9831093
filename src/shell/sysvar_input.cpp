// System variables whose state the shell keeps: the clock and play timers,
// the frame and pass counters, the mouse position of each window, the key
// counters (by key number, by button and by joystick) and the engine and
// window-event words.
#include <mutex>

#include "platform/clock.h"
#include "shell/frame.h"
#include "shell/shell.h"
#include "shell/startup.h"
#include "shell/sysinfo.h"
#include "shell/window.h"
#include "vm/task.h"


namespace {

int64_t Hold(int64_t key) {
  return key >= 0 && key < kKeyCount ? g_KeyCounters[size_t(key)].counter : 0;
}
int64_t Presses(int64_t key) {
  return key >= 0 && key < kKeyCount ? int64_t(g_KeyCounters[size_t(key)].presses) : 0;
}

// Key number of joystick `j`'s direction d (0..3); -1 outside the table.
int64_t JoyDirectionKey(int64_t j, int d) {
  if (j < 0 || j >= kJoystickMax) return -1;
  return kJoyKeyBase + kJoyKeyStride * j + d;
}
// Key number of joystick index / 32's button index mod 32.
int64_t JoyButtonKey(int64_t index) {
  if (index < 0 || index / kJoyButtons >= kJoystickMax) return -1;
  return kJoyKeyBase + 4 + kJoyKeyStride * (index / kJoyButtons) + index % kJoyButtons;
}

int32_t MouseOf(int window, bool y) {
  const WindowRec* rec = g_WindowRecs[window];
  return rec ? (y ? rec->mouseY : rec->mouseX) : 0;
}

bool KeyVariable(int32_t n, int64_t index, int64_t* out) {
  if (n == 144) return *out = index > 0 ? Hold(index) : 0, true;
  if (n >= 147 && n <= 275) return *out = n - 147 < kButtonMapSize ? Hold(g_ButtonMap[n - 147]) : 0, true;
  if (n >= 276 && n <= 279) return *out = Hold(JoyDirectionKey(index, n - 276)), true;
  if (n == 280) return *out = Hold(JoyButtonKey(index)), true;
  if (n >= 281 && n <= 408) return *out = Presses(g_ButtonMap[n - 281]), true;
  if (n >= 410 && n <= 413) return *out = Presses(JoyDirectionKey(index, n - 410)), true;
  if (n == 414) return *out = Presses(JoyButtonKey(index)), true;
  if (n >= 415 && n <= 542) return *out = g_ButtonMap[n - 415], true;
  if (n >= 543 && n <= 546) {
    int64_t k = JoyDirectionKey(index, n - 543);
    return *out = k < 0 ? 0 : k, true;
  }
  if (n == 547) {
    int64_t k = JoyButtonKey(index);
    return *out = k < 0 ? 0 : k, true;
  }
  return false;
}

// The words that start-up and the window procedure leave for the scripts:
// 15 the number of dropped files, 115 and 116 the screen size, 3 the
// DirectX release kept by the table set-up (0: there is none here),
// 114 the display's refresh rate read with the capabilities (-1 below 60),
// 117-119 the close, minimise and maximise requests of the close handling,
// 120 the screen-mode switch request of a title double-click, 132 the last
// menu or system-menu command, 145 the last key-down code and 146 the last
// mouse button pressed.
bool EventWord(int32_t n, int64_t* out) {
  switch (n) {
    case 15: {
      std::lock_guard<std::mutex> lock(*g_DropLock);
      *out = g_DroppedFiles.count;
      return true;
    }
    case 115: *out = g_Screen.screenW; return true;
    case 116: *out = g_Screen.screenH; return true;
    case 3: *out = g_DirectXVersion; return true;
    case 114: *out = g_DesktopMetrics.refreshRate; return true;
    case 117: *out = g_CloseRequest.load(); return true;
    case 118: *out = g_MinimizeRequest.load(); return true;
    case 119: *out = g_MaximizeRequest.load(); return true;
    case 120: *out = g_ScreenModeRequest.load(); return true;
    case 132: *out = int64_t(g_MenuCommand.load()); return true;
    case 145: *out = g_LastKeyDown.load(); return true;
    case 146: *out = g_LastMouseButton.load(); return true;
    default: return false;
  }
}

}  // namespace

bool SysVar_GetShell(int32_t n, int64_t index, int64_t* out) {
  uint32_t now = Clock_Ms32();
  switch (n) {
    case 0: {
      int32_t t[8];
      Sys_LocalTime(t);
      if (index >= 0 && index < 8) *out = t[index];
      else *out = index >= 8 && index < 16 ? g_StartLocalTime[index - 8] : 0;
      return true;
    }
    case 1:
      if (index == 0) *out = now;
      else if (index >= 1 && index <= kPlayTimerCount) *out = Timer_Read(int(index - 1), now);
      else *out = 0;
      return true;
    case 109: *out = int64_t(g_FrameCounter); return true;
    case 110: *out = int64_t(g_VmPassCounter); return true;
    case 111: *out = Timer_Read(0, now); return true;
    case 133: case 134: *out = MouseOf(0, false); return true;
    case 135: case 136: case 137: *out = MouseOf(n - 134, false); return true;
    case 138: case 139: *out = MouseOf(0, true); return true;
    case 140: case 141: case 142: *out = MouseOf(n - 139, true); return true;
    default: return EventWord(n, out) || KeyVariable(n, index, out);
  }
}
