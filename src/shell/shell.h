// Engine shell: process entry, start-up and shut-down, the frame driver,
// error reporting, configuration. The public face of src/shell/.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

// Stop byte read by the frame driver, the task runner and every thread loop.
// Written by every error report (its quit flag) and by App_RequestQuit.
extern std::atomic<uint8_t> g_QuitRequested;

// Sticky shut-down flag: set by every report with a nonzero quit flag (and
// by the orderly quit) and never cleared, unlike g_QuitRequested, which a
// later report with quit flag 0 clears for the script VM.
extern std::atomic<uint8_t> g_ShutdownRequested;

// ---- Error reporting (err_report.cpp, err_format.cpp, err_dialog.cpp) --
constexpr size_t kErrTextBufferSize = 1024;    // prefixed and formatted texts
constexpr size_t kErrDialogTextSize = 2048;    // text as the dialog shows it
constexpr int kErrDlgText = 1032;              // dialog controls
constexpr int kErrDlgEditButton = 1033;
constexpr int kErrDlgCloseButton = 1034;

// One argument of a formatted report, captured with its type so that the
// checked formatter never reads an argument that was not passed.
struct ErrArg {
  enum class Kind : uint8_t { None, Int, Str, Double };
  Kind kind = Kind::None;
  int64_t i = 0;
  double d = 0;
  const char* s = nullptr;
  size_t len = 0;  // for Str: bytes, or SIZE_MAX for a zero-terminated string

  ErrArg() = default;
  template <typename T>
    requires(std::is_integral_v<T> || std::is_enum_v<T>)
  ErrArg(T v) : kind(Kind::Int), i(int64_t(v)) {}
  ErrArg(double v) : kind(Kind::Double), d(v) {}
  ErrArg(float v) : kind(Kind::Double), d(v) {}
  ErrArg(const char* v) : kind(Kind::Str), s(v), len(SIZE_MAX) {}
  ErrArg(const unsigned char* v)
      : kind(Kind::Str), s(reinterpret_cast<const char*>(v)), len(SIZE_MAX) {}
  ErrArg(std::nullptr_t) : kind(Kind::Str) {}
  ErrArg(std::string_view v) : kind(Kind::Str), s(v.data()), len(v.size()) {}
};

// printf-style formatting of a report's text, checked against the captured
// arguments: only %d %i %u %x %X %s %c %% (with flags "-0 +#", a width, a
// precision and the length forms l, ll, h, hh, I64, z), and %f %g %e for
// floating values, are understood. A missing argument formats as nothing,
// an argument of the wrong kind as "?", an unknown conversion is copied as
// written. The result is cut below `cap` bytes on a Shift-JIS character
// boundary and always terminated. Returns the length written.
size_t Err_FormatChecked(char* out, size_t cap, const char* format, const ErrArg* args,
                         size_t count);

// Reports error `number`: the text with the caller's arguments, with the
// script place (scene file and line) when `withPlace` and the VM knows one.
// Sets g_QuitRequested to `quit` and shows the first report of the run.
void Err_Report(int32_t number, int quit, bool withPlace, const ErrArg* args, size_t count);
// Told the number and quit flag of every report (after its trace line,
// before its dialog). Null unless a test watches the reports.
using ErrObserverFn = void (*)(int32_t number, int quit);
extern ErrObserverFn g_ErrObserver;

// Numbered errors. The script forms add the current scene file and line.
// All four set g_QuitRequested to `quit` (0 clears an earlier request) and
// show the error dialog for the first report of the run only.
// The F forms take printf arguments for the number's text; %I64d is accepted
// for 64-bit values.
template <typename... A>
void Err_ScriptF(int32_t number, int quit, const A&... args) {
  const ErrArg list[] = {ErrArg(args)..., ErrArg()};
  Err_Report(number, quit, true, list, sizeof...(A));
}
template <typename... A>
void Err_ShowF(int32_t number, int quit, const A&... args) {
  const ErrArg list[] = {ErrArg(args)..., ErrArg()};
  Err_Report(number, quit, false, list, sizeof...(A));
}
void Err_Script(int32_t number, int quit);
void Err_Show(int32_t number, int quit);

// The text for a number: the built-in text for the fifteen built-in
// numbers, else the error-text table's first entry for it, else the
// internal-error text. Shift-JIS, never null.
const char* Err_GetText(int32_t number);
// Build the prefixed text (a format) in the first buffer and return it; the
// script form adds the place when there is one (a '%' in the scene file's
// name is doubled so that it prints as itself). Both reset g_ErrFile and
// g_ErrLine first and set g_QuitRequested to `quit`.
const char* Err_FormatScript(int32_t number, int quit);
const char* Err_FormatPlain(int32_t number, int quit);

// Scene file of the last script error (null without a place) and its line
// (1 without a place). Written by the reporter on the reporting thread.
extern const char* g_ErrFile;
extern int32_t g_ErrLine;
// Caption of the error dialog: "TAVREN Debug Info." unless the start-up set
// "License Information" for the "/info" switch.
extern const char* g_ErrCaption;
// Set by the first error dialog of the process, never cleared.
extern std::atomic<uint8_t> g_ErrDialogShown;
// Debug option of the engine configuration: 1 offers "open in the editor".
extern uint8_t g_DebugMode;

