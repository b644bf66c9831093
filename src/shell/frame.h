// Frame driver: the message loop, Main_RunFrame, frame pacing, the frame
// thread, play timers and the inactive pause.
#pragma once
#include <array>
#include <atomic>
#include <cstdint>

// ---- Frame counters (frame_driver.cpp; written by the thread running frames)
// g_VmPassCounter and g_VmPassAgain are the task runner's (vm/task_runner.cpp).
extern uint64_t g_FrameCounter;     // frames started
extern uint64_t g_VmPassCounter;    // VM passes; a task runs at most once per pass
extern uint32_t g_VmPassAgain;      // set by a command that wants another pass
extern std::atomic<uint8_t> g_FrameHold;  // while set a frame does nothing
extern uint8_t g_FrameSkip;         // drawing skipped in this frame
extern std::atomic<uint8_t> g_AppRunning;  // cleared when the loop takes the quit
extern uint8_t g_RedrawCountdown;   // frames that still ask every window to redraw
extern uint8_t g_PopupMenuSet;      // menu set whose popup the frame shows (0 none)
// Forgets that the main window was shown and the pending skip (start-up, tests).
void Frame_ResetDriver();

// ---- Pacing (frame_pace.cpp) --------------------------------------------
extern uint32_t g_FrameRate;        // frames per second, 60 at start (command 29)
extern uint32_t g_FrameSkipOn;      // frame-skip option, 1 at start

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
struct PlayTimer {
  uint8_t running = 1;
  uint32_t stamp = 0;   // time at which it was stopped
  uint32_t offset = 0;  // subtracted from the time to give the play time
};
constexpr int kPlayTimerCount = 4;
extern std::array<PlayTimer, kPlayTimerCount> g_PlayTimers;

void Timer_StartAll(uint32_t now);            // every offset = now (start-up)
uint32_t Timer_Read(int index, uint32_t now); // (now or stamp) - offset
void Timer_Stop(int index, uint32_t now);
void Timer_Start(int index, uint32_t now);

extern uint8_t g_InactivePaused;
extern uint8_t g_RunWhenInactive;  // running while inactive is allowed (1 at start)
void App_UpdateInactivePause(bool mainWindowActive);
void App_BeginInactivePause();
void App_EndInactivePause();

// ---- System variables of the shell (sysvar_input.cpp) --------------------
// Integer system variables of the frame and pass counters, the play timers,
// the mouse and the key counters: 0 and 1 (clock, timers), 109, 110, 111,
// 133-142, 144, 147-547. False for every other number, which the VM's
// SysVar_Get then answers itself.
bool SysVar_GetShell(int32_t number, int64_t index, int64_t* out);
// Button map of the numbers 147-275, 281-408 and 415-542: the key number of
// each of the 128 buttons (a byte each).
constexpr int kButtonMapSize = 128;
extern uint8_t g_ButtonMap[kButtonMapSize];
