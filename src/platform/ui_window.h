// Engine-drawn windows: the small top-level windows of message boxes, the
// error dialog, the text-input dialogs and popup menus. The engine draws
// their contents itself, with its own Japanese UI face, into a canvas, and
// takes their events in a modal loop of its own on the main thread, inside
// the engine's process: nothing is forked, nothing depends on the fonts of
// the X server.
//
// Every call here runs on the main thread (the one that called
// Plat_VideoInit), except the text measures, the canvas drawing and the test
// injections, which any thread may call.
#pragma once
#include <climits>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/window.h"

// ---- UI text ------------------------------------------------------------------
// The face is the installed stand-in of "ＭＳ Ｐゴシック", else fontconfig's
// best Japanese sans-serif face. Glyphs are grey-scale (anti-aliased).
constexpr int32_t kUiTextPx = 16;  // cell height of dialog and menu text

struct UiTextMetrics {
  int32_t ascent = 0, descent = 0, height = 0;  // height = ascent + descent
};
// False when no face could be opened (nothing can be drawn then).
bool UiText_Ready();
UiTextMetrics UiText_Metrics(int32_t px);
// Advance of one line of CP932 text (no line breaks).
int32_t UiText_Width(std::string_view sjis, int32_t px);
// True when the face has a glyph for every character of the text.
bool UiText_HasGlyphs(std::string_view sjis, int32_t px);

// ---- Canvas -------------------------------------------------------------------
// Pixels 0x00RRGGBB, top-down rows of `w` pixels (BGRA bytes in memory, as
// the presentation frames).
struct UiCanvas {
  int32_t w = 0, h = 0;
  std::vector<uint32_t> px;
  void Resize(int32_t width, int32_t height, uint32_t fill);
};

void UiDraw_Fill(UiCanvas& c, const PlatRect& r, uint32_t rgb);
// A frame of `thickness` pixels inside the rectangle.
void UiDraw_Frame(UiCanvas& c, const PlatRect& r, uint32_t rgb, int32_t thickness = 1);
// A dotted frame one pixel inside the rectangle (keyboard focus).
void UiDraw_FocusFrame(UiCanvas& c, const PlatRect& r, uint32_t rgb);
// A filled disc of diameter d with its bounding box's top left at (x, y).
void UiDraw_Disc(UiCanvas& c, int32_t x, int32_t y, int32_t d, uint32_t rgb);
// Draws one line of CP932 text with its cell's top left at (x, y), blended
// over what is there and clipped to `clip` (the whole canvas when null).
// Returns the advance.
int32_t UiDraw_Text(UiCanvas& c, int32_t x, int32_t y, std::string_view sjis, uint32_t rgb,
                    int32_t px, const PlatRect* clip = nullptr);

// ---- Events -------------------------------------------------------------------
enum class UiEventKind : uint8_t {
  KeyDown,        // key = virtual key (13 Enter, 27 Escape, 9 Tab, 37..40 arrows ...)
  Text,           // text = CP932 characters typed or committed by the input method
  Editing,        // text = the input method's composition (CP932), caret in characters
  MouseMove,      // x, y client position
  ButtonDown,     // button 1 left, 2 right, 4 middle; x, y client position
  ButtonUp,
  Wheel,          // y = notches, positive away from the user
  Close,          // the window's close box
  FocusGained,
  FocusLost,
  OutsidePress,   // a mouse button went down in another window of the engine
  Tick,           // every kUiTickMs while the loop waits
};
constexpr uint32_t kUiTickMs = 250;

struct UiEvent {
  UiEventKind kind = UiEventKind::Tick;
  int32_t key = 0;
  bool shift = false, ctrl = false, alt = false, repeat = false;
  int32_t button = 0;
  int32_t x = 0, y = 0;
  std::string text;
  int32_t caret = 0;
};

// ---- Windows ------------------------------------------------------------------
constexpr int32_t kUiCentred = INT32_MIN;

struct UiWindowDesc {
  std::string caption;                     // CP932
  int32_t w = 0, h = 0;                    // client size
  int32_t x = kUiCentred, y = kUiCentred;  // client origin on the desktop
  bool popup = false;      // borderless menu window without a task-bar entry
  bool topmost = false;    // stays above other windows (system-modal boxes)
  PlatWindow* owner = nullptr;  // engine window it belongs to: centred on it, kept above it
};

struct UiWindow;
struct UiWindowDeleter {
  void operator()(UiWindow* w) const;
};
using UiWindowPtr = std::unique_ptr<UiWindow, UiWindowDeleter>;

// Whether the session has a display at all ($DISPLAY or $WAYLAND_DISPLAY).
bool UiWindow_HaveDisplay();
// Whether engine-drawn windows can be shown at all: a display, and a video
// driver that puts windows on it (not SDL's "dummy" or "offscreen").
bool UiWindow_CanShow();
// Opens the window, hidden, with a canvas of the client size; null when no
// window could be opened.
UiWindowPtr UiWindow_Open(const UiWindowDesc& desc);
UiCanvas& UiWindow_Canvas(UiWindow* w);
// Puts the canvas on the screen (the first call also shows the window and
// gives it the keyboard).
void UiWindow_Present(UiWindow* w);
// Typed text and the input method on or off for the window; `caret` is the
// client rectangle the input method's candidate list is placed beside.
void UiWindow_SetTextInput(UiWindow* w, bool on, const PlatRect* caret = nullptr);
bool UiWindow_ScreenRect(const UiWindow* w, PlatRect* out);
// Brings the window to the front with the keyboard (a press elsewhere while
// it is modal).
void UiWindow_Raise(UiWindow* w);
// Client size of the display the window is (or will be) shown on.
PlatRect UiWindow_WorkArea(const UiWindowDesc& desc);

enum class UiEnd : uint8_t {
  ByHandler,  // the handler returned false
  BySignal,   // a quit signal (SIGTERM, SIGINT) or the session's quit arrived
};
using UiEventFn = std::function<bool(const UiEvent& ev)>;
// The window's modal loop: hands its events to `handler` until the handler
// returns false or a quit signal arrives. Input meant for the engine's other
// windows is dropped (the window is modal), except that a press there is
// reported as OutsidePress; their other events (sizes, exposures, close
// requests, drops) are kept and delivered to the engine after the loop, and
// frames presented meanwhile by another thread still reach the screen. The
// engine's key state is released afterwards (the key-ups went to this
// window).
UiEnd UiWindow_RunModal(UiWindow* w, const UiEventFn& handler);

// Tests: the screen rectangle of the innermost window in a modal loop
// (false when none), and events posted to it from any thread as the host
// would deliver them (SDL scancodes, UTF-8 text, client positions).
bool UiWindow_ModalRect(PlatRect* out);
bool UiWindow_InjectKey(int32_t scancode, bool shift = false);
bool UiWindow_InjectText(const std::string& utf8);
bool UiWindow_InjectClick(int32_t x, int32_t y);
