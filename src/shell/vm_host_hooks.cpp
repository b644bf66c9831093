// What the VM's host commands and system variables ask of the shell: the
// frame pacing after a rate change, the screen-saver block, the main
// window's activity and logical size, the windows' logical sizes, the
// cursor, and the system variables of the shell and the drawing mode.
#include <mutex>

#include "shell/frame.h"
#include "shell/shell.h"
#include "shell/startup.h"
#include "platform/clock.h"
#include "platform/events.h"
#include "platform/present.h"
#include "platform/window.h"
#include "render/gpu.h"
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

// Clears the main window's client area to black over the screen size. The
// one black pixel is stretched from a header of its own, so the window's
// presentation header keeps the logical size.
void Win_PaintDib(WindowRec* rec) {
  static const uint32_t kBlack = 0;
  std::unique_lock<std::mutex> hold = PlatPresent_LockWindows();
  if (!rec->handle) return;
  const ScreenView v = Screen_TakeView();
  PlatPresent_Blit(rec->handle, reinterpret_cast<const uint8_t*>(&kBlack), 1, 1, 4, 0, 0,
                   v.screenW, v.screenH);
  PlatPresent_Commit(rec->handle);
}

// The picture's new logical size. In a plain window the screen size and the
// buffer follow it and the window's client area takes the new size; in
// full screen or maximised the picture is fitted into the screen again and
// the area around it is painted black.
void SetLogicalSize(int32_t w, int32_t h) {
  WindowRec* rec = g_WindowRecs[0];
  if (!rec) return;
  rec->logicalW = w;
  rec->logicalH = h;
  if (!g_FullScreen && !g_MainSize.maximized) {
    Screen_SetSizes(w, h, w, h);
    Screen_RequestBuffer(w, h);
    Plat_RunOnMain([w, h] {
      WindowRec* main = g_WindowRecs[0];
      PlatRect c;
      if (main && main->handle && PlatWin_GetClientRect(main->handle, &c))
        PlatWin_SetClientRect(main->handle, c.x, c.y, w, h);
    });
  } else {
    Screen_SetBackBufferSize(w, h, g_Screen.screenW, g_Screen.screenH);
    Win_PaintDib(rec);
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

// System variable 113: whether full-GPU drawing is on.
bool RenderSysVars(int32_t n, int64_t, int64_t* out) {
  if (n != 113) return false;
  *out = g_D3dMode.FullGpu ? 1 : 0;
  return true;
}

// Command 4's window point: false without the window's record (a window
// never made has a record of logical size 0, so no point lies inside it).
bool WindowLogicalSize(int32_t window, int32_t* w, int32_t* h) {
  if (window < 0 || window >= kWindowCount) return false;
  const WindowRec* rec = g_WindowRecs[window];
  if (!rec) return false;
  *w = rec->logicalW;
  *h = rec->logicalH;
  return true;
}

}  // namespace

void Shell_InstallVmHooks() {
  g_VmHostHooks.frameRateChanged = FrameRateChanged;
  g_VmHostHooks.setBlockScreenSaver = SetBlockScreenSaver;
  g_VmHostHooks.mainWindowActive = MainWindowActive;
  g_VmHostHooks.setLogicalSize = SetLogicalSize;
  g_VmHostHooks.showCursor = ShowCursor;
  g_VmHostHooks.requestCursor = RequestCursor;
  g_VmHostHooks.windowLogicalSize = WindowLogicalSize;
  g_SysVarHooks.shell = SysVar_GetShell;
  g_SysVarHooks.render = RenderSysVars;
}
