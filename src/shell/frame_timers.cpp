// The pause while the main window is inactive: it stops the play timers
// for as long as it lasts.
#include "platform/clock.h"
#include "shell/frame.h"

static uint32_t s_pauseStart = 0;

void App_BeginInactivePause() {
  g_InactivePaused = 1;
  s_pauseStart = Clock_Ms32();
}

// The paused time is added to every running timer's offset.
void App_EndInactivePause() {
  uint32_t d = Clock_Ms32() - s_pauseStart;
  for (PlayTimer& t : g_PlayTimers)
    if (t.running) t.offset += d;
  g_InactivePaused = 0;
  s_pauseStart = 0;
}

void App_UpdateInactivePause(bool mainWindowActive) {
  if (g_RunWhenInactive) {
    g_InactivePaused = 0;
    return;
  }
  if (!mainWindowActive && !g_InactivePaused)
    App_BeginInactivePause();
  else if (mainWindowActive && g_InactivePaused)
    App_EndInactivePause();
}
