// Window events as records with the meanings the engine's window procedure
// expects (close request that the engine may refuse, activation, moves and
// sizes, keys by virtual-key number, mouse, wheel, grouped file drops), and
// the keyboard and mouse-button state kept from those events.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum class PlatMsg : uint8_t {
  None,
  Close,          // the user asked to close; nothing happens unless the engine destroys it
  Activate,       // a = 1 gained focus, 0 lost it
  Exposed,        // the window needs repainting
  Move,           // x, y = new client origin
  Size,           // x, y = new client size (after the fact)
  Minimized,
  Maximized,
  Restored,
  KeyDown,        // a = virtual key, b = 1 when repeated
  KeyUp,          // a = virtual key
  Char,           // text = Shift-JIS characters typed
  MouseMove,      // x, y = client position
  ButtonDown,     // a = 1 left, 2 right, 4 middle, 5 / 6 extra; x, y client position
  ButtonUp,
  Wheel,          // a = delta, 120 per notch, positive away from the user
  DropFiles,      // files = UTF-8 paths dropped together
  TitleDoubleClick,
  DisplayChanged,
  User,           // a = code, b = value (posted by the engine itself)
};

struct PlatEvent {
  PlatMsg msg = PlatMsg::None;
  int32_t window = -1;  // engine window index, -1 when none
  int32_t a = 0, b = 0;
  int32_t x = 0, y = 0;
  std::string text;
  std::vector<std::string> files;
};

using PlatWndProc = void (*)(const PlatEvent& ev);
void Plat_SetWndProc(PlatWndProc proc);

// Drains SDL's queue and the posted records into the window procedure, and
// runs the calls queued for the main thread. False once the quit posted by
// Plat_PostQuit has been taken (the message loop then ends).
bool Plat_PumpEvents();
void Plat_PostQuit();
void Plat_ResetQuit();  // tests: start a fresh loop
// Tests: the state of a new process, once the windows are gone: no quit,
// no posted records or main-thread calls, no key or button down, no drop
// being collected, no window procedure.
void Plat_ResetEvents();

// Any thread: queue a record for the window procedure, or a call for the
// main thread (run at once when already on it).
void Plat_PostEvent(const PlatEvent& ev);
void Plat_RunOnMain(std::function<void()> fn);
// Runs fn on the main thread and waits for it; false (fn not run) when the
// main thread has stopped pumping (the loop took its quit) before it ran.
bool Plat_RunOnMainWait(std::function<void()> fn);

// Typed-text events (PlatMsg::Char) on or off; on after Plat_VideoInit.
// Off detaches the input method (screen-saver mode).
void Plat_SetTextInput(bool on);
bool Plat_IsTextInputOn();

// Keyboard and mouse buttons by virtual-key number, bit 7 = down; kept
// from the events (generic Shift, Ctrl and Alt follow either side).
void Plat_GetKeyState(uint8_t out[256]);
void Plat_ReleaseAllKeys();

// Tests: push real SDL events through the same path as the host's (window
// events without a key or mouse state go through Plat_PostEvent).
void Plat_InjectKey(int32_t scancode, bool down, int32_t window);
void Plat_InjectButton(int32_t button, bool down, int32_t window, int32_t x, int32_t y);
void Plat_InjectMotion(int32_t window, int32_t x, int32_t y);
void Plat_InjectWheel(int32_t window, int32_t notches);
void Plat_InjectDrop(int32_t window, const std::vector<std::string>& utf8Paths);
