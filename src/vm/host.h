// Host and engine commands (4-7, 10, 14-16, 29, 53, 67-69, 74, 76, 86, 91,
// 99, 114): clipboard, message boxes and text input, command flags, frame
// rate, label test, registry values, engine settings and play timers,
// system functions, and the commands that only fetch their arguments.
#pragma once
#include <cstdint>

// Per-command flags 1..119, all 1 at start; command 15 writes them, the
// layer set-up command reads its own entry. Frame thread.
extern uint8_t g_CmdFlags[128];

// What the commands ask of the shell, installed by it at start-up; a null
// entry does nothing (the engine runs without windows then).
struct VmHostHooks {
  // Frame pacing at a new rate: the per-second counters move on and the
  // frame clock restarts (g_FrameRate is already set).
  void (*frameRateChanged)() = nullptr;
  // The block-screen-saver byte of the main window.
  void (*setBlockScreenSaver)(uint8_t on) = nullptr;
  // Whether the main window is the active one.
  bool (*mainWindowActive)() = nullptr;
  // New logical size of the main window (both at least 1).
  void (*setLogicalSize)(int32_t width, int32_t height) = nullptr;
  // Logical size of window 0..3; false when that window does not exist.
  bool (*windowLogicalSize)(int32_t window, int32_t* width, int32_t* height) = nullptr;
  // Shows the cursor now (before a box or dialog opens).
  void (*showCursor)() = nullptr;
  // Asks for the cursor shown (true) or hidden (false) at the next frame,
  // when the mouse-keys option of command 50 changes.
  void (*requestCursor)(bool shown) = nullptr;
};
extern VmHostHooks g_VmHostHooks;

// Frame rates that command 29 accepts; others are clamped into the range.
constexpr int64_t kFrameRateMin = 1, kFrameRateMax = 1000;
// Logical sizes that command 91 accepts; others are clamped into the range.
constexpr int32_t kLogicalSizeMin = 128, kLogicalSizeMax = 8192;
// Clipboard text read by command 6 at most.
constexpr size_t kClipboardMaxBytes = 1024;
// Registry values read by command 76 at most (a 1024-byte buffer).
constexpr size_t kRegValueMaxBytes = 1023;

// The host file name of the registry file shipped with the game.
constexpr char kRegistryFileName[] = "registry.ini";

int32_t Cmd_QueryObject();        // 4 (graphics: cmd_query_object.cpp)
void CmdSchema_RegisterQueryObject();  // graphics/cmd_query_object.cpp
int32_t Cmd_SetClipboardText();   // 5
int32_t Cmd_GetClipboardText();   // 6
int32_t Cmd_InputDialog();        // 10
int32_t Cmd_SetCommandFlags();    // 15
int32_t Cmd_FrameRate();          // 29
int32_t Cmd_LabelExists();        // 53
int32_t Cmd_RegRead();            // 76
int32_t Cmd_Settings();           // 91
int32_t Cmd_SysFunc();            // 114
int32_t Cmd_Nop7();
int32_t Cmd_Nop16();
int32_t Cmd_Nop67();
int32_t Cmd_Nop68();
int32_t Cmd_Nop69();
int32_t Cmd_Nop74();
int32_t Cmd_Nop86();
int32_t Cmd_Nop99();

// Clipboard text as command 6 keeps it: bytes below 32 dropped, at most
// 1024 bytes, never half of a double-byte character.
#include <string>
std::string Clip_FilterText(const std::string& in);

// The last text entered in the line dialog of function 10201 and its result
// (1 OK, 0 cancelled).
struct LineInputState {
  char lastText[4096] = {};
  uint8_t result = 0;
};
extern LineInputState g_LineInput;

// Argument ids fixed here for the engine, the fixture writer and tests.
namespace hostarg {
// 4
constexpr uint8_t kQPath = 0, kQNumber = 1, kQTarget = 30, kQX = 31, kQY = 32;
// 5, 6
constexpr uint8_t kClipGo = 0, kClipText = 1;
// 10
constexpr uint8_t kDlgCaption = 0, kDlgMessage = 1, kDlgInitial = 9, kDlgText = 10, kDlgAnswer = 11,
                  kDlgOkCancel = 13, kDlgYesNo = 14, kDlgYesNoCancel = 15, kDlgInput = 16,
                  kDlgLimit = 17, kDlgDefault = 18, kDlgIcon = 19, kDlgNone = 20, kDlgCount = 21;
// 15: id i + 2 is the flag of command i + 1
constexpr uint8_t kFlagsFirst = 2, kFlagsCount = 121;
// 29
constexpr uint8_t kFps = 0, kSkip = 1;
// 53
constexpr uint8_t kLabel = 0, kLabelTarget = 1, kLabelQuery = 2;
// 76
constexpr uint8_t kRegKey = 0, kRegName = 1, kRegTarget = 2;
// 91
constexpr uint8_t kSetSaver = 0, kSetInactive = 1, kSetWidth = 2, kSetHeight = 3, kSetTimer1 = 4;
// 114
constexpr uint8_t kSysFn = 0, kSysTarget = 1, kSysInitial = 22, kSysCount = 23;
}  // namespace hostarg

void CmdSchema_RegisterHost();  // cmd_schema_host.cpp

// Tests put their own registry file in place of the game's files.
struct RegFile;
extern RegFile* g_RegFileOverride;
