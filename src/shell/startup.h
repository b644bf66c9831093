// Start-up and shut-down of the engine proper: Sys_Startup in its order,
// the engine tables, the message loop and the frame thread, the ordered
// shut-down. Boot_Run (boot_main.cpp) calls Sys_RunEngine, or the three
// parts itself: Sys_Startup, Main_MessageLoop when it returned 0, then
// Boot_Shutdown.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>

#include "base/base.h"

// ---- Start-up (startup.cpp, startup_steps.cpp, startup_tables.cpp) ------
// 0 run the message loop, -1 stop, 1 the script data failed to load
// (App_RequestQuit already called). Every result is followed by
// Boot_Shutdown.
int Sys_Startup();
// Set when the start-up stopped on purpose rather than by a failure (the
// settings and licence switches, a second copy in the folder): the process
// then ends with 0.
extern uint8_t g_StartupEndedEarly;
// Builds the engine-wide tables once per process (a second call does
// nothing) and registers every command with the command schema. 0, or -1
// after 100010 when the message record cannot be made.
int Sys_InitTables();
// Tests: the next Sys_InitTables builds the tables again.
void Sys_ForgetTables();
// Registers the command schema entries of every built subsystem (also used
// by the fixture writer, so that games and engine agree on the table).
void Sys_RegisterCommands();
// Installs what the VM asks of the shell (vm_host_hooks.cpp).
void Shell_InstallVmHooks();
// Probe of a temporary file in g_DataDir; sets g_DataDirNotWritable.
void Sys_ProbeTempFile();
// Size of the embedded data block 148, -1 when it is missing.
int32_t Res_GetBinSize();
void Timer_BeginPeriod();
void Timer_EndPeriod();
// Starts the pixel workers (g_WorkerCount of them); 0, or -1 after 100010
// when a worker thread could not be started.
int Thread_StartWorkers();
// Starts the frame thread when g_FrameThreadMode is set; 0, or -1 after
// 100010 when the thread could not be started.
int Thread_StartFrameThread();

// A step of the start-up: 0 go on, anything else is the start-up's result.
using StartupStepFn = int (*)();
struct StartupStep {
  const char* name;
  StartupStepFn fn;
};
// The steps in their order (count in *n).
const StartupStep* Startup_Steps(int* n);
// Tests: runs `fn` in place of the step called `name` (null restores the
// step); false when no step has that name.
bool Startup_ReplaceStep(const char* name, StartupStepFn fn);
// Tests: called with each step's name before the step runs.
using StartupTraceFn = void (*)(const char* step);
extern StartupTraceFn g_StartupTraceHook;

// The screen-buffer size for a logical size on a desktop: the logical size,
// or half the desktop (each side halved toward zero) when either side is
// larger than the desktop's.
void Startup_BufferSize(int32_t logicalW, int32_t logicalH, int32_t desktopW, int32_t desktopH,
                        int32_t* w, int32_t* h);
// True when the text equals "/qvcfg" in any mix of cases (ASCII only).
bool Startup_IsSwitch(const std::string& arg, const char* lowerSwitch);

// ---- Main loop and frame thread (main_loop.cpp) -------------------------
// The message loop: drains events, polls input and runs frames (or, with
// the frame thread, only sleeps 1 ms a turn) until the quit is taken.
void Main_MessageLoop();
// One frame; nonzero when the engine must quit (frame_driver.cpp).
int Main_RunFrame();
// The frame thread's body: frames until one reports quit or the shut-down
// begins.
void App_FrameThreadMain();
// The orderly quit: g_QuitRequested, close mode 2 (closing), a close
// message to the main window. Any thread.
void App_RequestQuit();
// Shut-down: joins the frame thread when it ended, else detaches it and
// leaves what it uses alone.
void Thread_ReleaseFrameThread(bool ended);
// The inactive pause seen from inside a running task (the VM's step gate):
// pumps and sleeps 10 ms a turn while the pause lasts; nonzero when the
// task's turn must end.
int32_t App_WaitInactivePause();
// Losing the display: tells every loop to end and waits a bounded moment
// for the sound and frame threads; the platform then ends the process.
void App_OnDisplayLost();
void App_InstallDisplayLossHook();

// ---- Shut-down (shutdown.cpp) -------------------------------------------
// How long the shut-down waits for one thread before it reports it and
// leaves its resources alone.
constexpr uint32_t kThreadEndWaitMs = 3000;
void Boot_Shutdown();
void Boot_ShutdownAll();
// Start-up, loop and shut-down in one: the engine proper. Returns the
// process's exit code (0 normal end or quit, 1 the start-up stopped).
int Sys_RunEngine();
// Waits until `state` is no longer kThreadRunning (reading it under
// g_SoundLock every 1 ms, real time) for at most `ms`: true when it ended
// or never started.
bool Shutdown_WaitThreadState(const std::atomic<uint8_t>& state, uint32_t ms);
// Runs `fn` on a helper thread and waits for it at most `ms`; false when it
// did not return in time (the helper is then left running, detached).
bool Shutdown_RunBounded(void (*fn)(), uint32_t ms);
// Threads the shut-down left running (for the report and tests).
extern int g_ShutdownStuckThreads;

// ---- Last-frame screenshot (frame_shot.cpp) ------------------------------
// When the environment variable TAVREN_SCREENSHOT names a file, the
// shut-down writes what the main window shows last as a PNG there.
constexpr char kScreenshotEnv[] = "TAVREN_SCREENSHOT";
// True when that variable is set (read once).
bool Frame_ScreenshotWanted();
// Keeps a copy of what the main window shows now (after each present).
void Frame_KeepShownFrame();
// Writes the last kept frame as PNG; 0 written.
int Frame_SaveLastFrame(const char* hostPath);
