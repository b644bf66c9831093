// Attaching the menu bar to a window, the items chosen from a bar, and the
// pending popup of a frame.
#include "platform/events.h"
#include "platform/menu.h"
#include "shell/frame.h"
#include "shell/menu.h"
#include "shell/shell.h"

namespace {

// A choice reaches the main window's procedure as a menu command, whichever
// bar (the window's or the full-screen strip) it came from.
void PostMenuCommand(uint32_t id) {
  PlatEvent ev;
  ev.msg = PlatMsg::User;
  ev.window = 0;
  ev.b = kUserMenuCommand;
  ev.a = int32_t(id);
  Plat_PostEvent(ev);
}

void OnBarChoice(PlatWindow*, uint32_t id) { PostMenuCommand(id); }

}  // namespace

void Menu_InstallHooks() { g_PlatMenuBarChosen = OnBarChoice; }

void Menu_Attach(WindowRec* rec, PlatMenu* menu) {
  if (!rec) return;
  // The main window's bar is also the full-screen strip's; each shows only
  // in its own screen mode.
  if (rec->index == 0) Mncl_Attach(menu);
  if (rec->handle) PlatMenuBar_Attach(rec->handle, menu);
}

void Menu_RunPendingPopup() {
  uint8_t set = g_PopupMenuSet;
  if (!set) return;
  const PlatMenu* menu = set < kMenuSetCount ? Menu_PopupMenu(set) : nullptr;
  WindowRec* main = g_WindowRecs[0];
  uint32_t chosen = 0;
  if (menu) chosen = PlatMenu_TrackPopup(*menu, g_PopupPosX, g_PopupPosY, main ? main->handle : nullptr);
  g_PopupMenuSet = 0;
  PostMenuCommand(chosen);
}

void Menu_ShutDown() {
  Tray_RemoveIcon();
  Mncl_Destroy();
  for (WindowRec* rec : g_WindowRecs)
    if (rec && rec->handle) PlatMenuBar_Attach(rec->handle, nullptr);
  for (int set = 0; set < kMenuSetCount; ++set) Menu_DestroySet(set);
  g_MenuSets.counter = 0;
  g_PopupMenuSet = 0;
  Cursor_ShutDown();
}
