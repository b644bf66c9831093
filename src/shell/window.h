// Engine windows, the window procedure, input state and screen modes.
#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "base/base.h"

struct ObjNode;
struct LayerImage;
struct PlatWindow;
struct PlatEvent;

// ---- Limits and fixed values --------------------------------------------
constexpr int kWindowCount = 4;
constexpr int kKeyTableSize = 117;
constexpr int32_t kJoyDeadZone = 8192;      // around the centre: counts as centred
constexpr uint32_t kDropPathBytes = 521;    // one dropped path with its terminator
constexpr uint32_t kDropFilesMax = 65536;
constexpr int kMonitorMax = 16;
constexpr uint32_t kSysCmdResetSize = 30001;  // "reset the window size" item
constexpr int kLayeredAlpha = 160;
constexpr int32_t kScreenBufferMaxWidth = 8192;

// Window style bits with their Windows values: the engine reasons about its
// frames in these terms; the platform maps them to border and resize flags.
constexpr uint32_t kWsPopup = 0x80000000u;
constexpr uint32_t kWsClipChildren = 0x02000000u;
constexpr uint32_t kWsCaption = 0x00C00000u;
constexpr uint32_t kWsSysMenu = 0x00080000u;
constexpr uint32_t kWsThickFrame = 0x00040000u;
constexpr uint32_t kWsMinimizeBox = 0x00020000u;
constexpr uint32_t kWsMaximizeBox = 0x00010000u;
constexpr uint32_t kWsExTopmost = 0x00000008u;
constexpr uint32_t kWsExToolWindow = 0x00000080u;
constexpr uint32_t kWsExLayered = 0x00080000u;

// Dragged edge of a sizing rectangle (Windows numbering).
enum WinSizingEdge : int32_t {
  kEdgeLeft = 1, kEdgeRight = 2, kEdgeTop = 3, kEdgeTopLeft = 4, kEdgeTopRight = 5,
  kEdgeBottom = 6, kEdgeBottomLeft = 7, kEdgeBottomRight = 8,
};

// Engine messages carried by PlatMsg::User records: b = the kind, a = its value.
enum WinUserKind : int32_t {
  kUserSysCommand = 0,   // a = system command (close, minimise, ..., 30001)
  kUserMenuCommand = 1,  // a = menu item id
  kUserTray = 2,         // a = mouse message on the tray icon, x = icon id
  kUserMovie = 3,        // a = the movie player's notification
};
constexpr int32_t kTrayIconId = 123;
constexpr int32_t kMsgLButtonDown = 0x0201, kMsgLButtonDblClk = 0x0203, kMsgRButtonUp = 0x0205;

// System commands that the close, size and screen-saver rules act on.
enum WinSysCommand : uint32_t {
  kScMinimize = 0xF020, kScMaximize = 0xF030, kScClose = 0xF060,
  kScRestore = 0xF120, kScScreenSave = 0xF140,
};

// ---- Settings read by this code, kept here until their owners declare them.
// Written once by the start-up from the configuration inputs and the engine
// configuration file; read on both threads afterwards.
struct WinConfig {
  uint8_t thickFrame = 0;         // engine configuration: resizable frame
  uint8_t framedWindow = 1;       // engine configuration: 0 = popup main window
  uint8_t layeredWindow = 0;      // engine configuration: translucent window
  uint8_t titleDoubleClick = 0;   // user settings field 9
  uint8_t screenSaverMode = 0;
  int32_t fitMode = 1;            // full-screen fit: 0 one to one, 1 contain, 2 cover, 3 stretch
  uint8_t resolutionChange = 1;   // user settings field 6, inverted
  uint8_t gpuScaled = 0, fullGpu = 0;  // drawing-mode bytes
  uint8_t cpuFiltered = 1;        // filtered scaling on the processor
  uint8_t sseScaling = 1;         // processor has SSE and the user allows it
  uint8_t fullScreenSecond = 0;   // the second full-screen state
  // Monitor of window 0; kept equal to g_DesktopMetrics by Screen_SetDesktopSize.
  int32_t desktopW = 1920, desktopH = 1080, desktopBpp = 32;
  std::string windowTitle;        // Shift-JIS, caption of the quit box
};
extern WinConfig g_WinConfig;

