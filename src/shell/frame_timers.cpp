// The four play timers and the pause while the main window is inactive.
#include "platform/clock.h"
#include "shell/frame.h"

std::array<PlayTimer, kPlayTimerCount> g_PlayTimers;
uint8_t g_InactivePaused = 0;
uint8_t g_RunWhenInactive = 1;
static uint32_t s_pauseStart = 0;

void Timer_StartAll(uint32_t now) {
  for (PlayTimer& t : g_PlayTimers) {
    t.running = 1;
    t.stamp = 0;
    t.offset = now;
  }
}

uint32_t Timer_Read(int index, uint32_t now) {
  if (index < 0 || index >= kPlayTimerCount) return 0;
  const PlayTimer& t = g_PlayTimers[size_t(index)];
  return (t.running ? now : t.stamp) - t.offset;
}

void Timer_Stop(int index, uint32_t now) {
  if (index < 0 || index >= kPlayTimerCount) return;
  PlayTimer& t = g_PlayTimers[size_t(index)];
  if (!t.running) return;
  t.running = 0;
  t.stamp = now;
}

// Starting again adds the stopped time to the offset, so the stop does not
// count as play time.
void Timer_Start(int index, uint32_t now) {
  if (index < 0 || index >= kPlayTimerCount) return;
  PlayTimer& t = g_PlayTimers[size_t(index)];
  if (t.running) return;
  t.offset += now - t.stamp;
  t.running = 1;
}

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
