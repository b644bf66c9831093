// Frame pacing: 16.16 fixed-point frame lengths with catch-up and skipping.
#include "platform/clock.h"
#include "shell/frame.h"

FramePacing g_Pacing;

void Frame_ResetClock() { g_Pacing = FramePacing{}; }

// Publishes the per-second counters when the frame time enters a new second.
static void CountPacedFrame(FramePacing& p) {
  if (p.frameTime / 1000 != p.secondStart / 1000) {
    p.pacedLastSecond = p.pacedInSecond;
    p.drawnLastSecond = p.drawnInSecond;
    p.drawnInSecond = 0;
    p.secondStart = p.frameTime;
    p.pacedInSecond = 1;
  } else {
    p.pacedInSecond += 1;
  }
}

int Frame_WaitNext() {
  FramePacing& p = g_Pacing;
  // A rate of 0 would divide by zero; the slowest pace is one frame a second.
  uint32_t fps = g_FrameRate ? g_FrameRate : 1;
  uint32_t frame16 = 65536000u / fps;
  uint32_t now = Clock_Ms32();
  p.frameTime = now;
  p.accum = (p.accum & 0xFFFFu) + frame16;
  uint32_t frame = p.accum >> 16;
  uint32_t elapsed = now - p.last;
  int skip = 0;
  if (elapsed < frame) {
    p.sleeping = 1;
    Clock_SleepMs(frame - elapsed);
    p.last += frame;
    p.frameTime = Clock_Ms32();
  } else {
    uint32_t over = elapsed - frame;
    if (over >= kFrameCatchUpLimitMs) over = 0;
    skip = (over >= 3 * frame && g_FrameSkipOn) ? 1 : 0;
    p.last = p.frameTime + over;
  }
  p.sleeping = 0;
  CountPacedFrame(p);
  return skip;
}

void Frame_CountTick() { g_Pacing.drawnInSecond += 1; }