// ---- Window records ------------------------------------------------------
struct WinPresentValues {
  uint32_t first = 100;
  uint32_t cleared = 0;
  int32_t clientX = 0, clientY = 0, clientW = 0, clientH = 0;
};

struct WinDibHeader {
  int32_t width = 0, height = 0;  // height negative: rows top-down
  uint16_t planes = 1, bits = 32;
};

// One engine window; index 0 is the main window. Written by the window
// procedure (main thread) and the window commands (frame thread).
struct WindowRec {
  int32_t index = 0;
  int32_t x = 0, y = 0;                 // outer position kept by the window commands
  int32_t logicalW = 0, logicalH = 0;   // picture size in engine pixels
  uint32_t alpha = 256;
  uint8_t showAtFirstFrame = 0;
  uint8_t classRegistered = 0;
  std::atomic<uint8_t> closeMode{1};    // 0 script, 1 box, 2 closing, 3 this window only
  uint8_t maximizeAllowed = 0;
  uint8_t minimizeAllowed = 1;
  std::string title;                    // Shift-JIS
  ObjNode* layerSet = nullptr;          // shown layer tree node; its record is the root
  uint32_t layerSetExtra = 0;
  char menuPath[256] = {};
  uint8_t presented = 0;
  WinPresentValues present;
  PlatWindow* handle = nullptr;
  std::atomic<uint8_t> active{0};
  int32_t mouseX = 0, mouseY = 0;       // logical units
  uint8_t outside = 1, farOutside = 1;
  uint8_t showOnMove = 1, showOnButton = 1, showOnWheel = 1;
  uint8_t hideTimerOn = 0;
  uint32_t hideTimerStart = 0;
  WinDibHeader dib;
  uint32_t style = 0, exStyle = 0;      // current style words
};

extern WindowRec* g_WindowRecs[kWindowCount];
extern std::atomic<int32_t> g_WindowState[kWindowCount];  // -1 none, 1 created

// ---- Requests kept for the scripts and the frame driver -------------------
extern std::atomic<uint64_t> g_MenuCommand;
extern std::atomic<uint8_t> g_CloseRequest;
extern std::atomic<uint8_t> g_MinimizeRequest;    // window index + 1
extern std::atomic<uint8_t> g_MaximizeRequest;
extern std::atomic<uint8_t> g_ScreenModeRequest;
extern std::atomic<uint32_t> g_LastKeyDown;
extern std::atomic<uint32_t> g_LastMouseButton;   // 1 left, 2 right, 4 middle
extern std::atomic<uint8_t> g_DragRequest;        // window index + 1
extern std::atomic<int32_t> g_DragPressX, g_DragPressY;
extern std::atomic<uint8_t> g_QuitBoxUp;
// Screen position of the tray menu's popup (cursor less the letter-box),
// read by the frame driver with g_PopupMenuSet.
extern std::atomic<int32_t> g_PopupPosX, g_PopupPosY;
// Movie notification handler of the movie player: nonzero when the movie
// ended (the window code then clears its playing byte through it).
extern int (*g_WndMovieNotify)(int32_t value);
extern std::atomic<uint8_t> g_BlockScreenSaver;   // 1 by default
// Set by the start-up while a frame thread runs the frames: the window
// procedure then leaves presenting to that thread.
extern std::atomic<uint8_t> g_WndFrameThreadRunning;

// Dropped files: replaced on each drop; read and written under *g_DropLock.
struct DroppedFiles {
  uint32_t count = 0;
  std::vector<char*> paths;  // kDropPathBytes each (malloc), Shift-JIS, '\' separators
  void Clear();
  ~DroppedFiles() { Clear(); }
};
extern DroppedFiles g_DroppedFiles;
// The lock guarding the dropped-file list: g_SoundLock.
extern std::mutex* g_DropLock;

// Main window's size state, shared with the screen modes and command 103.
struct MainSizeState {
  uint8_t maximized = 0;
  uint8_t restorePending = 0;
  uint8_t frameChanged = 0;
  int32_t keptFrameW = 0, keptFrameH = 0;
  int32_t maxKeptScreenW = 0, maxKeptScreenH = 0;  // at maximise, 0 none
  int32_t maxKeptShownW = 0, maxKeptShownH = 0;
};
extern MainSizeState g_MainSize;

