// What the VM's host commands and system variables ask of the shell: the
// frame pacing after a rate change, the screen-saver block, the main
// window's activity and logical size, the cursor, and the system variables
// of the screen and the dropped files.
#include <mutex>

#include "shell/frame.h"
#include "shell/shell.h"
#include "shell/startup.h"
#include "platform/clock.h"
#include "vm/host.h"
#include "vm/vm.h"

namespace {

void FrameRateChanged() {
  FramePacing& p = g_Pacing;
  p.pacedLastSecond = p.pacedInSecond;
  p.drawnLastSecond = p.drawnInSecond;
  p.pacedInSecond = p.drawnInSecond = 0;
  p.secondStart = p.last = Clock_Ms32();
}

void SetBlockScreenSaver(uint8_t on) { g_BlockScreenSaver = on; }

bool MainWindowActive() {
  const WindowRec* rec = g_WindowRecs[0];
  return rec && rec->active.load() == 1;
}

// The picture's new logical size; in a plain window the screen follows it,
// otherwise only the shown size within the screen is fitted again.
void SetLogicalSize(int32_t w, int32_t h) {
  WindowRec* rec = g_WindowRecs[0];
  if (!rec) return;
  rec->logicalW = w;
  rec->logicalH = h;
  if (!g_FullScreen && !g_MainSize.maximized) {
    g_Screen.screenW = g_Screen.shownW = w;
    g_Screen.screenH = g_Screen.shownH = h;
    Screen_RequestBuffer(w, h);
  } else {
    Screen_SetBackBufferSize(g_Screen.screenW, g_Screen.screenH, w, h);
  }
}

void ShowCursor() {
  Cursor_RequestShow();
  Cursor_ApplyPending();
}

void RequestCursor(bool shown) {
  g_CursorPending = shown ? 1 : 2;
  g_CursorShown = shown ? 1 : 0;
}

// System variables 15 (dropped files) and 115, 116 (screen size) before the
// clock, mouse and key numbers.
bool ShellSysVars(int32_t n, int64_t index, int64_t* out) {
  switch (n) {
    case 15: {
      std::lock_guard<std::mutex> lock(g_SoundLock);
      *out = g_DroppedFiles.count;
      return true;
    }
    case 115: *out = g_Screen.screenW; return true;
    case 116: *out = g_Screen.screenH; return true;
    default: return SysVar_GetShell(n, index, out);
  }
}

}  // namespace

void Shell_InstallVmHooks() {
  g_VmHostHooks.frameRateChanged = FrameRateChanged;
  g_VmHostHooks.setBlockScreenSaver = SetBlockScreenSaver;
  g_VmHostHooks.mainWindowActive = MainWindowActive;
  g_VmHostHooks.setLogicalSize = SetLogicalSize;
  g_VmHostHooks.showCursor = ShowCursor;
  g_VmHostHooks.requestCursor = RequestCursor;
  g_SysVarHooks.shell = ShellSysVars;
}
