// Sys_Startup: the engine from a bare process to a running game, as a table
// of steps run in order. Each step returns 0 to go on; any other value stops
// the start-up with that result, and the shut-down frees what was made.
//
// Steps whose subsystem is not in this engine yet (the GPU device, the
// animated-character host) are not in the table; the
// platform's no-ops (common controls, desktop composition, the input-method
// detach, the optional library) have nothing to do here.
#include <cstring>

#include "files/files.h"
#include "files/script_data.h"
#include "graphics/graphics.h"
#include "media/media.h"
#include "platform/clock.h"
#include "platform/events.h"
#include "platform/process.h"
#include "platform/text.h"
#include "platform/window.h"
#include "render/render.h"
#include "shell/frame.h"
#include "shell/link.h"
#include "shell/shell.h"
#include "shell/startup.h"
#include "shell/sysinfo.h"
#include "sound/sound.h"
#include "vm/vm.h"

StartupTraceFn g_StartupTraceHook = nullptr;
uint8_t g_StartupEndedEarly = 0;

namespace {

// A start-up step whose result says it failed stops the start with 100010
// (a failed allocation), so the engine never ends without saying why. Where
// the failing part reported its own cause first, that report is the one
// the dialog shows; this one only sets the quit flag again.
int Startup_Fail() {
  Err_Show(100010, 1);
  return -1;
}

int StepConfig() {
  Cfg_ReadCommandLine();
  Cfg_ReadUserSettings();
  Cfg_ChooseSaveFolder();
  return 0;
}

int StepPixelOps() {
  Pix_InitOps(g_UseSSE, g_UseSSE2);
  return 0;
}

int StepCaps() {
  Sys_ReadCaps();
  return 0;
}

int StepOsVersion() {
  if (g_OsVersionCode < 1 || g_OsVersionCode > 19) return 0;
  static const std::string kCaption = Text_Utf8ToSjis("エラー");
  static const std::string kText = Text_Utf8ToSjis("Windows95/NT3.5/NT4 では起動できません。");
  Sys_MessageBoxF(kCaption.c_str(), "%s", kText.c_str());
  return -1;
}

int StepPackNames() { return Pack_InitNameTable() ? -1 : 0; }

// "/qvcfg": the settings program in place of the game. A missing program
// is told rather than ending silently.
int StepSettingsSwitch() {
  if (g_Args.count < 1 || !Startup_IsSwitch(g_Args.args[1], "/qvcfg")) return 0;
  // The settings program sits beside the executable, named without the
  // Windows extension (file names are UTF-8 here).
  static const std::string kProgram = "エンジン設定";
  if (Proc_Spawn({g_ExeDirHost + "/" + kProgram, "/qvcfg"}) != 0) {
    static const std::string kCaption = Text_Utf8ToSjis("エラー");
    std::string text = Text_Utf8ToSjis(kProgram + " を起動できませんでした。");
    Sys_MessageBoxF(kCaption.c_str(), "%s", text.c_str());
  }
  g_StartupEndedEarly = 1;
  return -1;
}

int StepInfoSwitch() {
  if (g_Args.count < 1 || !Startup_IsSwitch(g_Args.args[1], "/info")) return 0;
  g_ErrCaption = "License Information";
  Err_Show(100000, 1);
  g_StartupEndedEarly = 1;
  return -1;
}

int StepPackIndex() {
  g_FileAppended.present = g_HasAppendedData;
  g_FileAppended.exePath = g_ModulePathHost;
  g_FileAppended.packStart = uint64_t(g_BuiltSize) + g_AppendedPackOffset;
  if (g_HasAppendedData) g_DataPackaged = 1;
  return Pack_BuildIndex() ? -1 : 0;
}

// A loose-file game holds its folder; a packaged one may run beside others.
int StepFolderLock() {
  if (g_HasAppendedData) return 0;
  if (!Boot_TakeFolderLock()) {
    Boot_ReleaseMutexes();
    g_StartupEndedEarly = 1;
    return -1;
  }
  return 0;
}

// Packaged data live beside the executable; loose data are compiled and
// handed over by the compiler, which also names their folder.
int StepDataDir() {
  if (g_DataPackaged) {
    g_DataDir = g_ExeDir;
    return 0;
  }
  return Compiler_Run() == 0 ? 0 : -1;
}

int StepTables() { return Sys_InitTables(); }

int StepTempProbe() {
  Sys_ProbeTempFile();
  return 0;
}

int StepBinResource() {
  int32_t size = Res_GetBinSize();
  if (size >= 0 && size <= 4) return 0;
  Sys_MessageBoxF(nullptr, "IDR miss.");
  return -1;
}

int StepWindowRecords() {
  if (Win_CreateMain() != 0) return Startup_Fail();
  Plat_SetWndProc(Win_Proc);
  return 0;
}

// The engine configuration file, then what it decides for the windows.
int StepEngineConfig() {
  g_ConfigDesktopW = uint32_t(g_DesktopMetrics.width);
  g_ConfigDesktopH = uint32_t(g_DesktopMetrics.height);
  if (Script_LoadConfig() != 0) return -1;
  const EngineConfig& c = g_EngineConfig;
  WindowRec* rec = g_WindowRecs[0];
  rec->logicalW = int32_t(c.width);
  rec->logicalH = int32_t(c.height);
  rec->title = c.title;
  rec->showAtFirstFrame = c.showFirstFrame;
  g_DebugMode = c.debug;
  g_FrameThreadMode = c.frameThread;
  g_SoundMode = c.soundMode;
  WinConfig& w = g_WinConfig;
  w.windowTitle = c.title;
  w.thickFrame = c.thickFrame;
  w.framedWindow = c.frameless ? 0 : 1;
  w.titleDoubleClick = g_TitleDoubleClickSwitch;
  w.screenSaverMode = g_ScreenSaverMode;
  w.fitMode = g_FitMode;
  w.resolutionChange = g_ResolutionChange;
  w.cpuFiltered = g_RenderSettings.cpuScaleChoice;
  w.gpuScaled = w.fullGpu = 0;  // no GPU device: CPU drawing
  w.sseScaling = g_UseSSE;
  w.desktopW = g_DesktopMetrics.width;
  w.desktopH = g_DesktopMetrics.height;
  w.desktopBpp = g_DesktopMetrics.bitsPerPixel;
  return 0;
}

// The screen buffer at the shown size. A failure is reported by the
// allocator; the start then stops rather than run frames without a buffer
// (a later report with quit flag 0 would otherwise clear the quit and let
// a frame present into nothing).
int StepScreenBuffer() {
  WindowRec* rec = g_WindowRecs[0];
  if (g_ScreenSaverMode) {
    rec->logicalW = g_DesktopMetrics.width;
    rec->logicalH = g_DesktopMetrics.height;
  }
  int32_t w = 0, h = 0;
  Startup_BufferSize(rec->logicalW, rec->logicalH, g_DesktopMetrics.width,
                     g_DesktopMetrics.height, &w, &h);
  g_Screen.screenW = g_Screen.shownW = w;
  g_Screen.screenH = g_Screen.shownH = h;
  return Screen_AllocBuffer(w, h) == 0 ? 0 : -1;
}

int StepMainWindow() {
  WindowRec* rec = g_WindowRecs[0];
  std::string title = rec->title;
  Wnd_InitObject(rec, title.c_str());
  g_WindowState[0] = 1;
  if (!Win_Create(rec, 1, g_InstanceName.c_str(), title.c_str())) {
    static const std::string kCaption = Text_Utf8ToSjis("エラー");
    static const std::string kText = Text_Utf8ToSjis("ウィンドウが生成できませんでした。");
    Sys_MessageBoxF(kCaption.c_str(), "%s", kText.c_str());
    return -1;
  }
  Win_FitAfterCreate(rec);
  PlatCursor_Show(false);
  PlatCursor_Show(true);
  // A screen saver takes no typed text: the input method is detached.
  if (g_ScreenSaverMode) Plat_SetTextInput(false);
  return 0;
}

int StepTimerPeriod() {
  Timer_BeginPeriod();
  g_FullScreenDepth = uint32_t(g_DesktopMetrics.bitsPerPixel);
  return 0;
}

// The object trees. The layer tree's first layer "W0" is window 0's root;
// it is made here when no maker of the layer tree did it.
int StepObjectRoots() {
  if (Obj_CreateSystemRoots() != 0) return Startup_Fail();
  WindowRec* rec = g_WindowRecs[0];
  ObjTreeRoot& tree = g_TreeRoots[kTreeLayer];
  if (rec->layerSet) return 0;
  if (!tree.root) return Startup_Fail();
  LayerImage* r = Obj_GetImageRecord(tree.root);
  if (!r || Img_SetSize(r, rec->logicalW, rec->logicalH, nullptr) != 0) return Startup_Fail();
  std::strcpy(tree.curPath, "W0");
  if (!Cg_Create("W0", rec->logicalW, rec->logicalH, 0, 0)) return Startup_Fail();
  Win_SetShownRoot(rec, Obj_FindByPath(tree.root, "W0", kObjFindGroup | kObjFindQuiet));
  return rec->layerSet ? 0 : Startup_Fail();
}

// What the sound thread's focus pause follows.
SndFocusInputs SoundFocusInputs() {
  SndFocusInputs in;
  in.runWhenInactive = g_RunWhenInactive != 0;
  in.inactivePaused = g_InactivePaused != 0;
  WindowRec* rec = g_WindowRecs[0];
  in.mainActive = !rec || rec->active != 0;
  return in;
}

// The sound device. A game that requires sound does not start without it;
// otherwise it runs silent.
int StepSound() {
  g_SndFocusHook = SoundFocusInputs;
  if (g_SoundMode == 0) return 0;
  if (Snd_Init()) {
    g_SoundMode = 1;
    return 0;
  }
  bool required = g_SoundMode == 2;
  g_SoundMode = 0;
  return required ? -1 : 0;
}

int StepSoundThread() { return Snd_Start() == 0 ? 0 : -1; }

int StepJoysticks() {
  g_JoystickEnabled = uint8_t(Input_InitJoysticks());
  g_InputOptions.joysticks = g_JoystickEnabled;
  return 0;
}

// The animated-character library, when one is installed; without it the
// feature is off. Its players are drawn only by the GPU, so with the
// library the main window is composed on the GPU whatever drawing level was
// chosen: this is the one way into full-GPU drawing. The resolution change
// of full screen goes with GPU scaling.
int StepEmote() {
  Emote_LoadDriver();
  Media_InstallHooks();
  if (Emote_Available()) {
    RenderSettings& r = g_RenderSettings;
    r.fullGpu = 1;
    r.gpuScaling = 0;
    if (r.cpuScaleChoice > 1) r.cpuScaleChoice = 1;
    g_ResolutionChange = 0;
    g_WinConfig.resolutionChange = 0;
  }
  return 0;
}

int StepStartClock() {
  Frame_ResetClock();
  Frame_ResetDriver();
  Sys_LocalTime(g_StartLocalTime);
  return 0;
}

// With GPU drawing the machine's facts go to the trace hook.
int StepSysInfo() {
  if (g_RenderSettings.fullGpu || g_RenderSettings.gpuScaling) SysInfo_Write();
  return 0;
}

int StepScripts() {
  if (Script_LoadAll() != 0) {
    App_RequestQuit();
    return 1;
  }
  std::memcpy(g_ButtonMap, g_CmdTable.tail, kButtonMapSize);
  return 0;
}

int StepWorkers() { return Thread_StartWorkers(); }

int StepFrameThread() { return Thread_StartFrameThread(); }

int StepScreenMode() {
  Screen_SetMode(0);
  return 0;
}

int StepPlayTimers() {
  Timer_StartAll(Clock_Ms32());
  // The first frame is paced from here, like every later one.
  g_Pacing.last = Clock_Ms32();
  return 0;
}

// The renderer's copies of the drawing mode follow the fall-back.
void SyncDrawingMode() {
  g_WinConfig.gpuScaled = g_D3dMode.GpuScaled;
  g_WinConfig.fullGpu = g_D3dMode.FullGpu;
  g_WinConfig.cpuFiltered = g_D3dMode.CpuFiltered;
}

// The GPU device comes last, once the drawing mode is settled. A device
// that cannot be made is the renderer's fall-back, never a failed start.
int StepGpuDevice() {
  const RenderSettings& r = g_RenderSettings;
  D3dMode& m = g_D3dMode;
  m.FullGpu = r.fullGpu;
  m.GpuScaled = r.gpuScaling;
  m.GpuFilter = r.presentMode;
  m.CpuFiltered = r.cpuScaleChoice;
  m.Textures16Bit = r.textures16Bit;
  m.TileMaxWidth = r.tileMaxWidth;
  m.TileMaxHeight = r.tileMaxHeight;
  g_GpuShellHooks.resetRequest = &g_D3dResetRequest;
  g_GpuShellHooks.modeChanged = SyncDrawingMode;
  g_GpuShellHooks.window0Root = [] { return g_WindowRecs[0] ? g_WindowRecs[0]->layerSet : nullptr; };
  g_GpuShellHooks.window0Size = [](int32_t* w, int32_t* h) {
    *w = g_WindowRecs[0] ? g_WindowRecs[0]->logicalW : 0;
    *h = g_WindowRecs[0] ? g_WindowRecs[0]->logicalH : 0;
  };
  int r0 = Gpu_StartupStep();
  SyncDrawingMode();
  return r0;
}

StartupStep g_Steps[] = {
    {"config", StepConfig},          {"pixelops", StepPixelOps},
    {"caps", StepCaps},              {"osversion", StepOsVersion},
    {"packnames", StepPackNames},    {"qvcfg", StepSettingsSwitch},
    {"info", StepInfoSwitch},        {"packindex", StepPackIndex},
    {"folderlock", StepFolderLock},  {"datadir", StepDataDir},
    {"tables", StepTables},          {"tempprobe", StepTempProbe},
    {"binresource", StepBinResource}, {"windows", StepWindowRecords},
    {"engineconfig", StepEngineConfig}, {"screenbuffer", StepScreenBuffer},
    {"mainwindow", StepMainWindow},  {"timerperiod", StepTimerPeriod},
    {"roots", StepObjectRoots},      {"sound", StepSound},
    {"joysticks", StepJoysticks},    {"emote", StepEmote},
    {"clock", StepStartClock},       {"sysinfo", StepSysInfo},
    {"scripts", StepScripts},
    {"workers", StepWorkers},        {"soundthread", StepSoundThread},
    {"screenmode", StepScreenMode},  {"playtimers", StepPlayTimers},
    {"gpudevice", StepGpuDevice},
    // Last: the screen mode, the play timers, the pacing start and the
    // drawing mode with its hooks are all written above on this thread and
    // read by every frame; started earlier, the frame thread would race
    // with them.
    {"framethread", StepFrameThread},
};
constexpr int kStepCount = int(sizeof g_Steps / sizeof g_Steps[0]);
StartupStepFn g_Replaced[kStepCount] = {};

}  // namespace