// ---- Dialog and error seams (replaced by recorders in tests) --------------
struct WndUi {
  // Yes/No box owned by the window: 1 yes, 0 no, -1 could not be shown.
  int (*askYesNo)(PlatWindow* owner, const char* textSjis, const char* captionSjis);
  // Box with a caption (Shift-JIS).
  void (*box)(const char* captionSjis, const char* textSjis);
  // Numbered error with its quit flag and no file name.
  void (*error)(int32_t number, int quit);
};
extern WndUi g_WndUi;
// Asks a yes/no question over window 0 with the window title as the
// caption; 1 for yes (the VM's debug way out).
int Win_AskYesNoMain(const char* textSjis);

// ---- Windows (win_create.cpp) ---------------------------------------------
int Win_CreateMain();                       // 0, or -1 when a record cannot be made
void Win_ConstructRec(WindowRec* rec, int32_t index);
void Wnd_InitObject(WindowRec* rec, const char* titleSjis);
void Wnd_InitDibHeader(WindowRec* rec);
// 1 created, 0 failed. showCmd and className are kept for the call's shape.
int Win_Create(WindowRec* rec, int showCmd, const char* classNameSjis, const char* titleSjis);
void Win_DestroyAll();                      // shut-down and tests
// Makes `node` the window's shown root and marks its record as shown.
void Win_SetShownRoot(WindowRec* rec, ObjNode* node);
void Win_ClearShownRoot(ObjNode* node);     // a released layer no longer shows

// Frame sizes of the window's current style (measured the same way always).
void Wnd_GetStyle(const WindowRec* rec, int32_t* frameW, int32_t* frameH);
uint32_t Win_GetStyle(const WindowRec* rec);
void Win_SetStyle(WindowRec* rec, uint32_t style);
void Win_Move(WindowRec* rec, int32_t x, int32_t y);  // outer position
void Screen_ApplyFrameChange(WindowRec* rec);
// Outer window rectangle (client plus frame) and MoveWindow in those terms.
bool Wnd_GetWindowRect(const WindowRec* rec, int32_t* l, int32_t* t, int32_t* r, int32_t* b);
void Wnd_MoveWindow(WindowRec* rec, int32_t x, int32_t y, int32_t w, int32_t h);
bool Wnd_WorkAreaCentre(int32_t w, int32_t h, int32_t* x, int32_t* y);

// ---- Window procedure (wnd_proc.cpp) --------------------------------------
void Win_Proc(const PlatEvent& ev);        // installed with Plat_SetWndProc
void Win_HandleMessage(WindowRec* rec, const PlatEvent& ev);
uint32_t Wnd_ConfirmQuit(WindowRec* rec, uint32_t command);  // 0 swallow
void Win_OnActivate(WindowRec* rec, bool active);
void Win_RedrawAll(WindowRec* rec);
// With a frame thread the window procedure only asks for redraws: the frame
// marks the roots of the windows that asked (whole draw box, or whole dirty
// box for the tray's popup) at its start.
void Win_TakePendingRedraws();
void Wnd_Destroy(WindowRec* rec);
void Wnd_DestroyMenuAndQuit(WindowRec* rec);
void Win_OnDropFiles(WindowRec* rec, const std::vector<std::string>& utf8Paths);
void Win_OnTitleDoubleClick(WindowRec* rec);
void Win_OnTrayEvent(WindowRec* rec, int32_t iconId, int32_t mouseMessage);
int Win_SkipEraseBkgnd();                  // nonzero: nothing to erase
void Wnd_ApplyScreenSaverBlock();          // main thread, once per input poll

// Drag test: the pixel of the drag layer under the logical position (x, y)
// is not black. Drag layer set by command 103 (null: dragging off).
extern ObjNode* g_DragLayer;
bool Wnd_DragHit(int32_t x, int32_t y, int64_t left, int64_t top, const LayerImage* layer);
bool Wnd_DragTest(WindowRec* rec, int32_t clientX, int32_t clientY);
// Sums the positions of the node and its ancestors up to the unnamed root.
void Wnd_LayerOrigin(const ObjNode* node, int64_t* left, int64_t* top);

// ---- Size handlers (win_size.cpp) -----------------------------------------
struct WinRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};
// Keeps the client area of a dragged rectangle at aspect logicalW : logicalH.
void Win_OnSizing(int32_t edge, WinRect* rect, int32_t logicalW, int32_t logicalH,
                  int32_t frameW, int32_t frameH);
