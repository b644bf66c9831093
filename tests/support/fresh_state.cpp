// Two kinds of engine state are put back before each case: what a case
// builds and owns (trees, tables, caches, packs) is freed through the
// engine's own release functions; plain values and installed hooks are
// copied back from a snapshot taken before the first case ran, which is the
// state every new process starts with.
#include "support/fresh_state.h"

#include <SDL.h>
#include <dlfcn.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/engine_state.h"
#include "base/err.h"
#include "base/config.h"
#include "base/input_state.h"
#include "files/files.h"
#include "files/script_data.h"
#include "graphics/layer_image.h"
#include "platform/clock.h"
#include "platform/displays.h"
#include "platform/events.h"
#include "platform/menu.h"
#include "platform/msgbox.h"
#include "platform/window.h"
#include "render/gpu.h"
#include "render/gpu_internal.h"
#include "render/render.h"
#include "shell/frame.h"
#include "shell/link.h"
#include "shell/menu.h"
#include "shell/startup.h"
#include "shell/window.h"
#include "vm/math.h"
#include "vm/objtree.h"
#include "vm/script_load.h"
#include "vm/sysvar_hooks.h"
#include "vm/task.h"
#include "vm/vm.h"

extern char** environ;

namespace {

// Restorers of the values captured at the first call.
std::vector<std::function<void()>>& Restorers() {
  static std::vector<std::function<void()>> list;
  return list;
}

template <typename T>
void Keep(T& value) {
  auto saved = std::make_shared<T>(value);
  Restorers().push_back([&value, saved] { value = *saved; });
}
template <typename T>
void Keep(std::atomic<T>& value) {
  T saved = value.load();
  Restorers().push_back([&value, saved] { value.store(saved); });
}
template <typename T, size_t N>
void Keep(T (&array)[N]) {
  auto saved = std::make_shared<std::vector<T>>(array, array + N);
  Restorers().push_back([&array, saved] { std::copy(saved->begin(), saved->end(), array); });
}

// The environment: cases point the video driver, the display, the session
// bus, the home and data folders and the stand-in compiler elsewhere.
void KeepEnvironment() {
  auto saved = std::make_shared<std::vector<std::string>>();
  for (char** e = environ; *e; ++e) saved->emplace_back(*e);
  Restorers().push_back([saved] {
    std::vector<std::string> names;
    for (char** e = environ; *e; ++e) {
      const char* eq = std::strchr(*e, '=');
      if (eq) names.emplace_back(*e, size_t(eq - *e));
    }
    for (const std::string& name : names) unsetenv(name.c_str());
    for (const std::string& entry : *saved) {
      size_t eq = entry.find('=');
      if (eq != std::string::npos)
        setenv(entry.substr(0, eq).c_str(), entry.c_str() + eq + 1, 1);
    }
  });
}

// One connection to the X server for the whole run. The cases end SDL's
// video, and with it the last connection; an X server left without clients
// resets itself and refuses the next case's connection meanwhile.
void HoldDisplay() {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) return;
  void* x11 = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
  if (!x11) return;
  using OpenFn = void* (*)(const char*);
  auto open = reinterpret_cast<OpenFn>(dlsym(x11, "XOpenDisplay"));
  static void* held = open ? open(nullptr) : nullptr;
  (void)held;
}

