// Attaching the menu bar to a window, and the pending popup of a frame.
#include "platform/menu.h"
#include "shell/menu.h"
#include "shell/shell.h"

void Menu_Attach(WindowRec* rec, PlatMenu* menu) {
  if (!rec || !rec->handle) return;
  PlatMenuBar_Attach(rec->handle, menu);
}
