// The ordered shut-down. It never hangs: the sticky shut-down flag is set
// first (every thread loop reads it, and a later report with quit flag 0
// cannot clear it), every wait for a thread is bounded, and a thread that
// does not end in time is reported and left alone with what it uses.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

#include "graphics/graphics.h"
#include "media/media.h"
#include "platform/events.h"
#include "platform/window.h"
#include "render/render.h"
#include "files/save.h"
#include "shell/menu.h"
#include "shell/shell.h"
#include "shell/startup.h"
#include "sound/sound.h"

int g_ShutdownStuckThreads = 0;

namespace {

void ReportStuck(const char* what) {
  ++g_ShutdownStuckThreads;
  Sys_Trace("%s did not end within %u ms; its resources are left alone", what,
            unsigned(kThreadEndWaitMs));
  std::fprintf(stderr, "shut-down: %s did not end within %u ms\n", what,
               unsigned(kThreadEndWaitMs));
}

}  // namespace

bool Shutdown_WaitThreadState(const std::atomic<uint8_t>& state, uint32_t ms) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    uint8_t s;
    {
      std::lock_guard<std::mutex> lock(g_SoundLock);
      s = state;
    }
    if (s != kThreadRunning) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    // A thread may be waiting for the main thread (a box, a window call):
    // keep serving it while waiting.
    if (Plat_IsMainThread()) Plat_PumpEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

bool Shutdown_RunBounded(void (*fn)(), uint32_t ms) {
  struct Shared {
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
  };
  auto sh = std::make_shared<Shared>();
  std::thread t([sh, fn] {
    fn();
    std::lock_guard<std::mutex> lock(sh->m);
    sh->done = true;
    sh->cv.notify_all();
  });
  bool ok;
  {
    std::unique_lock<std::mutex> lock(sh->m);
    ok = sh->cv.wait_for(lock, std::chrono::milliseconds(ms), [&] { return sh->done; });
  }
  if (ok) t.join();
  else t.detach();
  return ok;
}

void Boot_ShutdownAll() {
  g_ShutdownRequested = 1;
  g_QuitRequested = 1;
  bool soundEnded = Shutdown_WaitThreadState(g_SoundThreadState, kThreadEndWaitMs);
  if (!soundEnded) ReportStuck("the sound thread");
  bool frameEnded = Shutdown_WaitThreadState(g_FrameThreadState, kThreadEndWaitMs);
  if (!frameEnded) ReportStuck("the frame thread");
  Thread_ReleaseFrameThread(frameEnded);
  bool workersEnded = frameEnded && Shutdown_RunBounded(Gfx_StopWorkers, kThreadEndWaitMs);
  if (frameEnded && !workersEnded) ReportStuck("a pixel worker");
  Snd_ReleaseDevice(soundEnded);

  // The players go first: the frame thread that drew them has ended.
  if (frameEnded) Media_Shutdown();
  if (const char* shot = std::getenv(kScreenshotEnv); shot && *shot && frameEnded)
    Frame_SaveLastFrame(shot);
  if (frameEnded) Gpu_ReleaseAll();  // the GPU device, after the frames that used it
  if (frameEnded) Menu_ShutDown();   // the menus the frames built, with the tray icon
  WindowRec* main = g_WindowRecs[0];
  if (g_FullScreen && main && main->handle && Screen_EnterWindowed(main) == 0) g_FullScreen = 0;
  PlatCursor_Show(true);
  Timer_EndPeriod();
  // What a thread still running may use stays: freeing it under the thread
  // would be worse than leaving it to the process's end.
  if (!frameEnded || !workersEnded) return;
  Present_FreeGdiBuffers();
  Save_FreeBuffers(-1);
  Screen_FreeBuffer();
  Win_DestroyAll();
}

void Boot_Shutdown() { Boot_ShutdownAll(); }

int Sys_RunEngine() {
  int r = int8_t(Sys_Startup() & 0xFF);
  if (r == 0) Main_MessageLoop();
  // A stop on purpose (the settings and licence switches, a second copy)
  // is a normal end; a reported failure is not.
  bool failed = r != 0 && g_ShutdownRequested && !g_StartupEndedEarly;
  Boot_Shutdown();
  return failed ? 1 : 0;
}