// The values and hooks taken back, by subsystem.
void KeepAll() {
  HoldDisplay();
  KeepEnvironment();
  // The current directory: game fixtures enter folders that they remove.
  std::error_code ec;
  std::filesystem::path cwd = std::filesystem::current_path(ec);
  Restorers().push_back([cwd] {
    std::error_code e;
    if (!cwd.empty()) std::filesystem::current_path(cwd, e);
  });
  // Reports, quit and shut-down flags and the reporter's hooks.
  Keep(g_QuitRequested);
  Keep(g_ShutdownRequested);
  Keep(g_RestartRequested);
  Keep(g_ErrDialogShown);
  Keep(g_ErrTextTable);
  Keep(g_ErrFile);
  Keep(g_ErrLine);
  Keep(g_ErrPlaceHook);
  Keep(g_ErrDialogOpenHook);
  Keep(g_DebugMode);
  Keep(g_ErrCaption);
  Keep(g_ErrObserver);
  Keep(g_TraceHook);
  // Run state, configuration and input read by every subsystem.
  Keep(g_AppRunning);
  Keep(g_HasAppendedData);
  Keep(g_BuiltSize);
  Keep(g_ScreenSaverMode);
  Keep(g_SoundMode);
  Keep(g_FrameThreadMode);
  Keep(g_JoystickEnabled);
  Keep(g_SoundThreadState);
  Keep(g_FrameThreadState);
  Keep(g_FrameRate);
  Keep(g_FrameSkipOn);
  Keep(g_PlayTimers);
  Keep(g_InactivePaused);
  Keep(g_RunWhenInactive);
  Keep(g_KeyCounters);
  Keep(g_KeyPressed);
  Keep(g_InputOptions);
  Keep(g_ButtonMap);
  Keep(g_FitMode);
  Keep(g_MaxWorkers);
  Keep(g_ResolutionChange);
  Keep(g_MovieUseDirectShow);
  Keep(g_UseSSE);
  Keep(g_UseSSE2);
  Keep(g_TitleDoubleClickSwitch);
  Keep(g_SysVarUserByte);
  Keep(g_DisableDwm);
  Keep(g_UserSettingsRead);
  Keep(g_SavePath);
  Keep(g_SavePlace);
  Keep(g_DataDir);
  Keep(g_DataDirNotWritable);
  Keep(g_ProcessorCount);
  Keep(g_WorkerCount);
  Keep(g_RenderSettings);
  Keep(g_DesktopMetrics);
  Keep(g_EngineConfig);
  Keep(g_Args);
  Keep(g_ProcessArgc);
  Keep(g_ProcessArgv);
  Keep(g_StartLocalTime);
  Keep(g_AppendedPackOffset);
  Keep(g_PreviewSize);
  Keep(g_ModulePath);
  Keep(g_ModulePathHost);
  Keep(g_ExeDir);
  Keep(g_ExeDirHost);
  Keep(g_InstanceName);
  Keep(g_CompilerLink);
  // Files: where the data are and how names are tried.
  Keep(g_FileAppended);
  Keep(g_DataPackaged);
  Keep(g_ImageExtOrder);
  Keep(g_SoundExtOrder);
  // VM: the runner's place, the generator, hooks and root makers.
  Keep(g_CurTask);
  Keep(g_VmPassCounter);
  Keep(g_VmPassAgain);
  Keep(g_VmLastResult);
  Keep(g_DebugCmdCount);
  Keep(g_DebugCornerMask);
  Keep(g_RandIndex);
  Keep(g_RandState);
  Keep(g_MsgStepTaskHook);
  Keep(g_VmPauseWaitHook);
  Keep(g_VmAskYesNoHook);
  Keep(g_SysVarHooks);
  // Graphics: the redraw requests and the GPU frame's target.
  Keep(g_FullRedraw);
  Keep(g_GpuDrawLayer);
  // What the GPU device does once per run: the capability check, the list
  // of display modes and the box about a transfer layer of the wrong size.
  Keep(g_GpuDevice.capsChecked);
  Keep(g_GpuDevice.modesListed);
  Keep(g_GpuDevice.sizeMismatchShown);
  // Windows, screen modes, the frame driver and presentation.
  Keep(g_WinConfig);
  Keep(g_FullScreen);
  Keep(g_Screen);
  Keep(g_FullScreenDepth);
  Keep(g_D3dResetRequest);
  Keep(g_Monitors);
  Keep(g_CurrentMonitor);
  Keep(g_MainSize);
  Keep(g_WndUi);
  Keep(g_CloseRequest);
  Keep(g_MinimizeRequest);
  Keep(g_MaximizeRequest);
  Keep(g_ScreenModeRequest);
  Keep(g_MenuCommand);
  Keep(g_LastKeyDown);
  Keep(g_LastMouseButton);
  Keep(g_DragRequest);
  Keep(g_DragLayer);
  Keep(g_QuitBoxUp);
  Keep(g_BlockScreenSaver);
  Keep(g_WndFrameThreadRunning);
  Keep(g_WndMovieNotify);
  Keep(g_ActiveWindow);
  Keep(g_CursorShown);
  Keep(g_CursorPending);
  Keep(g_FrameCounter);
  Keep(g_FrameHold);
  Keep(g_FrameSkip);
  Keep(g_RedrawCountdown);
  Keep(g_PopupMenuSet);
  Keep(g_Pacing);
  Keep(g_StartupEndedEarly);
  Keep(g_StartupTraceHook);
  Keep(g_LetterBox);
  Keep(g_D3dMode);
  Keep(g_GpuFilterSettings);
  Keep(g_GpuShellHooks);
  Keep(g_ShutdownStuckThreads);
  Keep(g_DragPressX);
  Keep(g_DragPressY);
  Keep(g_PopupPosX);
  Keep(g_PopupPosY);
  Keep(g_Mncl);
  Keep(g_TrayState);
  Keep(g_CursorState);
  Keep(g_KeyTransitions);
  Keep(g_FlashHost);
  Keep(g_MovieHost);
  Keep(g_PlatMenuTurnHook);
  for (int tree = 0; tree < kTreeCount; ++tree) {
    ObjRootMakerFn maker = Obj_RootMaker(tree);
    ObjReleaseFn release = Obj_ReleaseHook(tree);
    Restorers().push_back([tree, maker, release] {
      Obj_RegisterRootMaker(tree, maker);
      Obj_SetReleaseHook(tree, release);
    });
  }
}

