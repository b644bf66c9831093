// Inside of the platform window: shared by window.cpp, events.cpp and
// present.cpp only.
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
};

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