const StartupStep* Startup_Steps(int* n) {
  *n = kStepCount;
  return g_Steps;
}

bool Startup_ReplaceStep(const char* name, StartupStepFn fn) {
  for (int i = 0; i < kStepCount; ++i) {
    if (std::strcmp(g_Steps[i].name, name) != 0) continue;
    g_Replaced[i] = fn;
    return true;
  }
  return false;
}

int Sys_Startup() {
  g_AppRunning = 1;  // until the message loop takes the quit
  // A start in a process that already ran the engine (a test program)
  // begins like a fresh one.
  g_QuitRequested = 0;
  g_ShutdownRequested = 0;
  g_StartupEndedEarly = 0;
  for (int i = 0; i < kStepCount; ++i) {
    if (g_StartupTraceHook) g_StartupTraceHook(g_Steps[i].name);
    StartupStepFn fn = g_Replaced[i] ? g_Replaced[i] : g_Steps[i].fn;
    int r = fn();
    if (r != 0) return r;
  }
  return 0;
}

void Startup_BufferSize(int32_t logicalW, int32_t logicalH, int32_t desktopW, int32_t desktopH,
                        int32_t* w, int32_t* h) {
  *w = logicalW;
  *h = logicalH;
  if (logicalW > desktopW || logicalH > desktopH) {
    *w = desktopW / 2;
    *h = desktopH / 2;
  }
}

bool Startup_IsSwitch(const std::string& arg, const char* lowerSwitch) {
  size_t n = std::strlen(lowerSwitch);
  if (arg.size() != n) return false;
  for (size_t i = 0; i < n; ++i) {
    char c = arg[i];
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    if (c != lowerSwitch[i]) return false;
  }
  return true;
}
