// The message loop, the frame thread and the orderly quit.
#include <thread>

#include "platform/clock.h"
#include "platform/events.h"
#include "platform/threads.h"
#include "platform/window.h"
#include "platform/x11_errors.h"
#include "shell/frame.h"
#include "shell/shell.h"
#include "shell/startup.h"


namespace {

std::thread g_FrameThread;
thread_local bool t_OnFrameThread = false;

// How long a lost display leaves the threads to finish their pass.
constexpr uint32_t kDisplayLostGraceMs = 1000;

void SetFrameThreadState(uint8_t state) {
  std::lock_guard<std::mutex> lock(g_SoundLock);
  g_FrameThreadState = state;
}

// A later copy of the program asked this one to come to the front.
void ServeFrontRequest() {
  if (!Boot_PollFrontRequest()) return;
  WindowRec* main = g_WindowRecs[0];
  if (!main || !main->handle) return;
  if (PlatWin_IsMinimized(main->handle)) PlatWin_Restore(main->handle);
  PlatWin_Raise(main->handle);
}

// Takes every waiting event; false once the quit message has been taken.
bool Drain() {
  ServeFrontRequest();
  if (Plat_PumpEvents()) return true;
  g_AppRunning = 0;
  return false;
}

}  // namespace

void App_RequestQuit() {
  g_QuitRequested = 1;
  g_ShutdownRequested = 1;
  // The window records belong to the main thread, which may be destroying
  // the main window this moment; from the frame thread the flags are all it
  // takes: the message loop sees them on its next turn and closes the
  // window itself.
  if (t_OnFrameThread) return;
  WindowRec* main = g_WindowRecs[0];
  if (!main || !main->handle) {
    // Without a main window there is nothing to close: end the loop directly.
    Plat_PostQuit();
    return;
  }
  main->closeMode = 2;
  PlatEvent ev;
  ev.msg = PlatMsg::Close;
  ev.window = 0;
  Plat_PostEvent(ev);
}

void Main_MessageLoop() {
  g_AppRunning = 1;
  if (!Drain()) return;
  bool quitPosted = false;
  while (g_AppRunning) {
    if (g_QuitRequested || g_ShutdownRequested) {
      // Whoever asked for the quit, the main window must close for the
      // loop to end; a quit set outside a frame (a start-up report, the
      // frame thread) has not necessarily asked it to.
      if (!quitPosted) App_RequestQuit();
      quitPosted = true;
      Clock_SleepMs(1);
    } else {
      Main_PollInput();
      if (g_FrameThreadMode) Clock_SleepMs(1);
      else if (Main_RunFrame()) App_RequestQuit();
    }
    Drain();
  }
}

void App_FrameThreadMain() {
  t_OnFrameThread = true;
  SetFrameThreadState(kThreadRunning);
  // The sticky shut-down flag ends the loop even when a later report with
  // quit flag 0 cleared g_QuitRequested.
  while (!g_ShutdownRequested) {
    if (Main_RunFrame()) break;
    // A held frame returns at once; without a pause the thread would spin
    // at full speed for as long as the quit box is up.
    if (g_FrameHold) Clock_SleepMs(1);
  }
  App_RequestQuit();
  SetFrameThreadState(kThreadEnded);
}

int Thread_StartFrameThread() {
  if (!g_FrameThreadMode || g_FrameThread.joinable()) return 0;
  SetFrameThreadState(kThreadRunning);
  g_WndFrameThreadRunning = 1;
  if (!g_PlatThreadStart(&g_FrameThread, App_FrameThreadMain)) {
    SetFrameThreadState(kThreadNeverStarted);
    g_WndFrameThreadRunning = 0;
    Err_Show(100010, 1);
    return -1;
  }
  return 0;
}

// Shut-down: joins the frame thread once it ended, or leaves it running
// (detached, its resources untouched) when it did not.
void Thread_ReleaseFrameThread(bool ended) {
  if (!g_FrameThread.joinable()) return;
  if (ended) g_FrameThread.join();
  else g_FrameThread.detach();
  g_WndFrameThreadRunning = 0;
}

int32_t App_WaitInactivePause() {
  while (g_InactivePaused) {
    if (g_QuitRequested || g_ShutdownRequested || !g_AppRunning) return 1;
    if (Plat_IsMainThread()) {
      if (!Plat_PumpEvents()) {
        g_AppRunning = 0;
        return 1;
      }
      Main_PollInput();
    }
    WindowRec* main = g_WindowRecs[0];
    App_UpdateInactivePause(main && main->active);
    if (g_InactivePaused) Clock_SleepMs(10);
  }
  return 0;
}

// The X server went away: nothing can be shown or asked any more. Every loop
// is told to end, and the sound and frame threads get a short moment to
// finish their pass (not this thread, which found the loss and cannot); the
// platform then ends the process without the static destructors that would
// pull the workers' state from under them.
void App_OnDisplayLost() {
  g_ShutdownRequested = 1;
  g_QuitRequested = 1;
  uint32_t start = Clock_Ms32();
  while (Clock_Ms32() - start < kDisplayLostGraceMs) {
    bool sound = g_SoundThreadState == kThreadRunning;
    bool frame = !t_OnFrameThread && g_FrameThreadState == kThreadRunning;
    if (!sound && !frame) return;
    Clock_SleepMs(5);
  }
}

void App_InstallDisplayLossHook() { PlatX11_SetDisplayLostHook(App_OnDisplayLost); }
