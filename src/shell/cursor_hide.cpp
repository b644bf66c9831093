// The mouse cursor's automatic hiding. The cursor is a plain shown/hidden
// state (no show counter), applied on the main thread.
#include "platform/events.h"
#include "platform/window.h"
#include "shell/shell.h"

std::atomic<uint8_t> g_CursorShown{1};
std::atomic<uint8_t> g_CursorPending{0};

void Cursor_RequestShow() {
  if (g_CursorShown) return;
  if (g_WindowRecs[0]) g_WindowRecs[0]->hideTimerOn = 0;
  g_CursorPending = 1;
  g_CursorShown = 1;
}

void Cursor_ShowForDialog() {
  Cursor_RequestShow();
  Cursor_ApplyPending();
}

void Cursor_ApplyPending() {
  uint8_t p = g_CursorPending.exchange(0);
  if (p == 1) Plat_RunOnMain([] { PlatCursor_Show(true); });
  else if (p == 2) Plat_RunOnMain([] { PlatCursor_Show(false); });
}

void Cursor_UpdateAutoHide(WindowRec* rec, uint32_t frameTime, bool menuShown) {
  const InputOptions& o = g_InputOptions;
  if (o.autoHide && !rec->hideTimerOn && g_KeyCounters[0].counter > 0) {
    rec->hideTimerOn = 1;
    rec->hideTimerStart = frameTime;
  }
  if (rec->hideTimerOn) {
    uint32_t due = rec->hideTimerStart + o.hideDelayMs;
    if (static_cast<int32_t>(frameTime - due) > 0 && g_CursorShown) {
      g_CursorPending = 2;
      g_CursorShown = 0;
    }
  }
  if (!o.autoHide) return;
  auto held = [](int k) { return g_KeyCounters[k].counter > 0; };
  bool show = rec->farOutside || menuShown || (held(7) && rec->showOnMove) ||
              ((held(1) || held(2) || held(4)) && rec->showOnButton) ||
              ((held(5) || held(6)) && rec->showOnWheel);
  if (show) {
    rec->hideTimerOn = 0;
    Cursor_RequestShow();
  }
}