// Error-text table filled by the compiled-data reader from "qve.qbn":
// `count` entries of parallel numbers and texts (Shift-JIS, owned by the
// reader and kept alive for the whole run). Empty until that file is read.
constexpr int kErrTextTableMax = 256;
struct ErrTextTable {
  int32_t count = 0;
  uint32_t numbers[kErrTextTableMax] = {};
  const char* texts[kErrTextTableMax] = {};
};
extern ErrTextTable g_ErrTextTable;

// Place of the instruction being run, for the script forms. Set by the VM at
// start-up; returns false (or is null) when there is no scene table or no
// current task, and the report then carries no place.
using ErrPlaceFn = bool (*)(const char** sceneFile, int32_t* line);
extern ErrPlaceFn g_ErrPlaceHook;

// The error dialog: shows `text` with the close button and, with
// g_DebugMode 1, the open-in-editor button (enabled only when g_ErrFile is
// set). Only the first call of the process shows anything.
void ErrDlg_Show(const char* text);
// Handles a press of `button`; returns true when the dialog ends.
bool ErrDlg_Proc(int button);
// The dialog's text: `text` bounded to kErrDialogTextSize on a character
// boundary, as UTF-8 for the screen.
std::string ErrDlg_SetText(const char* text);
// Arguments for the editor whose file name (after its last '/' or '\') is
// `editorName`, to open `path` at `line`: the editors the engine knows get
// their own line option, any other editor the path alone.
std::vector<std::string> ErrDlg_EditorArgs(std::string_view editorName,
                                           const std::string& path, int32_t line);
// Opens g_ExeDir + g_ErrFile in the user's editor at g_ErrLine; false when
// no editor is known or it could not be started.
bool ErrDlg_OpenEditor();

// Progress and diagnostic texts. The hook does nothing unless a test or a
// tool installs one.
using TraceFn = void (*)(const char* text);
extern TraceFn g_TraceHook;
void Sys_Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));

// printf-style system-modal message box; returns the pressed button's id
// (1 for OK). A null caption gives the system's default caption.
int Sys_MessageBoxF(const char* caption, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

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
void Sys_ReadCaps();
// Worker count for a processor count and maximum.
uint8_t Sys_WorkerCountFor(int processors, int maximum);
// Refresh rate as recorded: below 60 gives -1.
int32_t Sys_RecordedRefresh(int hz);

// ---- Process entry (boot_*.cpp) -----------------------------------------
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

// Entry of the process (main.cpp): returns the exit code. Turns on-screen
// message boxes on and runs Boot_Run.
int Boot_Main(int argc, char** argv);
// The entry sequence without the platform's interactive set-up: locks,
// paths, current folder, appended data, screen-saver arguments, the engine,
// release, restart. 0 for a normal end or a second copy, nonzero when the
// program could not start.
int Boot_Run(int argc, char** argv);
// Fills the paths from the host path of the executable.
void Boot_InitPaths();
void Boot_InitPathsFrom(const std::string& hostExePath);
// Asks the running copy to come to the front; always 0.
int Boot_ActivateRunningInstance(const std::string& instanceName);
// -1 stop, 0 no block, 1 block found.
int Boot_CheckAppendedData();
uint32_t Boot_ReadBuiltSize();

// Result of reading the header at B.
struct AppendedHeader {
  bool magic = false;         // "QVER" at B
  uint32_t packOffset = 0;
  uint32_t previewSize = 0;
  uint64_t fileSize = 0;      // 0 when the file cannot be opened
};
AppendedHeader Boot_ReadAppendedHeader(const std::string& hostPath, uint32_t builtSize);
bool Boot_HasAppendedMagic(const std::string& hostPath, uint32_t builtSize);
// Decides about a header: 1 valid block, 0 none (also for a block whose
// pack offset or preview lies outside the file).
int Boot_JudgeAppendedHeader(uint32_t builtSize, const AppendedHeader& h);

// Screen-saver command line: 0 start normally, -1 end the process.
int Boot_HandleScreenSaverArgs(int argc, char** argv);
// Checks a preview bitmap (a whole BMP file): 24 bits, uncompressed, rows
// padded to 4 bytes, all inside `size`. Fills width and height.
bool Saver_ValidatePreview(const uint8_t* bmp, size_t size, int32_t* width, int32_t* height);
// Reads the preview bitmap that follows the header; empty when invalid.
std::vector<uint8_t> Saver_LoadPreviewBitmap(uint32_t* size);

// Start and instance locks (boot_instance.cpp).
constexpr char kStartLockName[] = "tavren1";
bool Boot_TakeStartLock();
// 1 taken, 0 another copy holds it (front request sent), -1 failure.
int Boot_TakeInstanceLock();
void Boot_ReleaseMutex(int n);  // 0 start, 1 instance, 2 folder
void Boot_ReleaseMutexes();
// Takes the folder lock named by the executable's folder ('\' as ':');
// false when another copy holds it.
bool Boot_TakeFolderLock();
// True when a later copy asked this one to come to the front since the last
// call. The window code polls it and raises the main window.
bool Boot_PollFrontRequest();
// Starts the executable again without arguments.
void Boot_Restart(const std::string& hostPath);

// ---- Shared helpers (helpers.cpp) --------------------------------------
// Allocates `size` bytes set to zero; null on failure. Free with std::free.
void* Mem_AllocZeroed(size_t size);
// Shift-JIS to UTF-8 in a new heap string (free with std::free); null on failure.
char* Str_SjisToUtf8(const char* sjis);
// The same for the first `length` bytes (less when a zero byte comes first).
char* Str_SjisToUtf8(const char* sjis, size_t length);

// Engine windows, window procedure, input state and screen modes.
#include "shell/window.h"
