// The full-screen menu window: a strip along the top of the screen that
// carries the main window's menu bar in full screen, shown while the mouse
// is on the top rows.
#include "graphics/graphics.h"
#include "platform/events.h"
#include "platform/menu.h"
#include "platform/window.h"
#include "shell/menu.h"
#include "shell/shell.h"

MnclState g_Mncl;

namespace {

// Main thread.
void ShowStrip(bool on) {
  PlatWindow* w = g_Mncl.handle;
  if (!w) return;
  if (on) {
    PlatWin_Show(w);
    PlatWin_Raise(w);
  } else {
    PlatWin_Hide(w);
  }
}

}  // namespace

int Mncl_CreateWindow() {
  if (g_Mncl.handle) return 1;
  WindowRec* main = g_WindowRecs[0];
  if (!main) return 0;
  int32_t width = main->logicalW > 0 ? main->logicalW : 1;
  Plat_RunOnMainWait([width] {
    PlatRect client;
    WindowRec* m = g_WindowRecs[0];
    if (!m || !m->handle || !PlatWin_GetClientRect(m->handle, &client)) client = PlatRect{};
    g_Mncl.handle = PlatMenuBar_CreateStrip(kMnclWindowIndex, client.x, client.y, width);
    if (g_Mncl.handle) {
      PlatWin_SetTitle(g_Mncl.handle, "qvMncl");
      PlatMenuBar_Attach(g_Mncl.handle, g_Mncl.menu);
    }
  });
  return g_Mncl.handle ? 1 : 0;
}

void Mncl_Attach(const PlatMenu* menu) {
  g_Mncl.menu = menu;
  if (g_Mncl.handle) PlatMenuBar_Attach(g_Mncl.handle, menu);
}

void Mncl_Destroy() {
  PlatWindow* w = g_Mncl.handle;
  g_Mncl = MnclState{};
  if (w) Plat_RunOnMainWait([w] { PlatWin_Destroy(w); });
}

void Screen_UpdateFullScreenMenu() {
  WindowRec* main = g_WindowRecs[0];
  if (!main) return;
  if (!g_FullScreen) {
    if (g_Mncl.shown) {
      g_Mncl.shown = 0;
      Plat_RunOnMain([] { ShowStrip(false); });
    }
    return;
  }
  if (!g_Mncl.shown) {
    if (main->mouseY < kMenuBarHeight && g_Mncl.menu && Mncl_CreateWindow()) {
      g_Mncl.shown = 1;
      Plat_RunOnMain([] { ShowStrip(true); });
    }
    return;
  }
  // The pointer's client row measured again: the logical position is not
  // kept while the strip covers the top.
  int32_t cy = 0;
  Plat_RunOnMainWait([main, &cy] {
    PlatRect client;
    int32_t gx = 0, gy = 0;
    if (main->handle && PlatWin_GetClientRect(main->handle, &client) && PlatMouse_GlobalPos(&gx, &gy))
      cy = gy - client.y;
  });
  if (cy < kMenuBarHeight) return;
  g_Mncl.shown = 0;
  Plat_RunOnMain([] { ShowStrip(false); });
  Layer_MarkWholeDirty(main->layerSet);
}
