// Engine-wide run state that every subsystem reads: the quit and shut-down
// flags, the executable's paths, the appended data block, the one lock, the
// threads' running states, the play timers and the pacing values that
// script commands set.
#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

// Stop byte read by the frame driver, the task runner and every thread loop.
// Written by every error report (its quit flag) and by App_RequestQuit.
extern std::atomic<uint8_t> g_QuitRequested;

// Sticky shut-down flag: set by every report with a nonzero quit flag (and
// by the orderly quit) and never cleared, unlike g_QuitRequested, which a
// later report with quit flag 0 clears for the script VM.
extern std::atomic<uint8_t> g_ShutdownRequested;

// Paths of the executable. The engine forms are Shift-JIS, lower-cased with
// '\' separators (identity, names built by the engine); the host forms keep
// the original case for every file operation.
extern std::string g_ModulePath;      // "\home\...\game\tavren" lower-cased, '/' as '\'
extern std::string g_ExeDir;          // folder of g_ModulePath with a trailing '\'
extern std::string g_InstanceName;    // g_ModulePath with every '\' as ':'
extern std::string g_ModulePathHost;  // /proc/self/exe as it is
extern std::string g_ExeDirHost;      // its folder, no trailing '/'

// Appended data block. Written by Boot_CheckAppendedData before anything
// reads it.
constexpr char kAppendedMagic[4] = {'Q', 'V', 'E', 'R'};
constexpr uint32_t kAppendedHeaderSize = 16;
extern uint32_t g_BuiltSize;
extern uint8_t g_HasAppendedData;
extern uint8_t g_ScreenSaverMode;
extern uint64_t g_AppendedPackOffset;  // pack data offset given by the block
extern uint32_t g_PreviewSize;         // preview bitmap bytes, 0 for none

// The engine's one lock: the sound tree and records, the sound request
// ring, the running-state bytes of the sound and frame threads, the dropped
// files. Lives for the whole process.
extern std::mutex g_SoundLock;
extern std::atomic<uint8_t> g_RestartRequested;  // a script asked for a restart
extern std::atomic<uint8_t> g_AppRunning;        // the message loop runs while set


// ---- State made by the start-up ------------------------------------------
// Folder of the game's data, Shift-JIS with a trailing '\': a copy of
// g_ExeDir (packaged data; the compiler link would set it otherwise).
extern std::string g_DataDir;
// 1 when the temporary-file probe in the data folder failed (read by the
// system variables). Written once at start-up.
extern uint8_t g_DataDirNotWritable;
// Sound output: 0 off, 1 on, 2 required. Taken from the engine
// configuration.
extern uint8_t g_SoundMode;
// The engine configuration's frame-thread option.
extern uint8_t g_FrameThreadMode;
// Joysticks answered at start-up (the joystick-enabled byte).
extern uint8_t g_JoystickEnabled;
// Local time of the start: year, month, day, day of week, hour, minute,
// second, milliseconds (system variable 0, index 8..15).
extern int32_t g_StartLocalTime[8];
// The local time now in the same eight fields (day of week 0 = Sunday).
void Sys_LocalTime(int32_t out[8]);

// Running state of the threads: 255 never started, 0 running, 1 ended.
// Written under g_SoundLock; atomic so that a bounded wait may read it.
constexpr uint8_t kThreadNeverStarted = 255, kThreadRunning = 0, kThreadEnded = 1;
extern std::atomic<uint8_t> g_SoundThreadState;
extern std::atomic<uint8_t> g_FrameThreadState;

// ---- Pacing values that scripts set (command 29) -------------------------
extern uint32_t g_FrameRate;        // frames per second, 60 at start
extern uint32_t g_FrameSkipOn;      // frame-skip option, 1 at start

// ---- Play timers and the inactive pause bytes (play_timers.cpp) ----------
// Read by the system variables, set by the settings command, moved by the
// shell's inactive pause. Set by the start-up before the frame thread
// starts, then touched by the frame alone.
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

// Written by the frame (the pause, the settings command) and read by the
// sound thread's focus pause as well.
extern std::atomic<uint8_t> g_InactivePaused;   // the engine's inactive pause is on
extern std::atomic<uint8_t> g_RunWhenInactive;  // running while inactive is allowed (1 at start)
