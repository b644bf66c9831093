// Showing 32-bit BGRA frames in a window: each window keeps a canvas of its
// client size; blits draw into it (nearest-pixel stretch when the sizes
// differ) and a commit puts it on the screen through the window surface.
//
// Blits and commits may come from any thread; the window itself is only
// touched on the main thread (a commit from another thread is carried out
// by the next event pump).
#pragma once
#include <cstdint>
#include <mutex>
#include <vector>

struct PlatWindow;

// Keeps the engine's window handles valid for a presenting thread: hold it
// from reading a window's handle until the frame is committed. The main
// thread holds it while it takes a handle away and destroys the window, so
// a destroy waits for a present in flight and a present never starts on a
// window being destroyed. Take it before any other presentation lock (the
// blits and commits take the canvas lock inside); never wait for the main
// thread while holding it.
std::unique_lock<std::mutex> PlatPresent_LockWindows();

// Draws src (srcW x srcH pixels, pitch in bytes) stretched to dstW x dstH at
// (dstX, dstY) of the client area, clipped to it.
void PlatPresent_Blit(PlatWindow* w, const uint8_t* src, int32_t srcW, int32_t srcH,
                      int32_t pitch, int32_t dstX, int32_t dstY, int32_t dstW, int32_t dstH);
void PlatPresent_Commit(PlatWindow* w);

// What the window shows now, read from the window surface (main thread);
// false when the window has no surface.
bool PlatPresent_ReadBack(PlatWindow* w, std::vector<uint32_t>* bgra, int32_t* width,
                          int32_t* height);
// The canvas as last drawn (any thread).
bool PlatPresent_ReadCanvas(PlatWindow* w, std::vector<uint32_t>* bgra, int32_t* width,
                            int32_t* height);
