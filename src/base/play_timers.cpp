// The four play timers of the scripts. A timer reads as (now while running,
// else its stamp) minus its offset.
#include "base/base.h"

std::array<PlayTimer, kPlayTimerCount> g_PlayTimers;
std::atomic<uint8_t> g_InactivePaused{0};
std::atomic<uint8_t> g_RunWhenInactive{1};

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
  t.stamp = 0;
  t.running = 1;
}

