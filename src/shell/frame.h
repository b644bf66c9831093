// Frame driver: the message loop, Main_RunFrame, frame pacing, the frame
// thread, play timers and the inactive pause.
#pragma once
#include <array>
#include <atomic>
#include <cstdint>

#include "base/base.h"
#include "vm/task.h"

// ---- Frame counters (frame_driver.cpp; written by the thread running frames)
// g_VmPassCounter and g_VmPassAgain are the task runner's (vm/task.h).
extern std::atomic<uint64_t> g_FrameCounter;  // frames started (tests read it beside the frame thread)
extern std::atomic<uint8_t> g_FrameHold;  // while set a frame does nothing
extern uint8_t g_FrameSkip;         // drawing skipped in this frame
// Both also set by the window procedure on the main thread.
extern std::atomic<uint8_t> g_RedrawCountdown;  // frames that still ask every window to redraw
extern std::atomic<uint8_t> g_PopupMenuSet;     // menu set whose popup the frame shows (0 none)
// Forgets that the main window was shown and the pending skip (start-up, tests).
void Frame_ResetDriver();

// ---- Pacing (frame_pace.cpp) --------------------------------------------

struct FramePacing {
  uint32_t accum = 0;        // 16.16 accumulator; the fraction carries over
  uint32_t last = 0;         // scheduled start of the current frame
  uint32_t frameTime = 0;    // time taken at pacing (read by the input state)
  uint32_t sleeping = 0;     // 1 while the driver sleeps
  uint32_t secondStart = 0;  // start of the current second
  uint32_t pacedInSecond = 0;
  uint32_t drawnInSecond = 0;
  uint32_t pacedLastSecond = 0;  // published values of the previous second
  uint32_t drawnLastSecond = 0;
};
extern FramePacing g_Pacing;

// Frame lengths never exceed this many ms of catching up.
constexpr uint32_t kFrameCatchUpLimitMs = 250;

int Frame_WaitNext();     // paces one frame; 1 = the next frame skips drawing
void Frame_CountTick();   // one more frame drawn in this second
void Frame_ResetClock();  // clears the pacing counters (start-up)

// ---- Play timers and the inactive pause (frame_timers.cpp) --------------
void App_UpdateInactivePause(bool mainWindowActive);
void App_BeginInactivePause();
void App_EndInactivePause();

// ---- System variables of the shell (sysvar_input.cpp) --------------------
// Integer system variables of the frame and pass counters, the play timers,
// the mouse, the key counters and the engine and window-event words: 0 and 1
// (clock, timers), 3, 15, 109, 110, 111, 114-120, 132-142, 144-547. False for every other number, which the VM's
// SysVar_Get then answers itself.
bool SysVar_GetShell(int32_t number, int64_t index, int64_t* out);