struct WinTrackSizes {
  int32_t minW = 0, minH = 0, maxW = 0, maxH = 0;
};
// Tracking sizes (outer) for a logical size on a desktop; false when the frame
// is unknown (negative).
bool Win_TrackSizes(int32_t logicalW, int32_t logicalH, int32_t desktopW, int32_t desktopH,
                    int32_t frameW, int32_t frameH, WinTrackSizes* out);
void Win_OnGetMinMaxInfo(WindowRec* rec);
// Client size that keeps the aspect after a windowed resize to (w, h).
void Win_SnapClient(int32_t logicalW, int32_t logicalH, int32_t* w, int32_t* h);
void Win_OnSize(WindowRec* rec);
// The size rules once, right after the main window is made (a new window
// gets no size event of its own): limited to the desktop at the picture's
// aspect, and centred again in the work area when that changed its size.
void Win_FitAfterCreate(WindowRec* rec);
void Win_OnPosChanged(WindowRec* rec);
void Win_OnMove(WindowRec* rec);

// Child windows (Flash, movie) follow the picture after a resize.
struct WinChildRect {
  int32_t x = 0, y = 0, w = 0, h = 0;
};
WinChildRect Win_ScaleChildRect(double xScale, double yScale, const WinChildRect& stored);
struct WinChildHost {
  bool (*active)() = nullptr;
  WinChildRect (*stored)() = nullptr;
  void (*move)(const WinChildRect& r) = nullptr;
};
extern WinChildHost g_FlashHost, g_MovieHost;  // set by the media players
int Win_PlaceFlashWindow(double xScale, double yScale);
int Win_PlaceMovieWindow(double xScale, double yScale);

// ---- Input state (input_state.cpp, input_joy.cpp) ---------------------------
extern const std::array<uint8_t, kKeyTableSize> g_KeyTable;
extern std::atomic<int32_t> g_ActiveWindow;  // -1 none

using KeyTransitionFn = void (*)(int key);
extern KeyTransitionFn g_KeyTransitions[4];
void Win_InitHandlerTables();
void Input_KeyStayUp(int key);
void Input_KeyPress(int key);
void Input_KeyRelease(int key);
void Input_KeyStayDown(int key);
void Input_RunTransition(int key);

void Main_PollInput();       // main thread, once per loop turn
void Input_UpdateFrame();    // frame thread, once per frame
void Input_OnMouseWheel(int32_t delta);
void Input_OnMouseMoved();
int Input_InitJoysticks();   // 1 when a joystick exists
void Input_PollJoysticks();
// Pressed bytes of joystick j from one reading.
void Input_JoyKeys(int j, bool answered, uint32_t x, uint32_t y, uint32_t buttons);

// ---- Cursor (cursor_hide.cpp) -------------------------------------------------
extern std::atomic<uint8_t> g_CursorShown;    // 1 at start
extern std::atomic<uint8_t> g_CursorPending;  // 0 none, 1 show, 2 hide
void Cursor_RequestShow();
// Shows the cursor at once for a dialog (the error dialog's hook).
void Cursor_ShowForDialog();
void Cursor_ApplyPending();
// Auto-hide step of the frame (main window record, frame time).
void Cursor_UpdateAutoHide(WindowRec* rec, uint32_t frameTime, bool menuShown);

