// Top-level windows on SDL2: the engine's windows with a client size, a
// Shift-JIS title, frame flags, opacity, full screen on a display, tracking
// limits, a drag hit-test hook, the cursor and the screen saver.
//
// Every call here must run on the main thread (the one that called
// Plat_VideoInit); the presentation calls in present.h are the exception.
// Positions and sizes are those of the client area in desktop coordinates.
#pragma once
#include <cstdint>
#include <string_view>

struct PlatWindow;

struct PlatRect {
  int32_t x = 0, y = 0, w = 0, h = 0;
};

struct PlatWindowDesc {
  int32_t index = 0;            // engine window index, echoed in every event
  int32_t x = 0, y = 0;         // client origin on the desktop
  int32_t clientW = 640, clientH = 480;
  bool bordered = true;
  bool resizable = false;
  bool alwaysOnTop = false;
  bool skipTaskbar = false;
};

// Starts SDL's video, events and joysticks once (honours SDL_VIDEODRIVER,
// so "dummy" and "offscreen" give headless windows); false when SDL fails.
bool Plat_VideoInit();
// Ends the video, events and joysticks however often they were started (the
// windows must be gone first).
void Plat_VideoQuit();
bool Plat_IsMainThread();
// Name of the video driver in use ("x11", "dummy", ...), empty before init.
const char* Plat_VideoDriver();

PlatWindow* PlatWin_Create(const PlatWindowDesc& desc);  // hidden; null on failure
void PlatWin_Destroy(PlatWindow* w);
int32_t PlatWin_Index(const PlatWindow* w);
PlatWindow* PlatWin_FromIndex(int32_t index);  // last created window of that index

void PlatWin_SetTitle(PlatWindow* w, std::string_view sjis);
bool PlatWin_SetIcon(PlatWindow* w, const uint32_t* bgra, int32_t width, int32_t height);
void PlatWin_SetBordered(PlatWindow* w, bool on);
void PlatWin_SetResizable(PlatWindow* w, bool on);
void PlatWin_SetAlwaysOnTop(PlatWindow* w, bool on);
bool PlatWin_SetOpacity(PlatWindow* w, float opacity);  // false when unsupported

void PlatWin_Show(PlatWindow* w);
void PlatWin_Hide(PlatWindow* w);
void PlatWin_Raise(PlatWindow* w);
void PlatWin_Minimize(PlatWindow* w);
void PlatWin_Maximize(PlatWindow* w);
void PlatWin_Restore(PlatWindow* w);
bool PlatWin_IsShown(const PlatWindow* w);
bool PlatWin_IsMinimized(const PlatWindow* w);
bool PlatWin_IsMaximized(const PlatWindow* w);

// Client rectangle on the desktop; false when the window is gone.
bool PlatWin_GetClientRect(const PlatWindow* w, PlatRect* out);
// Decoration sizes around the client area (0 without a frame or a manager).
void PlatWin_GetFrame(const PlatWindow* w, int32_t* left, int32_t* top, int32_t* right,
                      int32_t* bottom);
void PlatWin_SetClientRect(PlatWindow* w, int32_t x, int32_t y, int32_t width, int32_t height);
void PlatWin_SetPosition(PlatWindow* w, int32_t x, int32_t y);
// Smallest and largest client size the user may drag to (0 = no limit).
void PlatWin_SetTrackLimits(PlatWindow* w, int32_t minW, int32_t minH, int32_t maxW, int32_t maxH);

// Full screen on `display` in the mode width x height (exclusive), or over
// the display at its desktop mode (`desktop`); false when the switch failed
// (the window is then left windowed).
bool PlatWin_EnterFullscreen(PlatWindow* w, int32_t display, int32_t width, int32_t height,
                             int32_t bpp, bool desktop);
bool PlatWin_LeaveFullscreen(PlatWindow* w);
bool PlatWin_IsFullscreen(const PlatWindow* w);
int32_t PlatWin_DisplayIndex(const PlatWindow* w);  // 0 when unknown

// Drag hook: asked with a client position on a left press; true starts
// moving the window with the mouse. Null removes it.
using PlatDragTestFn = bool (*)(int32_t index, int32_t x, int32_t y);
void PlatWin_SetDragTest(PlatWindow* w, PlatDragTestFn fn);

void Plat_SetScreenSaverBlocked(bool blocked);
void PlatCursor_Show(bool shown);
bool PlatCursor_IsShown();
// Cursor position on the desktop; tests may pin a fake one.
bool PlatMouse_GlobalPos(int32_t* x, int32_t* y);
void PlatMouse_Warp(int32_t x, int32_t y);
void PlatMouse_SetFake(bool on, int32_t x = 0, int32_t y = 0);