// A frame thread a case left running ends the way the shut-down ends it
// (cases that only set the state have no thread to wait for).
void EndFrameThread() {
  bool ended = true;
  if (g_WndFrameThreadRunning && g_FrameThreadState == kThreadRunning) {
    g_ShutdownRequested = 1;
    g_QuitRequested = 1;
    ended = Shutdown_WaitThreadState(g_FrameThreadState, kThreadEndWaitMs);
  }
  Thread_ReleaseFrameThread(ended);
}

// The shell's windows, menus, cursor and screen buffer, then the platform's
// events and video: a case that opens windows under the X server follows
// one that used SDL's dummy driver.
void FreeShellAndPlatform() {
  EndFrameThread();
  Menu_ShutDown();
  Cursor_ShutDown();
  Screen_FreeBuffer();
  Win_DestroyAll();
  g_DroppedFiles.Clear();
  // The next Sys_InitTables installs its hooks again over the restored ones.
  Sys_ForgetTables();
  Frame_ResetDriver();
  MsgBox_SetRecorder({});
  Clock_SetManual(false);
  PlatMouse_SetFake(false);
  PlatDisplay_ClearFake();
  PlatCursor_Show(true);
  Plat_ResetEvents();
  // A headless video ends, so that a case that wants the X server gets it;
  // a video on the X server stays, since each of its starts loads and
  // unloads the X libraries again, and what they keep would go with them.
  const char* driver = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetCurrentVideoDriver() : nullptr;
  if (driver && (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0))
    Plat_VideoQuit();
}

// What the cases build: freed while the hooks that release it are still
// the ones the case left.
void FreeBuilt() {
  FreeShellAndPlatform();
  Obj_FreeSystemRoots();
  Script_FreeAll();
  File_ClearMemCache();
  File_StoreClear();
  Pack_Reset();
}

}  // namespace

void Fixture_FreshEngineState() {
  static bool kept = false;
  if (!kept) {
    KeepAll();
    kept = true;
  }
  FreeBuilt();
  for (const auto& restore : Restorers()) restore();
}
