// Inside of the platform window: shared by window.cpp, events.cpp,
// present.cpp and menu_bar.cpp only.
#pragma once
#include <SDL.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/window.h"

struct PlatWindow {
  SDL_Window* sdl = nullptr;
  uint32_t sdlId = 0;
  int32_t index = 0;
  PlatDragTestFn dragTest = nullptr;
  bool fullscreen = false;
  // Presentation canvas of the client size, BGRA; guarded by g_PlatPresentLock.
  std::vector<uint32_t> canvas;
  int32_t canvasW = 0, canvasH = 0;
  bool commitPending = false;
  // Client size as the main thread last saw it, for presenting threads.
  std::atomic<int32_t> clientW{0}, clientH{0};
  // The menu bar strip above the client area (main thread): its height (0
  // without a bar), whether the window is nothing but a bar, and its
  // picture (strip width x barH, guarded by g_PlatPresentLock).
  int32_t barH = 0;
  bool barOnly = false;
  std::vector<uint32_t> barPixels;
  int32_t barPixelsW = 0;
};

// Rows of the menu bar strip at the top of the window now (none in full
// screen: the engine shows its bar elsewhere there).
inline int32_t PlatWin_BarRows(const PlatWindow* w) {
  return (w && !w->fullscreen) ? w->barH : 0;
}

// Guards every window's canvas and the window list against a presenting
// thread while the main thread destroys a window.
extern std::mutex g_PlatPresentLock;

PlatWindow* PlatWin_FromSdlId(uint32_t id);
// Main thread: refreshes the cached client size after SDL changed it.
void PlatWin_NoteSize(PlatWindow* w);
// Main thread: copies pending canvases to their windows (window.cpp walks
// the list, present.cpp does one window with the lock held).
void PlatPresent_CommitPending();
void PlatPresent_CommitLocked(PlatWindow* w);

// Menu bar strip (menu_bar.cpp), main thread. A mouse event at a window
// position (SDL's, bar included): true when the bar took it.
bool PlatMenuBar_OnMouse(PlatWindow* w, const SDL_Event& e);
// The window is going: its bar is forgotten.
void PlatMenuBar_Forget(PlatWindow* w);
