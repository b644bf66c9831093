// Configuration inputs: the command line, the user settings files, the save
// folder and the capabilities of the machine. Written at start-up, read by
// every subsystem.
#pragma once
#include <cstdint>
#include <string>

// ---- Configuration inputs (config.cpp, caps.cpp) ------------------------
constexpr int kArgsKept = 8;              // command-line arguments kept
constexpr int kUserSettingsFields = 32;   // u32 fields of the settings files
constexpr int kCfgWorkerMax = 4;          // pixel workers at most
constexpr int kSavePlaceField = 21;       // field of "\qvsfs.dat"

// The process's own argument vector, handed over by Boot_Main.
extern int g_ProcessArgc;
extern char** g_ProcessArgv;

// Command line: `count` arguments kept (at most 8) and nine strings, the
// program path and arguments 1 to 8; slots past the last are empty.
struct ArgTable {
  int32_t count = 0;
  std::string args[kArgsKept + 1];
};
extern ArgTable g_Args;

// Settings of the user settings file ("\qvcfg.dat"). Defaults stand when
// the file or a field's value is missing. Written at start-up only.
extern uint8_t g_MovieUseDirectShow;  // field 0: 0 MCI-like player, 1 graph player
extern uint8_t g_UseSSE;              // field 2: SSE pixel routines allowed
extern uint8_t g_UseSSE2;             // field 3: SSE2 pixel routines allowed
extern uint8_t g_MaxWorkers;          // field 4 = 0 limits the pixel workers to 1
extern uint8_t g_ResolutionChange;    // field 6 inverted (default 1)
extern uint8_t g_FitMode;             // field 7: 0 one to one, 1 keep aspect, 2 cover, 3 stretch
extern uint8_t g_TitleDoubleClickSwitch;  // field 9: title-bar double click switches mode
extern uint8_t g_SysVarUserByte;      // field 10: read by the system variables
extern uint8_t g_DisableDwm;          // field 22: desktop composition off (no effect here)
extern uint8_t g_UserSettingsRead;    // 1 once "\qvcfg.dat" was read

// Drawing choices made from the drawing level (field 8) and the renderer
// fields, read by the layer graphics and the renderer.
struct RenderSettings {
  int8_t drawLevel = -1;        // field 8 as read, -1 when not given
  uint8_t presentMode = 1;      // 3, 2, 1, 0 for drawing levels 0..3
  uint8_t cpuScaleChoice = 1;   // CPU scaling choice: 1 filtered, 0 nearest
  uint8_t gpuScaling = 0;       // GPU scaling of the frame
  uint8_t fullGpu = 0;          // full-GPU composition allowed
  uint8_t rendererOption = 0;   // field 12
  uint8_t textures16Bit = 0;    // field 13: A4R4G4B4 textures
  uint32_t textureFormat = 21;  // 21 A8R8G8B8, 26 A4R4G4B4 (Direct3D codes)
  uint8_t textureBits = 32;     // 32 or 16
  uint8_t textureOption = 0;    // field 14
  uint32_t tileMaxWidth = 512;  // set when the file was read
  uint32_t tileMaxHeight = 256;
  uint8_t textureResetByte = 0;
  uint8_t gpuDrawByteA = 1, gpuDrawByteB = 1, gpuDrawByteC = 0;
};
extern RenderSettings g_RenderSettings;

// Sets the drawing choices for drawing level 0..3; with the layered-window
// option level 0 counts as 1. Other levels change nothing.
void Cfg_ApplyDrawLevel(int level, bool layeredWindow);

// Save folder, Shift-JIS engine name ending in '\': "save\" relative to the
// current folder, or below the data or documents folder.
extern std::string g_SavePath;
// The save place chosen by "\qvsfs.dat" (0..3; other values count as 0).
extern uint8_t g_SavePlace;
// The save folder of place 0..3 (any other: place 0), as g_SavePath holds it.
std::string Cfg_SaveFolderFor(uint32_t place);

// Capabilities.
extern uint8_t g_OsVersionCode;   // 255 here: not a Windows version
extern uint8_t g_ProcessorCount;  // at most 255
extern uint8_t g_WorkerCount;     // min(max(1, processors), g_MaxWorkers)
struct DesktopMetrics {
  int32_t width = 0, height = 0, bitsPerPixel = 32;
  int32_t refreshRate = -1;  // Hz, -1 below 60 or unknown
};
extern DesktopMetrics g_DesktopMetrics;

void Cfg_ReadCommandLine();
void Cfg_ReadUserSettings();
void Cfg_ChooseSaveFolder();
uint8_t Sys_GetOsVersionCode();
// The code for a Windows build number (kept for the table's meaning).
uint8_t Sys_OsCodeForBuild(uint32_t build);
// Worker count for a processor count and maximum.
uint8_t Sys_WorkerCountFor(int processors, int maximum);
// Refresh rate as recorded: below 60 gives -1.
int32_t Sys_RecordedRefresh(int hz);

