// Process entry: single instance, paths, appended data, then the engine.
#include <cstdio>
#include <cstdlib>

#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/signals.h"
#include "shell/shell.h"
#include "shell/startup.h"


namespace {

// Runs the engine proper: the start-up sequence, the message loop and the
// ordered shut-down. Returns the exit code of the loop.
//
// Sys_Startup, and when it returns 0 the message loop until g_AppRunning is
// cleared, then Boot_Shutdown.
int Boot_RunEngine() { return Sys_RunEngine(); }

// SIGTERM and SIGINT: the orderly quit of an error report with quit flag 1,
// without the close question (App_RequestQuit closes in mode 2). Runs in
// the signal handler: it only stores to lock-free atomics.
void OnQuitSignal(int) {
  static_assert(std::atomic<uint8_t>::is_always_lock_free);
  g_ShutdownRequested = 1;
  g_QuitRequested = 1;
}

int Finish(int code) {
  Boot_ReleaseMutexes();
  return code;
}

}  // namespace

int Boot_Run(int argc, char** argv) {
  g_ProcessArgc = argc;
  g_ProcessArgv = argv;
  if (!Boot_TakeStartLock()) return 0;  // another copy is starting right now
  Boot_InitPaths();
  if (g_ModulePathHost.empty()) {
    std::fprintf(stderr, "cannot find the path of the running program\n");
    return Finish(1);
  }
  int instance = Boot_TakeInstanceLock();
  if (instance == 0) return Finish(0);  // the running copy was asked to the front
  if (instance < 0) {
    std::fprintf(stderr, "cannot take the instance lock\n");
    return Finish(1);
  }
  Boot_ReleaseMutex(0);
  // The host folder keeps its case: the lower-cased engine form of the
  // path would not name it on a case-sensitive file system.
  if (!Fs_SetCurrentDir(g_ExeDirHost)) {
    std::fprintf(stderr, "cannot enter the program's folder %s\n", g_ExeDirHost.c_str());
    return Finish(1);
  }
  // A program whose own size cannot be read cannot go on; that is a failed
  // start, not a success.
  if (Boot_CheckAppendedData() < 0) return Finish(1);
  if (g_ScreenSaverMode && Boot_HandleScreenSaverArgs(argc, argv) != 0) return Finish(0);
  int code = Boot_RunEngine();
  Boot_ReleaseMutexes();
  if (g_RestartRequested) Boot_Restart(g_ModulePathHost);
  return code;
}

void Boot_InstallQuitSignals() { PlatSignal_Install(OnQuitSignal); }

int Boot_Main(int argc, char** argv) {
  MsgBox_SetInteractive(true);
  Boot_InstallQuitSignals();
  App_InstallDisplayLossHook();
  int code = Boot_Run(argc, argv);
  // The shut-down left a thread running with what it uses. Returning from
  // main would run the static destructors under it (the worker pool's
  // threads and condition variables among them): std::terminate or a wait
  // for ever. The output is flushed and the process ends here instead.
  if (g_ShutdownStuckThreads > 0) {
    std::fflush(nullptr);
    std::_Exit(code);
  }
  return code;
}