// ---- Screen modes (screen_mode.cpp, screen_monitors.cpp, screen_buffer.cpp) --
extern std::atomic<uint8_t> g_FullScreen;
// Changed by the size handlers on the main thread and by script commands on
// the frame; each field is atomic, and a change of several together holds
// g_ScreenViewLock so that Screen_TakeView never sees half of it.
struct ScreenSizes {
  std::atomic<int32_t> screenW{0}, screenH{0};  // area the picture is fitted into
  std::atomic<int32_t> shownW{0}, shownH{0};    // size the picture is drawn at
  std::atomic<int32_t> keptScreenW{0}, keptScreenH{0}, keptShownW{0}, keptShownH{0};  // at full-screen entry
  ScreenSizes() = default;
  // Copied field by field (a snapshot and a reset to the start values, in
  // tests).
  ScreenSizes(const ScreenSizes& o) { *this = o; }
  ScreenSizes& operator=(const ScreenSizes& o) {
    screenW = o.screenW.load(), screenH = o.screenH.load();
    shownW = o.shownW.load(), shownH = o.shownH.load();
    keptScreenW = o.keptScreenW.load(), keptScreenH = o.keptScreenH.load();
    keptShownW = o.keptShownW.load(), keptShownH = o.keptShownH.load();
    return *this;
  }
};
extern ScreenSizes g_Screen;
// Guards the sizes changed together and the letter-box (g_LetterBox, which
// the presentation writes on the frame and the mouse mapping reads on the
// main thread). Taken before g_ScreenLock, never after it.
extern std::mutex g_ScreenViewLock;
// The sizes and the letter-box as one consistent snapshot.
struct ScreenView {
  int32_t screenW = 0, screenH = 0, shownW = 0, shownH = 0;
  int32_t boxX = 0, boxY = 0;
};
ScreenView Screen_TakeView();
// Screen and shown size together (a windowed resize).
void Screen_SetSizes(int32_t screenW, int32_t screenH, int32_t shownW, int32_t shownH);
// The screen size alone (the area fitted into; the shown size follows from it).
void Screen_SetScreenSize(int32_t screenW, int32_t screenH);
extern uint32_t g_FullScreenDepth;
extern std::atomic<uint8_t> g_D3dResetRequest;

// The shown-size frame buffer. Re-allocated only by the thread that presents
// (at the start of presenting), so a resize never frees it under a scaler.
struct ScreenBuffer {
  uint8_t* pixels = nullptr;
  int32_t width = 0, height = 0;
};
extern ScreenBuffer g_ScreenBuffer;
extern std::mutex g_ScreenLock;  // guards the pending size and the buffer swap
// Bytes for a w x h buffer: w*4*h + w*4 + 4.
size_t Screen_BufferBytes(int32_t w, int32_t h);
// Allocates at once with the failures (box + 100010 above 8192 wide, 104030).
int Screen_AllocBuffer(int32_t w, int32_t h);
// Asks for a buffer of w x h; carried out by Screen_ApplyPendingBuffer.
void Screen_RequestBuffer(int32_t w, int32_t h);
void Screen_ApplyPendingBuffer();
void Screen_FreeBuffer();

struct MonitorTable {
  int32_t left[kMonitorMax] = {}, top[kMonitorMax] = {};
  int32_t width[kMonitorMax] = {}, height[kMonitorMax] = {};
  int32_t count = 0;
};
extern MonitorTable g_Monitors;
extern uint32_t g_CurrentMonitor;
void Screen_EnumMonitors();
// The desktop size follows the monitor the main window is on (both copies).
void Screen_SetDesktopSize(int32_t w, int32_t h);
int32_t Screen_FindWindowMonitor(const WindowRec* rec, int32_t* displayOut);

int Screen_SetMode(int mode);
int Screen_EnterFullScreen(WindowRec* rec);
int Screen_EnterWindowed(WindowRec* rec);
int Screen_EnterFullScreenGdi(WindowRec* rec, int32_t display);
int Screen_EnterWindowedGdi(WindowRec* rec);
// Shown size for a logical picture a x b in a target c x d, with the buffer.
int Screen_SetBackBufferSize(int32_t a, int32_t b, int32_t c, int32_t d);
void Screen_ShownSizeFor(int32_t a, int32_t b, int32_t c, int32_t d, int32_t fitMode,
                         bool maximizedWindow, int32_t desktopW, int32_t desktopH,
                         int32_t* w, int32_t* h);
// Full-screen size with the resolution-change setting: the smallest mode of
// the desktop's aspect holding the picture at the depth; false when none.
struct PlatDisplayMode;
bool Screen_ChooseMode(const std::vector<PlatDisplayMode>& modes, int32_t desktopW,
                       int32_t desktopH, int32_t logicalW, int32_t logicalH, int32_t depth,
                       int32_t* w, int32_t* h);
bool Screen_GpuResetCondition();

// ---- Presentation (present_window.cpp) ------------------------------------
// Presents one window when its root changed; returns g_QuitRequested.
int Present_Window(WindowRec* rec);
// Puts the root's current frame on the window now.
void Present_Frame(WindowRec* rec, ObjNode* root);
void Present_FreeGdiBuffers();

// Window 0's picture for the media players (media_window.cpp).
struct MediaWindowInfo;
void Media_FillWindow0(MediaWindowInfo* out);
